#include "framework/itemidentity.h"

#include "framework/descriptor.h"
#include "framework/nolinks.h"

#include <QList>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

bool isComponent(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != "..";
}

ItemIdentity identityFrom(const struct stat &status)
{
    ItemIdentity identity;
    identity.device = status.st_dev;
    identity.inode = status.st_ino;
    identity.kind = S_ISLNK(status.st_mode)   ? ItemIdentity::Kind::Link
                    : S_ISDIR(status.st_mode) ? ItemIdentity::Kind::Folder
                                              : ItemIdentity::Kind::File;
    return identity;
}

} // namespace

String ItemIdentity::toText() const
{
    return {
        QStringLiteral("%1:%2:%3").arg(device).arg(inode).arg(QChar::fromLatin1(static_cast<char>(kind)))};
}

std::optional<ItemIdentity> ItemIdentity::fromText(const String &text)
{
    const QList<QByteArray> parts = text.bytes().split(':');
    if (parts.size() != 3 || parts[2].size() != 1)
        return std::nullopt;
    ItemIdentity identity;
    bool deviceOk = false;
    bool inodeOk = false;
    identity.device = parts[0].toULongLong(&deviceOk);
    identity.inode = parts[1].toULongLong(&inodeOk);
    identity.kind = static_cast<Kind>(parts[2].at(0));
    if (!deviceOk || !inodeOk ||
        (identity.kind != Kind::File && identity.kind != Kind::Folder && identity.kind != Kind::Link))
        return std::nullopt;
    return identity;
}

std::optional<ItemIdentity> IdentityOf(const QByteArray &absolutePath)
{
    if (!absolutePath.startsWith('/'))
        return std::nullopt;
    struct stat status = {};
    if (absolutePath == "/") {
        if (::lstat("/", &status) != 0)
            return std::nullopt;
        return identityFrom(status);
    }
    const QList<QByteArray> names = absolutePath.mid(1).split('/');
    if (!std::all_of(names.begin(), names.end(), isComponent))
        return std::nullopt;
    const qsizetype slash = absolutePath.lastIndexOf('/');
    // The folder that holds the item, reached without following a link.
    const Descriptor folder(OpenWithoutLinks(
        AT_FDCWD, slash == 0 ? QByteArray("/") : absolutePath.left(slash), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0 ||
        ::fstatat(folder.get(), names.last().constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return identityFrom(status);
}

QByteArray WithRealFolder(const QByteArray &absolutePath)
{
    const qsizetype slash = absolutePath.lastIndexOf('/');
    if (slash <= 0 || slash == absolutePath.size() - 1)
        return absolutePath;
    std::array<char, PATH_MAX> resolved;
    if (::realpath(absolutePath.left(slash).constData(), resolved.data()) == nullptr)
        return absolutePath;
    const QByteArray folder(resolved.data());
    return (folder == "/" ? QByteArray() : folder) + absolutePath.mid(slash);
}

} // namespace fw
