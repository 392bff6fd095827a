#include "framework/finderinfo.h"
#include "framework/folderitem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

void writeFile(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        __builtin_trap();
    file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
}

} // namespace

// Sidecars "._X" are written by other systems, and a walk reads the one of every item it meets.
// Whatever the sidecar holds, the file item reads from it what the bytes' parser reads, through the
// listing and alone, for a file and for a folder, and the sidecar itself is never listed.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir root;
    static const bool made = [] {
        QDir(root.path()).mkpath(QStringLiteral("Folder"));
        writeFile(root.filePath(QStringLiteral("File")), nullptr, 0);
        return true;
    }();
    (void)made;
    writeFile(root.filePath(QStringLiteral("._File")), data, size);
    writeFile(root.filePath(QStringLiteral("._Folder")), data, size);

    const auto expected = fw::FinderInfo::fromAppleDouble(QByteArrayView(data, static_cast<qsizetype>(size)));
    const QString type = expected ? fw::FinderInfo::type(*expected) : QString();
    const QString creator = expected ? fw::FinderInfo::creator(*expected) : QString();
    const bool visible = !expected || (fw::FinderInfo::flags(*expected) & fw::FinderInfo::kIsInvisible) == 0;

    const fw::FolderItem folder = fw::FolderItem::fromPath(root.path());
    if (folder.Count() != 2)
        __builtin_trap();
    for (int index = 1; index <= 2; ++index) {
        const fw::FolderItem listed = folder.Item(index);
        const fw::FolderItem alone = fw::FolderItem::fromPath(listed.posixPath());
        const bool directory = listed.Name() == "Folder";
        const fw::FolderItem::Look look = listed.LookAt();
        const fw::FolderItem::Look lookAlone = alone.LookAt();
        for (const fw::FolderItem::Look &seen : {look, lookAlone}) {
            if (!seen.exists || seen.directory != directory || seen.visible != visible)
                __builtin_trap();
            if (!directory && (seen.macType.toQString() != type || seen.macCreator.toQString() != creator))
                __builtin_trap();
        }
        if (alone.Visible() != visible || (!directory && (alone.MacType().toQString() != type ||
                                                          alone.MacCreator().toQString() != creator)))
            __builtin_trap();
        if (fw::FinderInfo::read(alone.nativePath()) != expected)
            __builtin_trap();
    }
    return 0;
}
