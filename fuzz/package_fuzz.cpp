#include "util/globals.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        __builtin_trap();
    file.write(bytes);
}

// The code as the package's PkgInfo names it: its first line, after a byte-order mark, when that line
// has 8 bytes; else none.
QString expectedCode(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    bytes.truncate(64);
    const auto *const lineEnd =
        std::find_if(bytes.cbegin(), bytes.cend(), [](char c) { return c == '\n' || c == '\r'; });
    bytes.truncate(lineEnd - bytes.cbegin());
    return bytes.size() == 8 ? QString::fromLatin1(bytes) : QString();
}

} // namespace

// An application package's PkgInfo and Info.plist are the package maker's to write. Whatever they
// hold, the type-and-creator code is the 8 bytes of PkgInfo's first line or none, and the maker's
// test finds the maker's name exactly where Info.plist holds it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir root;
    static const bool made = [] {
        return QDir(root.path()).mkpath(QStringLiteral("Quillary.app/Contents"));
    }();
    (void)made;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    writeFile(root.filePath(QStringLiteral("Quillary.app/Contents/PkgInfo")), bytes);
    writeFile(root.filePath(QStringLiteral("Quillary.app/Contents/Info.plist")), bytes);

    const fw::FolderItem package = fw::FolderItem::fromPath(root.filePath(QStringLiteral("Quillary.app")));
    if (!Globals::gAppPackage(package))
        __builtin_trap();
    if (Globals::gGetTypeCre(package).toQString() != expectedCode(bytes))
        __builtin_trap();
    if (Globals::gGetTypeFileInfo(package) != bytes.contains("Velloran Software"))
        __builtin_trap();
    return 0;
}
