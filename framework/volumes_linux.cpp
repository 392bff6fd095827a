#include "framework/volumes.h"

#include <QDir>
#include <QStorageInfo>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace fw {

namespace {

std::optional<QList<Volume>> &otherVolumesOverride()
{
    static std::optional<QList<Volume>> volumes;
    return volumes;
}

// The other volumes as the last reading found them, kept while a snapshot lives and the table stays
// as it was read.
struct MountTableCache
{
    int snapshots = 0;
    std::optional<QList<Volume>> otherVolumes;
    int tableWatch = -1; // the mount table file, which polls as changed after each mount and unmount
    std::function<void()> readHook;
};

MountTableCache &mountTableCache()
{
    static MountTableCache cache;
    return cache;
}

// Where desktops and people mount other volumes, one folder per volume.
QStringList volumeFolders()
{
    const QString user = qEnvironmentVariable("USER");
    QStringList folders{QStringLiteral("/Volumes")};
    if (!user.isEmpty())
        folders << QStringLiteral("/media/") + user << QStringLiteral("/run/media/") + user;
    folders << QStringLiteral("/media") << QStringLiteral("/mnt");
    return folders;
}

// The volumes of the mount table in the folders where volumes are mounted. Only real mount points
// count, so that a volume's empty folder left behind is "not mounted".
QList<Volume> readOtherVolumes()
{
    if (mountTableCache().readHook)
        mountTableCache().readHook();
    QList<Volume> volumes;
    const QList<QStorageInfo> mounts = QStorageInfo::mountedVolumes();
    for (const QString &folder : volumeFolders()) {
        for (const QStorageInfo &mount : mounts) {
            const QString root = mount.rootPath();
            const QString parent = QDir::cleanPath(root + QStringLiteral("/.."));
            if (root != QLatin1String("/") && parent == folder)
                volumes.append({QDir(root).dirName(), root});
        }
    }
    return volumes;
}

// True when something was mounted or unmounted since the last call; each change is told once. A
// table that cannot be watched counts as changed, so that nothing read before a change is trusted.
bool mountTableChanged(int tableWatch)
{
    if (tableWatch < 0)
        return true;
    pollfd watch{tableWatch, POLLPRI, 0};
    return ::poll(&watch, 1, 0) != 0;
}

} // namespace

// The startup volume has no name of its own on Linux; colon paths call it "Startup". This is the one
// place that name is fixed.
QString StartupVolumeName()
{
    return QStringLiteral("Startup");
}

QList<Volume> MountedVolumes()
{
    QList<Volume> volumes{{StartupVolumeName(), QStringLiteral("/")}};
    MountTableCache &cache = mountTableCache();
    if (otherVolumesOverride()) {
        volumes += *otherVolumesOverride();
    } else if (cache.snapshots == 0) {
        volumes += readOtherVolumes();
    } else {
        // A volume plugged in while a dialog was open counts: the table is read again once it changed.
        if (!cache.otherVolumes || mountTableChanged(cache.tableWatch))
            cache.otherVolumes = readOtherVolumes();
        volumes += *cache.otherVolumes;
    }
    return volumes;
}

MountTableSnapshot::MountTableSnapshot()
{
    // Watched from before the first reading, so that no change after it goes unseen.
    if (mountTableCache().snapshots++ == 0)
        mountTableCache().tableWatch = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
}

MountTableSnapshot::~MountTableSnapshot()
{
    MountTableCache &cache = mountTableCache();
    if (--cache.snapshots == 0) {
        cache.otherVolumes.reset();
        if (cache.tableWatch >= 0)
            ::close(cache.tableWatch);
        cache.tableWatch = -1;
    }
}

void SetMountTableReadHook(std::function<void()> hook)
{
    mountTableCache().readHook = std::move(hook);
}

void SetOtherVolumesOverride(std::optional<QList<Volume>> volumes)
{
    otherVolumesOverride() = std::move(volumes);
}

} // namespace fw
