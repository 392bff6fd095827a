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
    if (otherVolumesOverride()) {
        volumes += *otherVolumesOverride();
        return volumes;
    }
    // Only real mount points count, so that a volume's empty folder left behind is "not mounted".
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

void SetOtherVolumesOverride(std::optional<QList<Volume>> volumes)
{
    otherVolumesOverride() = std::move(volumes);
}

} // namespace fw
