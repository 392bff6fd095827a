#pragma once

#include "framework/folderitem.h"
#include "framework/picture.h"

#include <QString>

#include <cstdint>

namespace fw {

// The icon numbers that GetIconFromFile answers.
constexpr int32_t IconImage = 5; // the icon's image
constexpr int32_t IconMask = 13; // its mask, black where the icon is opaque

// The desktop's 16 x 16 icon of a file-system item, by icon number. An item of a kind without an icon
// gets the plain file or folder icon. Other numbers have no icon here and give Nil; a Nil item raises
// NilObjectException.
PicturePtr GetIconFromFile(const FolderItem &f, int32_t iconID);

// What an item's icon shows, from what a look at it told: its kind as a MIME type name, for a file
// that of its name's extension. Items of one kind have the same icon. A Nil item raises
// NilObjectException.
QString IconKind(const FolderItem &f, const FolderItem::Status &status);

} // namespace fw
