#include "framework/trash.h"

// Qt's "signals" keyword would clash with a field name in the GIO headers.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <QList>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

bool g_emptyInfoFault = false;

// An info file is a few short lines; anything longer is no info file of ours.
constexpr qsizetype kInfoFileLimit = qsizetype{64} * 1024;

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

// Where GLib puts an item: the home Trash, or on another volume $top/.Trash/$uid or $top/.Trash-$uid.
std::vector<TrashFolder> trashFoldersFor(const QByteArray &path)
{
    std::vector<TrashFolder> folders{{joined(QByteArray(g_get_user_data_dir()), "Trash"), {}}};
    const QByteArray top = volumeTop(path);
    if (!top.isEmpty()) {
        const QByteArray uid = QByteArray::number(::geteuid());
        folders.push_back({joined(top, ".Trash/" + uid), top});
        folders.push_back({joined(top, ".Trash-" + uid), top});
    }
    return folders;
}

struct TrashEntry
{
    QByteArray file;
    QByteArray info;
    QByteArray top;
};

// The Trash entries that hold the item that was moved, found by its device and inode: neither the
// name the Trash gave it nor its info file, which may be empty, needs to be known.
std::vector<TrashEntry> entriesHolding(const QByteArray &path, const struct stat &moved)
{
    std::vector<TrashEntry> entries;
    for (const TrashFolder &trash : trashFoldersFor(path)) {
        const QByteArray files = joined(trash.path, "files");
        // The listing's inode numbers spare a look at every entry; a file system whose listing
        // numbers differ from the items' gets the second, full pass.
        for (const bool byListedInode : {true, false}) {
            DIR *dir = ::opendir(files.constData());
            if (dir == nullptr)
                break;
            while (const dirent *entry = ::readdir(dir)) {
                if (byListedInode && entry->d_ino != moved.st_ino)
                    continue;
                struct stat status = {};
                if (::fstatat(::dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                    status.st_dev == moved.st_dev && status.st_ino == moved.st_ino) {
                    const QByteArray name(entry->d_name);
                    entries.push_back({joined(files, name),
                                       joined(joined(trash.path, "info"), name + ".trashinfo"), trash.top});
                }
            }
            ::closedir(dir);
            if (!entries.empty())
                break;
        }
    }
    return entries;
}

QByteArray readInfoFile(const QByteArray &info)
{
    const int fd = ::open(info.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray content(kInfoFileLimit, Qt::Uninitialized);
    qsizetype size = 0;
    while (size < content.size()) {
        const ssize_t n = ::read(fd, content.data() + size, static_cast<size_t>(content.size() - size));
        if (n <= 0)
            break;
        size += n;
    }
    ::close(fd);
    content.truncate(size);
    return content;
}

// The original path that the entry's info file names, when it names one and a deletion date as the
// Trash needs them to give the item back.
std::optional<QByteArray> namedPath(const TrashEntry &entry)
{
    bool inGroup = false;
    std::optional<QByteArray> path;
    bool dated = false;
    for (QByteArray line : readInfoFile(entry.info).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
        } else if (inGroup && line.startsWith("Path=")) {
            const QByteArray named = QByteArray::fromPercentEncoding(line.mid(5));
            if (named.startsWith('/'))
                path = named;
            else if (!entry.top.isEmpty() && !named.isEmpty())
                path = joined(entry.top, named);
        } else if (inGroup && line.startsWith("DeletionDate=")) {
            dated = true;
        }
    }
    return dated ? path : std::nullopt;
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

} // namespace

TrashOutcome MoveToTrash(const QByteArray &path)
{
    struct stat before = {};
    if (::lstat(path.constData(), &before) != 0)
        return TrashOutcome::Refused;
    const std::unique_ptr<GFile, GObjectDeleter> file(g_file_new_for_path(path.constData()));
    GError *error = nullptr;
    if (!g_file_trash(file.get(), nullptr, &error)) {
        qWarning("cannot move %s to the Trash: %s", path.constData(), error->message);
        g_error_free(error);
        return TrashOutcome::Refused;
    }
    const std::vector<TrashEntry> entries = entriesHolding(path, before);
    if (g_emptyInfoFault) {
        for (const TrashEntry &entry : entries) {
            if (namedPath(entry) == path)
                ::truncate(entry.info.constData(), 0);
        }
    }
    // Hard links trashed earlier share the inode; their info files name other places.
    std::vector<const TrashEntry *> unrecorded;
    for (const TrashEntry &entry : entries) {
        const std::optional<QByteArray> named = namedPath(entry);
        if (named == path)
            return TrashOutcome::Moved;
        if (!named)
            unrecorded.push_back(&entry);
    }
    if (unrecorded.size() == 1 && putBack(*unrecorded.front(), path)) {
        ::unlink(unrecorded.front()->info.constData());
        qWarning("the Trash did not record %s; moved it back", path.constData());
        return TrashOutcome::PutBack;
    }
    qWarning("the Trash did not record %s, and it could not be moved back", path.constData());
    return TrashOutcome::Stranded;
}

void SetEmptyTrashInfoFault(bool on)
{
    g_emptyInfoFault = on;
}

} // namespace fw
