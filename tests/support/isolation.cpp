#include "tests/support/isolation.h"

#include <QFile>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {

AsPlainUser::AsPlainUser()
{
    m_savedOk = ::syscall(SYS_capget, &m_header, m_saved.data()) == 0;
    if (!m_savedOk)
        return;
    std::array<__user_cap_data_struct, _LINUX_CAPABILITY_U32S_3> plain = m_saved;
    plain[0].effective &= ~((1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH));
    ::syscall(SYS_capset, &m_header, plain.data());
}

AsPlainUser::~AsPlainUser()
{
    if (m_savedOk)
        ::syscall(SYS_capset, &m_header, m_saved.data());
}

PrivateMounts::PrivateMounts()
    : m_outside(::open("/proc/self/ns/mnt", O_RDONLY | O_CLOEXEC)),
      m_ready(m_outside >= 0 && ::unshare(CLONE_NEWNS) == 0 &&
              ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0)
{
}

PrivateMounts::~PrivateMounts()
{
    if (m_outside >= 0 && ::setns(m_outside, CLONE_NEWNS) == 0)
        ::close(m_outside);
}

bool PrivateMounts::mount(const QString &source, const QString &target) const
{
    const QByteArray at = QFile::encodeName(target);
    if (source.isEmpty())
        return m_ready && ::mount("tmpfs", at.constData(), "tmpfs", 0, nullptr) == 0;
    return m_ready &&
           ::mount(QFile::encodeName(source).constData(), at.constData(), nullptr, MS_BIND, nullptr) == 0 &&
           ::mount(nullptr, at.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

} // namespace testsupport
