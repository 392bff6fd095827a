#include "framework/folderitem.h"
#include "framework/volumes.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// Colon paths come from alias records and preference records that other programs wrote. Whatever
// the text, a colon path leads into a mounted volume and never climbs out of it, and a name taken
// from it stays one component of its folder.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir root;
    static const bool mounted = [] {
        QDir(root.path()).mkpath(QStringLiteral("Data/Docs"));
        QDir(root.path()).mkpath(QStringLiteral("Backup"));
        fw::SetOtherVolumesOverride(
            QList<fw::Volume>{{QStringLiteral("Data"), root.filePath(QStringLiteral("Data"))},
                              {QStringLiteral("Backup"), root.filePath(QStringLiteral("Backup"))},
                              {QStringLiteral("BACKUP"), root.filePath(QStringLiteral("Backup"))}});
        return true;
    }();
    (void)mounted;

    const fw::String text =
        fw::String::fromBytes(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    const QString path = text.toQString();
    if (fw::MacNameFromDiskName(fw::DiskNameFromMacName(path)) != path)
        __builtin_trap();

    const QString posix = fw::PosixPathFromColonPath(path);
    if (!posix.isEmpty()) {
        const std::optional<fw::Volume> volume = fw::VolumeNamed(path.section(QLatin1Char(':'), 0, 0));
        const QString mountPoint = volume ? volume->mountPoint : QString();
        if (!volume || QDir::cleanPath(posix) != posix ||
            (posix != mountPoint &&
             !posix.startsWith(mountPoint == QLatin1String("/") ? mountPoint
                                                                : mountPoint + QLatin1Char('/'))))
            __builtin_trap();
    }
    const fw::FolderItem item = fw::GetFolderItem(text);
    if (!item.isNil()) {
        if (!path.startsWith(QLatin1Char('/')) && !path.isEmpty() && item.posixPath() != posix)
            __builtin_trap();
        if (item.nativePath().contains('\0'))
            __builtin_trap();
        (void)item.Name();
        (void)item.Parent();
        (void)item.Exists();
    }

    const fw::FolderItem folder = fw::FolderItem::fromPath(root.filePath(QStringLiteral("Data")));
    const fw::FolderItem child = folder.Child(text);
    if (!child.isNil() && child.Parent().posixPath() != folder.posixPath())
        __builtin_trap();
    return 0;
}
