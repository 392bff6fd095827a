#include "framework/volumes.h"

#include <QDir>
#include <QStorageInfo>

namespace fw {

namespace {

std::optional<QList<Volume>> &otherVolumesOverride()
{
    static std::optional<QList<Volume>> volumes;
    return volumes;
}

// The other volumes as the last reading found them, kept while a snapshot lives.
struct MountTableCache
{
    int snapshots = 0;
    std::optional<QList<Volume>> otherVolumes;
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
        if (!cache.otherVolumes)
            cache.otherVolumes = readOtherVolumes();
        volumes += *cache.otherVolumes;
    }
    return volumes;
}

MountTableSnapshot::MountTableSnapshot()
{
    ++mountTableCache().snapshots;
}

MountTableSnapshot::~MountTableSnapshot()
{
    if (--mountTableCache().snapshots == 0)
        mountTableCache().otherVolumes.reset();
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
