#include "framework/specialfolder.h"

#include "framework/treewalk.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <optional>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Paths below are compared as bytes: held in QStrings by Latin-1, which gives each byte a character of
// its own, so that names that are not UTF-8 keep their bytes.
QString bytePath(const QByteArray &nativePath)
{
    return QString::fromLatin1(nativePath);
}

// The path with every link followed; empty when it cannot be resolved.
QString canonicalPath(const QString &path)
{
    char *real = ::realpath(path.toLatin1().constData(), nullptr);
    QString canonical = real == nullptr ? QString() : bytePath(real);
    std::free(real);
    return canonical;
}

// The path with ".." resolved and the links among its parents followed; the last component itself
// stays as it is (a link is a location of its own). The parents' real paths are kept in realFolders.
QString resolvedPath(const QString &path, QHash<QString, QString> &realFolders)
{
    QString clean = QDir::cleanPath(path);
    if (clean == QLatin1String("/"))
        return clean;
    const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash <= 0 ? QStringLiteral("/") : clean.left(slash);
    auto known = realFolders.constFind(parent);
    if (known == realFolders.constEnd())
        known = realFolders.insert(parent, canonicalPath(parent));
    const QString &realParent = *known;
    if (realParent.isEmpty())
        return clean;
    return (realParent == QLatin1String("/") ? QString() : realParent) + clean.mid(slash);
}

// True when `folder` is `item` or one of its parents.
bool holds(const QString &folder, const QString &item)
{
    if (folder == item || folder == QLatin1String("/"))
        return true;
    return item.startsWith(folder) && item.at(folder.size()) == QLatin1Char('/');
}

std::optional<quint64> deviceOf(const QString &path)
{
    struct stat status = {};
    if (::stat(path.toLatin1().constData(), &status) != 0)
        return std::nullopt;
    return status.st_dev;
}

bool isMountPoint(const QString &path)
{
    struct stat self = {};
    struct stat parent = {};
    if (::lstat(path.toLatin1().constData(), &self) != 0 || !S_ISDIR(self.st_mode))
        return false;
    if (::stat((path + QLatin1String("/..")).toLatin1().constData(), &parent) != 0)
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

// True when the tree below the item could be looked through whole and holds nothing of another user
// but root. No bound: a documents folder may be large, and the look answers Stop at every entry.
bool holdsNothingOfOthers(const QString &path)
{
    const uid_t user = ::geteuid();
    const auto visit = [user](const TreeEntry &entry) {
        return entry.owner == 0 || entry.owner == user ? TreeStep::Enter : TreeStep::End;
    };
    return WalkTree(path.toLatin1(), std::numeric_limits<size_t>::max(), visit) == TreeWalkEnd::Whole;
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
        const QString lexical = resolvedPath(bytePath(special.nativePath()), m_realFolders);
        m_locations.append(lexical);
        const QString real = canonicalPath(lexical);
        if (!real.isEmpty())
            m_locations.append(real);
    }
}

bool ProtectedLocations::Protects(const FolderItem &item) const
{
    const QString path = resolvedPath(bytePath(item.nativePath()), m_realFolders);
    if (path == QLatin1String("/") || isVolumeLocation(path) || isMountPoint(path))
        return true;
    return std::any_of(m_locations.cbegin(), m_locations.cend(),
                       [&](const QString &location) { return holds(path, location); });
}

UserLocations::UserLocations()
{
    m_lexicalHome = resolvedPath(bytePath(Home().nativePath()), m_realFolders);
    m_realHome = canonicalPath(m_lexicalHome);
    m_startupDevice = deviceOf(QStringLiteral("/")).value_or(0);
    m_homeDevice = deviceOf(m_lexicalHome).value_or(m_startupDevice);
    ::setpwent();
    while (const passwd *account = ::getpwent()) {
        if (account->pw_dir == nullptr || account->pw_dir[0] != '/')
            continue;
        const QString written = QDir::cleanPath(bytePath(account->pw_dir));
        m_accountHomes.append(written);
        if (const QString real = canonicalPath(written); !real.isEmpty() && real != written)
            m_accountHomes.append(real);
    }
    ::endpwent();
}

bool UserLocations::Contains(const FolderItem &item) const
{
    if (m_protected.Protects(item))
        return false;
    const QString path = resolvedPath(bytePath(item.nativePath()), m_realFolders);
    // A home folder at the root would make every place the user's.
    const auto inside = [&path](const QString &folder) {
        return !folder.isEmpty() && folder != QLatin1String("/") && holds(folder, path);
    };
    QString top;
    bool onVolume = false;
    if (inside(m_realHome)) {
        top = m_realHome;
    } else if (inside(m_lexicalHome)) {
        top = m_lexicalHome;
    } else {
        const Volume volume = VolumeOfPath(QString::fromUtf8(path.toLatin1()));
        top = bytePath(QFile::encodeName(volume.mountPoint));
        if (volume.mountPoint == QLatin1String("/") || !isUsersOnVolume(top, path))
            return false;
        onVolume = true;
    }
    const QStringList below = path.mid(top.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (std::any_of(below.begin(), below.end(),
                    [](const QString &name) { return name.startsWith(QLatin1Char('.')); }))
        return false;
    // Outside the home the folder goes in one rename with all it holds, another user's files too.
    return !onVolume || holdsNothingOfOthers(path);
}

bool UserLocations::isUsersOnVolume(const QString &volumeRoot, const QString &path) const
{
    struct stat own = {};
    if (::lstat(path.toLatin1().constData(), &own) != 0 || own.st_dev == m_startupDevice ||
        own.st_dev == m_homeDevice || own.st_uid != ::geteuid())
        return false;
    if (std::any_of(m_accountHomes.cbegin(), m_accountHomes.cend(),
                    [&path](const QString &home) { return holds(path, home); }))
        return false;
    // The folders from the volume's root down to the item's own folder.
    for (qsizetype end = volumeRoot.size(); end > 0 && end < path.size();
         end = path.indexOf(QLatin1Char('/'), end + 1)) {
        struct stat folder = {};
        if (::lstat(path.left(end).toLatin1().constData(), &folder) != 0 ||
            (folder.st_uid != 0 && folder.st_uid != ::geteuid()))
            return false;
    }
    return true;
}

} // namespace fw::SpecialFolder
