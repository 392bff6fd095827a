#include "framework/treewalk.h"

#include "framework/thread.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
    dev_t device = 0;
    ino_t inode = 0;
};

struct DirCloser
{
    void operator()(DIR *dir) const { ::closedir(dir); }
};

// Reads the names of the folder's entries into the level, each counted against the budget.
std::optional<TreeWalkEnd> listFolder(const QByteArray &path, Level &level, size_t &budget)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return TreeWalkEnd::Unreadable;
    const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return TreeWalkEnd::Unreadable;
    }
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir.get());
        if (entry == nullptr)
            return errno == 0 ? std::nullopt : std::optional(TreeWalkEnd::Unreadable);
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

} // namespace

TreeWalkEnd WalkTree(const QByteArray &root, size_t bound,
                     const std::function<TreeStep(const TreeEntry &)> &visit)
{
    struct stat rootStatus = {};
    if (::lstat(root.constData(), &rootStatus) != 0)
        return TreeWalkEnd::Unreadable;
    if (!S_ISDIR(rootStatus.st_mode))
        return TreeWalkEnd::Whole;
    QByteArray path = root;
    size_t budget = bound;
    std::vector<Level> levels;
    const auto enter = [&](dev_t device, ino_t inode) -> std::optional<TreeWalkEnd> {
        // A folder met again below itself is the tree mounted inside itself.
        for (const Level &level : levels) {
            if (level.device == device && level.inode == inode)
                return TreeWalkEnd::OtherFileSystem;
        }
        Level level{{}, 0, path.size(), device, inode};
        if (const std::optional<TreeWalkEnd> end = listFolder(path, level, budget))
            return end;
        levels.push_back(std::move(level));
        return std::nullopt;
    };
    if (const std::optional<TreeWalkEnd> end = enter(rootStatus.st_dev, rootStatus.st_ino))
        return *end;
    while (!levels.empty()) {
        Level &level = levels.back();
        if (level.next >= level.names.size()) {
            levels.pop_back();
            continue;
        }
        const char *name = level.names.data() + level.next;
        const size_t nameSize = std::strlen(name);
        level.next += nameSize + 1;
        path.truncate(level.pathSize);
        if (!path.endsWith('/'))
            path.append('/');
        path.append(name, static_cast<qsizetype>(nameSize));
        StopPoint();
        Yield();
        if (path.size() >= PATH_MAX)
            return TreeWalkEnd::PastPathLimit;
        struct statx status = {};
        if (::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                    STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO, &status) != 0) {
            if (errno == ENOENT)
                continue; // removed since the listing: nothing of it is left to see
            return TreeWalkEnd::Unreadable;
        }
        const dev_t device = makedev(status.stx_dev_major, status.stx_dev_minor);
        const bool mountRoot = (status.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                               (status.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
        if (mountRoot || device != rootStatus.st_dev)
            return TreeWalkEnd::OtherFileSystem;
        const TreeEntry entry{path, QByteArrayView(name, static_cast<qsizetype>(nameSize)), status.stx_mode,
                              status.stx_uid};
        switch (visit(entry)) {
        case TreeStep::End:
            return TreeWalkEnd::EndedByCaller;
        case TreeStep::Pass:
            break;
        case TreeStep::Enter:
            if (S_ISDIR(status.stx_mode)) {
                if (const std::optional<TreeWalkEnd> end = enter(device, status.stx_ino))
                    return *end;
            }
            break;
        }
    }
    return TreeWalkEnd::Whole;
}

} // namespace fw
