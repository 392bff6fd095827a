#include "framework/finderinfo.h"

#include <cerrno>

#include <sys/xattr.h>

namespace fw::FinderInfo {

std::optional<QByteArray> readAttribute(const QByteArray &path, const char *name, int64_t maxSize)
{
    // The link's own attributes: a link reports itself, never its target.
    const ssize_t size = ::lgetxattr(path.constData(), name, nullptr, 0);
    if (size < 0 || size > maxSize)
        return std::nullopt;
    QByteArray value(static_cast<qsizetype>(size), Qt::Uninitialized);
    const ssize_t got = ::lgetxattr(path.constData(), name, value.data(), value.size());
    // A value that changed size in between is read as missing rather than trusted.
    if (got != size)
        return std::nullopt;
    return value;
}

std::optional<QByteArray> attributeNames(const QByteArray &path)
{
    // Enough for the names that files on this platform carry; a longer list is asked for piece by piece.
    char names[1024];
    const ssize_t size = ::llistxattr(path.constData(), names, sizeof names);
    if (size >= 0)
        return QByteArray(names, size);
    if (errno == ENOTSUP)
        return QByteArray();
    return std::nullopt;
}

} // namespace fw::FinderInfo
