#include "framework/specialfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>

#include <sys/stat.h>

namespace fw::SpecialFolder {

namespace {

QString homePath()
{
    const QString home = qEnvironmentVariable("HOME");
    return QDir::cleanPath(QDir::current().absoluteFilePath(home.isEmpty() ? QDir::homePath() : home));
}

FolderItem inHome(const char *relative)
{
    return FolderItem::fromPath(QDir::cleanPath(homePath() + QLatin1Char('/') + QLatin1String(relative)));
}

// The path with ".." resolved and the links among its parents followed; the last component itself
// stays as it is (a link is a location of its own). The parents' real paths are kept in realFolders.
QString resolvedPath(const QString &path, QHash<QString, QString> &realFolders)
{
    const QString clean = QDir::cleanPath(path);
    if (clean == QLatin1String("/"))
        return clean;
    const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash <= 0 ? QStringLiteral("/") : clean.left(slash);
    auto known = realFolders.constFind(parent);
    if (known == realFolders.constEnd())
        known = realFolders.insert(parent, QFileInfo(parent).canonicalFilePath());
    const QString &realParent = *known;
    if (realParent.isEmpty())
        return clean;
    return (realParent == QLatin1String("/") ? QString() : realParent) + clean.mid(slash);
}

// True when `folder` is `path` or one of its parents.
bool holds(const QString &folder, const QString &path)
{
    if (folder == path || folder == QLatin1String("/"))
        return true;
    return path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/');
}

bool isMountPoint(const QString &path)
{
    struct stat self = {};
    struct stat parent = {};
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &self) != 0 || !S_ISDIR(self.st_mode))
        return false;
    if (::stat(QFile::encodeName(path + QLatin1String("/..")).constData(), &parent) != 0)
        return false;
    return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

// The folders where removable and network volumes are mounted: the folders themselves, and their
// volumes (one level down, two under the per-user folders).
bool isVolumeLocation(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return true;
    const QString &top = parts.first();
    if (top == QLatin1String("Volumes") || top == QLatin1String("mnt"))
        return parts.size() <= 2;
    if (top == QLatin1String("media"))
        return parts.size() <= 3;
    if (top == QLatin1String("run") && parts.size() >= 2 && parts.at(1) == QLatin1String("media"))
        return parts.size() <= 4;
    return false;
}

} // namespace

FolderItem Home()
{
    return FolderItem::fromPath(homePath());
}

FolderItem Applications()
{
    return inHome("Applications");
}

FolderItem Preferences()
{
    return inHome("Library/Preferences");
}

FolderItem ApplicationData()
{
    return inHome("Library/Application Support");
}

FolderItem Documents()
{
    return inHome("Documents");
}

FolderItem Desktop()
{
    return inHome("Desktop");
}

FolderItem Downloads()
{
    return inHome("Downloads");
}

bool IsProtected(const FolderItem &item)
{
    return ProtectedLocations().Protects(item);
}

ProtectedLocations::ProtectedLocations()
{
    const std::array<FolderItem, 7> specials = {Home(),      Applications(), Preferences(), ApplicationData(),
                                                Documents(), Desktop(),      Downloads()};
    for (const FolderItem &special : specials) {
        const QString lexical = resolvedPath(special.posixPath(), m_realFolders);
        m_locations.append(lexical);
        const QString real = QFileInfo(lexical).canonicalFilePath();
        if (!real.isEmpty())
            m_locations.append(real);
    }
}

bool ProtectedLocations::Protects(const FolderItem &item) const
{
    const QString path = resolvedPath(item.posixPath(), m_realFolders);
    if (path == QLatin1String("/") || isVolumeLocation(path) || isMountPoint(path))
        return true;
    return std::any_of(m_locations.cbegin(), m_locations.cend(),
                       [&](const QString &location) { return holds(path, location); });
}

} // namespace fw::SpecialFolder
