#include "framework/trash.h"

#include "framework/descriptor.h"
#include "framework/thread.h"

// Qt's "signals" keyword would clash with a field name in the GIO headers.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <QList>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

TrashFault g_fault = TrashFault::None;

// An info file is a few short lines; anything longer is no info file of ours.
constexpr qsizetype kInfoFileLimit = qsizetype{64} * 1024;
// How long a wait for a move holds the window's thread before it yields.
constexpr std::chrono::milliseconds kMoveWaitSlice{1};

struct GObjectDeleter
{
    void operator()(gpointer object) const { g_object_unref(object); }
};

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The top folder of the volume that holds the item's folder: the Trash of a volume lies there.
QByteArray volumeTop(const QByteArray &path)
{
    QByteArray folder = parentOf(path);
    struct stat here = {};
    if (::stat(folder.constData(), &here) != 0)
        return {};
    while (folder != "/") {
        const QByteArray up = parentOf(folder);
        struct stat above = {};
        if (::stat(up.constData(), &above) != 0 || above.st_dev != here.st_dev)
            break;
        folder = up;
    }
    return folder;
}

// A Trash folder and the folder that relative Path= lines in it start from (none for the home Trash,
// whose lines are absolute).
struct TrashFolder
{
    QByteArray path;
    QByteArray top;
};

// Where GLib puts an item: the home Trash when the item lies on the home's volume, else
// $top/.Trash/$uid or $top/.Trash-$uid of its own volume (the home Trash is looked at then too).
std::vector<TrashFolder> trashFoldersFor(const QByteArray &path, dev_t device)
{
    std::vector<TrashFolder> folders{{joined(QByteArray(g_get_user_data_dir()), "Trash"), {}}};
    struct stat home = {};
    if (::stat(g_get_home_dir(), &home) == 0 && home.st_dev == device)
        return folders;
    const QByteArray top = volumeTop(path);
    if (!top.isEmpty()) {
        const QByteArray uid = QByteArray::number(::geteuid());
        folders.push_back({joined(top, ".Trash/" + uid), top});
        folders.push_back({joined(top, ".Trash-" + uid), top});
    }
    return folders;
}

// The n-th name (from 1) that the Trash gives an item of that name when the ones before are taken:
// the name itself, then a number before its first dot ("a.tar.gz", "a.2.tar.gz", "a.3.tar.gz").
QByteArray trashName(const QByteArray &name, int n)
{
    if (n == 1)
        return name;
    const qsizetype dot = name.indexOf('.');
    const QByteArray number = '.' + QByteArray::number(n);
    return dot < 0 ? name + number : name.left(dot) + number + name.mid(dot);
}

struct TrashEntry
{
    QByteArray file;
    QByteArray info;
    QByteArray top;
};

// The entries of those Trash folders under the item's names that hold the item that was moved, known
// by its device and inode (its info file may be empty). The Trash takes the first name whose info file
// is free, so the look ends at the first name without one.
std::vector<TrashEntry> entriesHolding(const QByteArray &path, const struct stat &moved,
                                       const std::vector<TrashFolder> &trashes)
{
    std::vector<TrashEntry> entries;
    const QByteArray name = nameOf(path);
    for (const TrashFolder &trash : trashes) {
        const QByteArray files = joined(trash.path, "files");
        const QByteArray infos = joined(trash.path, "info");
        for (int n = 1;; ++n) {
            const QByteArray candidate = trashName(name, n);
            TrashEntry entry{joined(files, candidate), joined(infos, candidate + ".trashinfo"), trash.top};
            struct stat status = {};
            if (::lstat(entry.info.constData(), &status) != 0)
                break;
            if (::lstat(entry.file.constData(), &status) == 0 && status.st_dev == moved.st_dev &&
                status.st_ino == moved.st_ino)
                entries.push_back(std::move(entry));
        }
    }
    return entries;
}

// Only a regular file is read: a named pipe or a device planted under an entry's name would block
// the open or the read for good.
QByteArray readInfoFile(const QByteArray &info)
{
    const Descriptor fd(::open(info.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat status = {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return {};
    QByteArray content(kInfoFileLimit, Qt::Uninitialized);
    qsizetype size = 0;
    while (size < content.size()) {
        const ssize_t n = ::read(fd.get(), content.data() + size, static_cast<size_t>(content.size() - size));
        if (n <= 0)
            break;
        size += n;
    }
    content.truncate(size);
    return content;
}

std::optional<QByteArray> namedPath(const TrashEntry &entry)
{
    return TrashInfoOriginalPath(readInfoFile(entry.info), entry.top);
}

// A rename within the volume: it needs no space, and never replaces what took the item's place since.
bool putBack(const TrashEntry &entry, const QByteArray &path)
{
    if (::renameat2(AT_FDCWD, entry.file.constData(), AT_FDCWD, path.constData(), RENAME_NOREPLACE) == 0)
        return true;
    struct stat status = {};
    return errno == EINVAL && ::lstat(path.constData(), &status) != 0 && errno == ENOENT &&
           ::rename(entry.file.constData(), path.constData()) == 0;
}

// Whether a Trash the item may go to holds an entry of its name already: then GLib's move and the look
// for its entry pass every entry of that name, however many there are.
bool nameTaken(const QByteArray &path, const std::vector<TrashFolder> &trashes)
{
    const QByteArray info = "info/" + nameOf(path) + ".trashinfo";
    return std::any_of(trashes.begin(), trashes.end(), [&info](const TrashFolder &trash) {
        struct stat status = {};
        return ::lstat(joined(trash.path, info).constData(), &status) == 0;
    });
}

// Moves the item, as it was before the move, into one of the Trash folders it may go to.
TrashResult moveNow(const QByteArray &path, const struct stat &before,
                    const std::vector<TrashFolder> &trashes, TrashFault fault)
{
    const std::unique_ptr<GFile, GObjectDeleter> file(g_file_new_for_path(path.constData()));
    GError *error = nullptr;
    if (!g_file_trash(file.get(), nullptr, &error)) {
        qWarning("cannot move %s to the Trash: %s", path.constData(), error->message);
        g_error_free(error);
        return {TrashOutcome::Refused, {}};
    }
    const std::vector<TrashEntry> entries = entriesHolding(path, before, trashes);
    if (fault != TrashFault::None) {
        for (const TrashEntry &entry : entries) {
            if (namedPath(entry) == path)
                ::truncate(entry.info.constData(), 0);
        }
        if (fault == TrashFault::PlaceTaken)
            ::close(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    }
    // Hard links trashed earlier share the inode; their info files name other places.
    std::vector<const TrashEntry *> unrecorded;
    for (const TrashEntry &entry : entries) {
        const std::optional<QByteArray> named = namedPath(entry);
        if (named == path)
            return {TrashOutcome::Moved, entry.file};
        if (!named)
            unrecorded.push_back(&entry);
    }
    if (unrecorded.size() == 1 && putBack(*unrecorded.front(), path)) {
        ::unlink(unrecorded.front()->info.constData());
        qWarning("the Trash did not record %s; moved it back", path.constData());
        return {TrashOutcome::PutBack, path};
    }
    qWarning("the Trash did not record %s, and it could not be moved back", path.constData());
    // The Trash takes the first free name, so the last entry holding the item is the newest.
    const QByteArray lies =
        unrecorded.empty() ? joined(trashes.front().path, "files") : unrecorded.back()->file;
    return {TrashOutcome::Stranded, lies};
}

} // namespace

std::optional<QByteArray> TrashInfoOriginalPath(const QByteArray &content, const QByteArray &top)
{
    bool inGroup = false;
    std::optional<QByteArray> path;
    bool dated = false;
    for (QByteArray line : content.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
        } else if (inGroup && line.startsWith("Path=")) {
            const QByteArray named = QByteArray::fromPercentEncoding(line.mid(5));
            if (named.startsWith('/'))
                path = named;
            else if (!top.isEmpty() && !named.isEmpty())
                path = joined(top, named);
        } else if (inGroup && line.startsWith("DeletionDate=")) {
            dated = true;
        }
    }
    return dated ? path : std::nullopt;
}

TrashResult MoveToTrash(const QByteArray &path)
{
    struct stat before = {};
    if (::lstat(path.constData(), &before) != 0)
        return {TrashOutcome::Refused, {}};
    const std::vector<TrashFolder> trashes = trashFoldersFor(path, before.st_dev);
    // Under a free name the move and the look take a few calls each, fewer than a hand-over to another
    // thread costs.
    if (!nameTaken(path, trashes))
        return moveNow(path, before, trashes, g_fault);
    // Else they run beside the window's thread, which keeps turning while a thread waits here. Should
    // the waiting thread be ended meanwhile, the future's end waits for the move, which owns copies of
    // all it uses.
    std::future<TrashResult> move = std::async(std::launch::async, [path, before, trashes, fault = g_fault] {
        return moveNow(path, before, trashes, fault);
    });
    while (move.wait_for(kMoveWaitSlice) != std::future_status::ready)
        Yield();
    return move.get();
}

void SetTrashFault(TrashFault fault)
{
    g_fault = fault;
}

} // namespace fw
