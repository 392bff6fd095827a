#pragma once

#include <QFile>
#include <QString>

#include <linux/capability.h>

#include <array>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {

// While it lives, root's power to read and search any file is set aside on the calling thread, where
// the program's cooperative threads run too. For anyone else it changes nothing.
class AsPlainUser
{
public:
    AsPlainUser() : m_savedOk(::syscall(SYS_capget, &m_header, m_saved.data()) == 0)
    {
        std::array<__user_cap_data_struct, _LINUX_CAPABILITY_U32S_3> plain = m_saved;
        plain[0].effective &= ~((1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH));
        if (m_savedOk)
            ::syscall(SYS_capset, &m_header, plain.data());
    }
    ~AsPlainUser()
    {
        if (m_savedOk)
            ::syscall(SYS_capset, &m_header, m_saved.data());
    }
    AsPlainUser(const AsPlainUser &) = delete;
    AsPlainUser &operator=(const AsPlainUser &) = delete;

private:
    __user_cap_header_struct m_header = {_LINUX_CAPABILITY_VERSION_3, 0};
    std::array<__user_cap_data_struct, _LINUX_CAPABILITY_U32S_3> m_saved = {};
    bool m_savedOk;
};

// A mount namespace of the test's own, left at the end: its mounts show nowhere else and end with it.
class PrivateMounts
{
public:
    PrivateMounts()
        : m_ready(m_outside >= 0 && ::unshare(CLONE_NEWNS) == 0 &&
                  ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0)
    {
    }
    ~PrivateMounts()
    {
        if (m_outside >= 0 && ::setns(m_outside, CLONE_NEWNS) == 0)
            ::close(m_outside);
    }
    PrivateMounts(const PrivateMounts &) = delete;
    PrivateMounts &operator=(const PrivateMounts &) = delete;

    // A read-only view of source at target; with no source, a new empty file system; false if not made.
    bool mount(const QString &source, const QString &target) const
    {
        const QByteArray at = QFile::encodeName(target);
        if (source.isEmpty())
            return m_ready && ::mount("tmpfs", at.constData(), "tmpfs", 0, nullptr) == 0;
        return m_ready &&
               ::mount(QFile::encodeName(source).constData(), at.constData(), nullptr, MS_BIND, nullptr) ==
                   0 &&
               ::mount(nullptr, at.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }

private:
    int m_outside = ::open("/proc/self/ns/mnt", O_RDONLY | O_CLOEXEC);
    bool m_ready;
};

} // namespace testsupport
