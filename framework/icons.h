#pragma once

#include "framework/folderitem.h"
#include "framework/picture.h"

#include <cstdint>

namespace fw {

// The desktop's 16 x 16 icon of a file-system item, by icon number: 5 gives the icon's image, 13 its
// mask (black where the icon is opaque). An item of a kind without an icon gets the plain file or
// folder icon. Other numbers have no icon here and give Nil; a Nil item raises NilObjectException.
PicturePtr GetIconFromFile(const FolderItem &f, int32_t iconID);

} // namespace fw
