#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace fw {

// A mounted volume as colon paths ("Volume:folder:file") name it.
struct Volume
{
    QString name;       // the first component of a colon path
    QString mountPoint; // absolute POSIX path of the volume's root folder
};

// The name under which colon paths reach the startup volume "/".
QString StartupVolumeName();

// The mounted volumes: the startup volume first, then the others in the order they are looked for.
QList<Volume> MountedVolumes();

// Replaces the volumes found beside the startup volume (tests cannot mount); nullopt finds them again.
void SetOtherVolumesOverride(std::optional<QList<Volume>> volumes);

// While one lives, every question about volumes is answered from one reading of the mount table: a run
// that resolves many paths reads it once, not once per path, and again only after something was mounted
// or unmounted (a volume plugged in while a dialog was open counts). Any number may live at once.
class MountTableSnapshot
{
public:
    MountTableSnapshot();
    ~MountTableSnapshot();
    MountTableSnapshot(const MountTableSnapshot &) = delete;
    MountTableSnapshot &operator=(const MountTableSnapshot &) = delete;
};

// Test hook: runs each time the mount table is read; empty (the default) for none.
void SetMountTableReadHook(std::function<void()> hook);

// The mounted volume of that name (exact name first, else the one equal ignoring case), or nullopt.
std::optional<Volume> VolumeNamed(const QString &name);

// The mounted volume that holds a POSIX path: the one with the longest mount point above it.
Volume VolumeOfPath(const QString &absolutePosixPath);

// The POSIX path of an absolute colon path on a mounted volume; a trailing ":" (a folder) is allowed.
// Empty for a text that is no such path: no ":", a leading ":", a volume that is not mounted, or an
// empty, "." or ".." component. A "/" inside a Mac name is ":" on disk.
QString PosixPathFromColonPath(const QString &colonPath);

// A name on disk as the Mac shows it, and back: ":" and "/" trade places.
QString MacNameFromDiskName(const QString &diskName);
QString DiskNameFromMacName(const QString &macName);

} // namespace fw
