#include "framework/nolinks.h"

#include <QList>

#include <cerrno>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fw {

int OpenWithoutLinks(int at, const QByteArray &path, int flags)
{
    // False once the kernel (or a sandbox) refused openat2.
    static bool withOpenat2 = true;
    if (withOpenat2) {
        open_how how = {};
        how.flags = static_cast<unsigned>(flags | O_NOFOLLOW);
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const long fd = ::syscall(SYS_openat2, at, path.constData(), &how, sizeof how);
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM))
            return static_cast<int>(fd);
        withOpenat2 = false;
    }
    const bool absolute = path.startsWith('/');
    if (absolute && path.size() == 1)
        return ::open("/", flags);
    int folder = absolute ? ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC) : at;
    if (folder < 0)
        return -1;
    const QList<QByteArray> names = (absolute ? path.mid(1) : path).split('/');
    for (qsizetype i = 0; i < names.size(); ++i) {
        const bool last = i + 1 == names.size();
        const int next = ::openat(folder, names[i].constData(),
                                  last ? flags | O_NOFOLLOW : O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        if (folder != at)
            ::close(folder);
        errno = error;
        if (next < 0)
            return -1;
        folder = next;
    }
    return folder;
}

} // namespace fw
