#include "framework/treewalk.h"

#include "framework/descriptor.h"
#include "framework/thread.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace fw {

namespace {

// A folder being looked through: the names of its entries, read at once, and the next one to meet.
// The walk keeps one path, which each level cuts back to its own: no full path per level.
struct Level
{
    std::string names; // each followed by '\0'
    size_t next = 0;   // in names
    qsizetype pathSize = 0;
    ino_t inode = 0; // on the root's device, as every folder the walk enters
};

// Whether the open folder is still the one the walk looked at: a folder moved or swapped meanwhile
// leads elsewhere.
bool isFolder(int fd, dev_t device, ino_t inode)
{
    struct stat status = {};
    return ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode) && status.st_dev == device &&
           status.st_ino == inode;
}

// Reads the names of the open folder's entries into the level, each counted against the budget.
std::optional<TreeWalkEnd> listFolder(int fd, Level &level, size_t &budget)
{
    alignas(dirent64) std::array<char, size_t{32} * 1024> buffer;
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer.data(), buffer.size());
        if (got == 0)
            return std::nullopt;
        if (got < 0)
            return TreeWalkEnd::Unreadable;
        for (ssize_t offset = 0; offset < got;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer.data() + offset);
            offset += entry->d_reclen;
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            if (budget == 0)
                return TreeWalkEnd::TooLarge;
            --budget;
            level.names.append(name).push_back('\0');
            StopPoint();
            Yield();
        }
    }
}

using Visit = std::function<TreeStep(const TreeEntry &)>;

// One walk. Each folder is reached from the one above it by name, and left by "..": no link is
// followed on the way, however deep the tree, and only the folder being looked through is open.
class Walk
{
public:
    Walk(QByteArray root, size_t bound) : m_path(std::move(root)), m_budget(bound) {}

    TreeWalkEnd run(const Visit &visit)
    {
        struct stat root = {};
        if (::lstat(m_path.constData(), &root) != 0)
            return TreeWalkEnd::Unreadable;
        if (!S_ISDIR(root.st_mode))
            return TreeWalkEnd::Whole;
        m_device = root.st_dev;
        Descriptor folder(::open(m_path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (folder.get() < 0 || !isFolder(folder.get(), m_device, root.st_ino))
            return TreeWalkEnd::Unreadable;
        std::optional<TreeWalkEnd> end = enter(std::move(folder), root.st_ino);
        while (!end && !m_levels.empty())
            end = m_levels.back().next < m_levels.back().names.size() ? meet(visit) : leave();
        return end.value_or(TreeWalkEnd::Whole);
    }

private:
    // Lists the open folder, which becomes the one looked through.
    std::optional<TreeWalkEnd> enter(Descriptor folder, ino_t inode)
    {
        Level level{{}, 0, m_path.size(), inode};
        if (const std::optional<TreeWalkEnd> end = listFolder(folder.get(), level, m_budget))
            return end;
        m_levels.push_back(std::move(level));
        m_folder = std::move(folder);
        return std::nullopt;
    }

    // Back to the folder above, which must be the one the walk came from.
    std::optional<TreeWalkEnd> leave()
    {
        m_levels.pop_back();
        if (m_levels.empty())
            return std::nullopt;
        Descriptor parent(::openat(m_folder.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (parent.get() < 0 || !isFolder(parent.get(), m_device, m_levels.back().inode))
            return TreeWalkEnd::Unreadable;
        m_folder = std::move(parent);
        return std::nullopt;
    }

    // Meets the next entry of the folder looked through, and enters it when the caller asks to.
    std::optional<TreeWalkEnd> meet(const Visit &visit)
    {
        Level &level = m_levels.back();
        const char *name = level.names.data() + level.next;
        const size_t nameSize = std::strlen(name);
        level.next += nameSize + 1;
        m_path.truncate(level.pathSize);
        if (!m_path.endsWith('/'))
            m_path.append('/');
        m_path.append(name, static_cast<qsizetype>(nameSize));
        StopPoint();
        Yield();
        // What no path reaches, nothing that works by paths can look at, nor move.
        if (m_path.size() >= PATH_MAX)
            return TreeWalkEnd::PastPathLimit;
        struct statx status = {};
        if (::statx(m_folder.get(), name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                    STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO, &status) != 0) {
            // Removed since the listing: nothing of it is left to see.
            return errno == ENOENT ? std::nullopt : std::optional(TreeWalkEnd::Unreadable);
        }
        const bool mountRoot = (status.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                               (status.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
        if (mountRoot || makedev(status.stx_dev_major, status.stx_dev_minor) != m_device)
            return TreeWalkEnd::OtherFileSystem;
        const TreeStep step = visit({m_path, QByteArrayView(name, static_cast<qsizetype>(nameSize)),
                                     status.stx_mode, status.stx_uid});
        if (step == TreeStep::End)
            return TreeWalkEnd::EndedByCaller;
        if (step == TreeStep::Pass || !S_ISDIR(status.stx_mode))
            return std::nullopt;
        // A folder met again below itself is the tree mounted inside itself.
        if (std::any_of(m_levels.begin(), m_levels.end(),
                        [&](const Level &above) { return above.inode == status.stx_ino; }))
            return TreeWalkEnd::OtherFileSystem;
        Descriptor child(::openat(m_folder.get(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (child.get() < 0 && errno == ENOENT)
            return std::nullopt;
        if (child.get() < 0 || !isFolder(child.get(), m_device, status.stx_ino))
            return TreeWalkEnd::Unreadable;
        return enter(std::move(child), status.stx_ino);
    }

    QByteArray m_path;
    size_t m_budget;
    dev_t m_device = 0;
    std::vector<Level> m_levels;
    Descriptor m_folder;
};

} // namespace

TreeWalkEnd WalkTree(const QByteArray &root, size_t bound, const Visit &visit)
{
    return Walk(root, bound).run(visit);
}

} // namespace fw
