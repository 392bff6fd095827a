#include "framework/folderitem.h"

#include <QDir>

namespace fw {

FolderItem GetFolderItem(const String &path, int /*pathMode*/)
{
    const QString text = path.toQString();
    if (text.isEmpty())
        return FolderItem::fromPath(QDir::currentPath());
    if (text.startsWith(QLatin1Char('/')))
        return FolderItem::fromPath(QDir::cleanPath(text));
    return {};
}

} // namespace fw
