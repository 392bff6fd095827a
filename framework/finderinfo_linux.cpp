#include "framework/finderinfo.h"

#include <array>
#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

// Linux 6.13 reads attributes relative to an open folder; the C library has no wrappers yet. These
// calls have the same number on every architecture.
#ifndef SYS_getxattrat
#define SYS_getxattrat 464
#endif
#ifndef SYS_listxattrat
#define SYS_listxattrat 465
#endif

namespace fw::FinderInfo {

namespace {

struct XattrArgs
{
    uint64_t value;
    uint32_t size;
    uint32_t flags;
};

// False once the kernel (or a sandbox) refused the relative calls: the whole path serves from then on.
bool g_relativeCalls = true;

bool relative(const Place &place)
{
    return place.folder != AT_FDCWD && g_relativeCalls;
}

// A relative call's result, or -1 with ENOSYS when the calls are not there.
ssize_t checked(long result)
{
    if (result < 0 && (errno == ENOSYS || errno == EPERM)) {
        g_relativeCalls = false;
        errno = ENOSYS;
    }
    return static_cast<ssize_t>(result);
}

ssize_t getAttribute(const Place &place, const char *name, char *value, size_t size)
{
    if (relative(place)) {
        XattrArgs args = {reinterpret_cast<uintptr_t>(value), static_cast<uint32_t>(size), 0};
        const ssize_t got = checked(::syscall(SYS_getxattrat, place.folder, place.name, AT_SYMLINK_NOFOLLOW,
                                              name, &args, sizeof args));
        if (got >= 0 || errno != ENOSYS)
            return got;
    }
    // The link's own attributes: a link reports itself, never its target.
    return ::lgetxattr(place.path.constData(), name, value, size);
}

ssize_t listAttributes(const Place &place, char *names, size_t size)
{
    if (relative(place)) {
        const ssize_t got =
            checked(::syscall(SYS_listxattrat, place.folder, place.name, AT_SYMLINK_NOFOLLOW, names, size));
        if (got >= 0 || errno != ENOSYS)
            return got;
    }
    return ::llistxattr(place.path.constData(), names, size);
}

} // namespace

std::optional<QByteArray> readAttribute(const Place &place, const char *name, int64_t maxSize)
{
    // One call: a value larger than the buffer fails with ERANGE, and is read as missing.
    QByteArray value(static_cast<qsizetype>(maxSize), Qt::Uninitialized);
    const ssize_t got = getAttribute(place, name, value.data(), static_cast<size_t>(value.size()));
    if (got < 0)
        return std::nullopt;
    value.truncate(static_cast<qsizetype>(got));
    return value;
}

std::optional<QByteArray> attributeNames(const Place &place)
{
    // Enough for the names that files on this platform carry; a longer list is asked for piece by piece.
    std::array<char, 1024> names;
    const ssize_t size = listAttributes(place, names.data(), names.size());
    if (size >= 0)
        return QByteArray(names.data(), size);
    if (errno == ENOTSUP)
        return QByteArray();
    return std::nullopt;
}

} // namespace fw::FinderInfo
