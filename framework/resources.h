#pragma once

#include "framework/picture.h"

#include <QString>

namespace fw {

// The application's resources live in the folder "Resources" beside the executable's folder
// (<exe folder>/../Resources); tests point them at a folder of their own.
QString ResourcesFolder();
void SetResourcesFolder(const QString &path);

// The picture resource of the id (Resources/Pictures/<id>.png), read now; Nil when there is none.
PicturePtr GetPicture(int id);

} // namespace fw
