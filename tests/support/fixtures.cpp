#include "tests/support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <array>
#include <cerrno>
#include <cstdio>

#include <ftw.h>
#include <sys/xattr.h>

namespace testsupport {

namespace {

void appendU16(QByteArray &bytes, uint16_t value)
{
    std::array<char, 2> buffer{};
    qToBigEndian<quint16>(value, buffer.data());
    bytes.append(buffer.data(), 2);
}

void appendU32(QByteArray &bytes, uint32_t value)
{
    std::array<char, 4> buffer{};
    qToBigEndian<quint32>(value, buffer.data());
    bytes.append(buffer.data(), 4);
}

struct Entry
{
    uint32_t id;
    uint32_t offset;
    uint32_t length;
};

// The filler is the 16 bytes that name the writer's file system.
QByteArray appleDoubleHeader(QByteArrayView filler, const std::initializer_list<Entry> &entries)
{
    QByteArray bytes;
    appendU32(bytes, 0x00051607);
    appendU32(bytes, 0x00020000);
    bytes.append(filler);
    appendU16(bytes, static_cast<uint16_t>(entries.size()));
    for (const Entry &entry : entries) {
        appendU32(bytes, entry.id);
        appendU32(bytes, entry.offset);
        appendU32(bytes, entry.length);
    }
    return bytes;
}

QByteArray padded(QByteArray bytes, qsizetype size)
{
    bytes.resize(size, '\0');
    return bytes;
}

// The ATTR block of a sidecar with one attribute, as the Finder's copy engine lays it out: the header
// at offset 84, entries from 120, each padded to four bytes, then the values.
QByteArray attributeBlock()
{
    const QByteArray name("com.apple.quarantine");
    const QByteArray value("0081;00000000;Browser;");
    const qsizetype entrySize = (11 + name.size() + 1 + 3) / 4 * 4;
    const auto dataStart = static_cast<uint32_t>(120 + entrySize);
    QByteArray block;
    appendU32(block, 0x41545452);                                      // 'ATTR'
    appendU32(block, 0);                                               // debug tag
    appendU32(block, dataStart + static_cast<uint32_t>(value.size())); // total size
    appendU32(block, dataStart);
    appendU32(block, static_cast<uint32_t>(value.size()));
    block.append(12, '\0'); // reserved
    appendU16(block, 0);    // flags
    appendU16(block, 1);    // attribute count
    QByteArray entry;
    appendU32(entry, dataStart);
    appendU32(entry, static_cast<uint32_t>(value.size()));
    appendU16(entry, 0);
    entry.append(static_cast<char>(name.size() + 1));
    entry.append(name).append('\0');
    block.append(padded(entry, entrySize));
    block.append(value);
    return block;
}

} // namespace

bool makeFolder(const QString &path)
{
    return QDir().mkpath(path);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    if (!makeFolder(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray renameToBytes(const QString &path, const QByteArray &name)
{
    const QFileInfo item(path);
    const QByteArray folder = QFile::encodeName(item.absolutePath()) + '/';
    const QByteArray oldName = QFile::encodeName(item.fileName());
    QByteArray renamed = folder + name;
    if (std::rename(QFile::encodeName(path).constData(), renamed.constData()) != 0)
        return {};
    // The sidecar, when there is one, goes with its item.
    if (std::rename((folder + "._" + oldName).constData(), (folder + "._" + name).constData()) != 0 &&
        errno != ENOENT)
        return {};
    return renamed;
}

bool removeTree(const QString &path)
{
    const auto remove = [](const char *entry, const struct stat *, int, FTW *) { return std::remove(entry); };
    return ::nftw(QFile::encodeName(path).constData(), remove, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

QByteArray finderInfo(const QByteArray &type, const QByteArray &creator, uint16_t flags)
{
    QByteArray info = padded(type, 4) + padded(creator, 4);
    appendU16(info, flags);
    return padded(info, 32);
}

QByteArray appleDoubleSidecar(const QByteArray &info, SidecarForm form)
{
    if (form == SidecarForm::Minimal) {
        const QByteArray header = appleDoubleHeader("Mac OS X        ", {{9, 50, 32}, {2, 82, 0}});
        return header + padded(info, 32);
    }
    // The common 4 KiB layout: FinderInfo entry from 50 to 3810, a 286-byte resource fork after it.
    constexpr uint32_t resourceOffset = 3810;
    constexpr uint32_t resourceLength = 286;
    const QByteArray header = appleDoubleHeader(
        "Mac OS X        ", {{9, 50, resourceOffset - 50}, {2, resourceOffset, resourceLength}});
    QByteArray bytes = header + padded(info, 32) + QByteArray(2, '\0');
    bytes += attributeBlock();
    bytes = padded(bytes, resourceOffset);
    bytes += QByteArray(resourceLength, '\0');
    return bytes;
}

bool writeSidecar(const QString &itemPath, const QByteArray &info, SidecarForm form)
{
    const QFileInfo item(itemPath);
    return writeFile(item.absolutePath() + QStringLiteral("/._") + item.fileName(),
                     appleDoubleSidecar(info, form));
}

QByteArray netatalkMetadata(const QByteArray &info)
{
    // FinderInfo, comment, file dates, AFP file info and the server's private device, inode, sync
    // and id entries, as the server lays them out.
    const QByteArray header = appleDoubleHeader("Netatalk        ", {{9, 122, 32},
                                                                     {4, 154, 0},
                                                                     {8, 354, 16},
                                                                     {14, 370, 4},
                                                                     {0x80444556, 374, 8},
                                                                     {0x80494E4F, 382, 8},
                                                                     {0x8053594E, 390, 8},
                                                                     {0x8053567E, 398, 4}});
    return padded(header + padded(info, 32), 402);
}

QByteArray afpInfo(const QByteArray &info)
{
    QByteArray bytes;
    appendU32(bytes, 0x41465000); // 'AFP\0'
    appendU32(bytes, 0x00000100);
    appendU32(bytes, 0); // reserved
    appendU32(bytes, 0); // backup time
    bytes += padded(info, 32);
    return padded(bytes, 61);
}

bool setAttribute(const QString &path, const char *name, const QByteArray &value)
{
    return ::lsetxattr(QFile::encodeName(path).constData(), name, value.constData(),
                       static_cast<size_t>(value.size()), 0) == 0;
}

bool setNetatalkMetadata(const QString &path, const QByteArray &info)
{
    return setAttribute(path, "user.org.netatalk.Metadata", netatalkMetadata(info));
}

bool setAfpInfo(const QString &path, const QByteArray &info)
{
    return setAttribute(path, "user.DosStream.AFP_AfpInfo:$DATA", afpInfo(info));
}

bool userAttributesSupported(const QString &folder)
{
    const QString probe = folder + QStringLiteral("/.attribute-probe");
    const bool supported = writeFile(probe) && setAttribute(probe, "user.probe", "1");
    QFile::remove(probe);
    return supported;
}

QString makeAppPackage(const QString &folder, const QString &name, const AppPackageOptions &options)
{
    QString package = folder + QLatin1Char('/') + name;
    const QString body = name.endsWith(QLatin1String(".app")) ? name.chopped(4) : name;
    if (!makeFolder(package + QStringLiteral("/Contents/Resources")))
        return {};
    if (!options.pkgInfo.isEmpty() &&
        !writeFile(package + QStringLiteral("/Contents/PkgInfo"), options.pkgInfo))
        return {};
    if (!options.maker.isEmpty()) {
        const QString type = QString::fromLatin1(options.pkgInfo.left(4));
        const QString signature = QString::fromLatin1(options.pkgInfo.mid(4, 4));
        const QString plist =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                           "<plist version=\"1.0\">\n<dict>\n"
                           "\t<key>CFBundleExecutable</key>\n\t<string>%1</string>\n"
                           "\t<key>CFBundleGetInfoString</key>\n\t<string>%1 1.0, Copyright %2</string>\n"
                           "\t<key>CFBundleName</key>\n\t<string>%1</string>\n"
                           "\t<key>CFBundlePackageType</key>\n\t<string>%3</string>\n"
                           "\t<key>CFBundleSignature</key>\n\t<string>%4</string>\n"
                           "\t<key>NSHumanReadableCopyright</key>\n\t<string>Copyright %2</string>\n"
                           "</dict>\n</plist>\n")
                .arg(body.toHtmlEscaped(), options.maker.toHtmlEscaped(), type.toHtmlEscaped(),
                     signature.toHtmlEscaped());
        if (!writeFile(package + QStringLiteral("/Contents/Info.plist"), plist.toUtf8()))
            return {};
    }
    if (options.executable) {
        const QString executable = package + QStringLiteral("/Contents/MacOS/") + body;
        if (!writeFile(executable, "#!/bin/sh\nexit 0\n") ||
            !QFile::setPermissions(executable, QFile::permissions(executable) | QFile::ExeOwner))
            return {};
    }
    return package;
}

} // namespace testsupport
