#pragma once

#include "framework/date.h"
#include "framework/folderitem.h"
#include "framework/string.h"

namespace Globals {

// Splits a file name at its last ".": body before it, extension after it. A name without "." (or the
// empty name) sets body to the whole name and leaves extension as it was.
void gExtractBodyAndExtn(const fw::String &name, fw::String &body, fw::String &extension);

// The text after the last "." of the name; "" when the name has none.
fw::String gExtractExtn(const fw::String &name);

// True for an application package: a folder whose name has the extension "app".
bool gAppPackage(const fw::FolderItem &item);

// The 8-character type-and-creator code: a package's first line of Contents/PkgInfo, any other item's
// type followed by its creator. "" means "no code": a package without a sound PkgInfo, a file without
// FinderInfo. Callers compare codes, so they must let "" match nothing, also not an empty catalogue code.
fw::String gGetTypeCre(const fw::FolderItem &item);

// The code of gGetTypeCre for an item known to be a package: the first line of its Contents/PkgInfo.
fw::String gPackageTypeCre(const fw::FolderItem &package);

// True when the item's Contents/Info.plist holds the maker's name, byte for byte. False when there is
// none, or it is too large to be a package's Info.plist, or the item is a link: a link is never entered.
bool gGetTypeFileInfo(const fw::FolderItem &item);

// The date in the user's short date format, a blank and the time as hh:mm:ss; "" for no date (an item
// that is gone).
fw::String gDateTime(const fw::Date &date);

} // namespace Globals
