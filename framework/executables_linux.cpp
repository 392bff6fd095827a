#include "framework/executables.h"

#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

// The file's first bytes, as many as it has up to the size of head; -1 when it cannot be read.
ssize_t readHead(int fd, std::array<char, 4> &head)
{
    size_t filled = 0;
    while (filled < head.size()) {
        const ssize_t got = ::read(fd, head.data() + filled, head.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(filled);
}

} // namespace

Executable ExecutableAt(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return Executable::No;
    if (S_ISLNK(st.st_mode))
        return Executable::Link;
    if (!S_ISREG(st.st_mode) || (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0)
        return Executable::No;
    // Non-blocking: a pipe put in the file's place must not hold the caller.
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? Executable::No : Executable::Unreadable;
    std::array<char, 4> head{};
    struct stat opened;
    // Only the file that was looked at is read, never one put in its place since.
    const bool same = ::fstat(fd, &opened) == 0 && opened.st_dev == st.st_dev && opened.st_ino == st.st_ino &&
                      S_ISREG(opened.st_mode);
    const ssize_t got = same ? readHead(fd, head) : -1;
    ::close(fd);
    if (got < 0)
        return Executable::Unreadable;
    const bool elf = got == 4 && std::memcmp(head.data(),
                                             "\x7f"
                                             "ELF",
                                             4) == 0;
    const bool script = got >= 2 && head[0] == '#' && head[1] == '!';
    return elf || script ? Executable::Program : Executable::No;
}

} // namespace fw
