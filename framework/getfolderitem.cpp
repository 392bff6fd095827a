#include "framework/folderitem.h"
#include "framework/volumes.h"

#include <QDir>

namespace fw {

FolderItem GetFolderItem(const String &path, int /*pathMode*/)
{
    const QString text = path.toQString();
    if (text.isEmpty())
        return FolderItem::fromPath(QDir::currentPath());
    // No path holds a zero byte; an alias record always does (its version field), so its raw bytes
    // are never taken for a path.
    if (text.contains(QChar(0)))
        return {};
    if (text.startsWith(QLatin1Char('/')))
        return FolderItem::fromPath(QDir::cleanPath(text));
    const QString posixPath = PosixPathFromColonPath(text);
    if (posixPath.isEmpty())
        return {};
    return FolderItem::fromPath(posixPath);
}

} // namespace fw
