#include "framework/finderinfo.h"

#include <QFile>

#include <sys/xattr.h>

namespace fw::FinderInfo {

std::optional<QByteArray> readAttribute(const QString &path, const char *name, int64_t maxSize)
{
    const QByteArray nativePath = QFile::encodeName(path);
    // The link's own attributes: a link reports itself, never its target.
    const ssize_t size = ::lgetxattr(nativePath.constData(), name, nullptr, 0);
    if (size < 0 || size > maxSize)
        return std::nullopt;
    QByteArray value(static_cast<qsizetype>(size), Qt::Uninitialized);
    const ssize_t got = ::lgetxattr(nativePath.constData(), name, value.data(), value.size());
    // A value that changed size in between is read as missing rather than trusted.
    if (got != size)
        return std::nullopt;
    return value;
}

} // namespace fw::FinderInfo
