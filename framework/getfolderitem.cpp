#include "framework/folderitem.h"
#include "framework/volumes.h"

#include <QDir>

namespace fw {

FolderItem GetFolderItem(const String &path, int /*pathMode*/)
{
    const QByteArray native = nativeBytes(path);
    if (native.isEmpty())
        return FolderItem::fromPath(QDir::currentPath());
    // No path holds a zero byte; an alias record always does (its version field), so its raw bytes
    // are never taken for a path.
    if (native.contains('\0'))
        return {};
    // Latin-1 gives each byte a character of its own: the bytes come through the cleaning as they were.
    if (native.startsWith('/'))
        return FolderItem::fromNativePath(QDir::cleanPath(QString::fromLatin1(native)).toLatin1());
    const QString posixPath = PosixPathFromColonPath(path.toQString());
    if (posixPath.isEmpty())
        return {};
    return FolderItem::fromPath(posixPath);
}

} // namespace fw
