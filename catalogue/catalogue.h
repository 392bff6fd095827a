#pragma once

#include "framework/dictionary.h"
#include "framework/folderitem.h"

#include <vector>

namespace Globals {

// The product catalogue: one row per product, in file or table order. Filled once at start-up,
// read-only afterwards.
extern std::vector<fw::Dictionary> gItem;

} // namespace Globals

namespace Catalogue {

// "appList.txt" in the Resources folder beside the executable's folder, else in the default folder;
// Nil when it is in neither.
fw::FolderItem locateFile(const fw::FolderItem &executable);
// Appends the file's records to Globals::gItem, each value as its line stood. A file that can't be
// read as text adds nothing.
void readFile(const fw::FolderItem &file);
// Appends the six products known without a catalogue file.
void addBuiltinRows();

} // namespace Catalogue
