#pragma once

#include <QString>

#include <linux/capability.h>

#include <array>

namespace testsupport {

// While it lives, the calling thread is held to the files' permissions as any user is: root's power
// to read and search whatever it likes is set aside (the program's cooperative threads run on this
// thread too). For anyone else it changes nothing.
class AsPlainUser
{
public:
    AsPlainUser();
    ~AsPlainUser();
    AsPlainUser(const AsPlainUser &) = delete;
    AsPlainUser &operator=(const AsPlainUser &) = delete;

private:
    __user_cap_header_struct m_header = {_LINUX_CAPABILITY_VERSION_3, 0};
    std::array<__user_cap_data_struct, _LINUX_CAPABILITY_U32S_3> m_saved = {};
    bool m_savedOk = false;
};

// A mount namespace of the test's own, left at the end: its mounts show nowhere else and end with it.
class PrivateMounts
{
public:
    PrivateMounts();
    ~PrivateMounts();
    PrivateMounts(const PrivateMounts &) = delete;
    PrivateMounts &operator=(const PrivateMounts &) = delete;

    // A read-only view of source at target; with no source, a new empty file system there. False when
    // it cannot be made (not root, or no namespaces here).
    bool mount(const QString &source, const QString &target) const;

private:
    int m_outside;
    bool m_ready;
};

} // namespace testsupport
