#include "framework/folderitem.h"

#include "framework/entrynames.h"
#include "framework/exceptions.h"
#include "framework/finderinfo.h"
#include "framework/nolinks.h"
#include "framework/streams.h"
#include "framework/thread.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

// Folders kept open at most: well within any process's limit of descriptors.
constexpr size_t kOpenFolders = 64;

} // namespace

// A folder opened for its listing and kept open for calls relative to it: its entries are then looked
// at by name, and the system does not walk the whole path again for each of them.
struct FolderItem::OpenFolder : std::enable_shared_from_this<OpenFolder>
{
    explicit OpenFolder(QByteArray folderPath) : path(std::move(folderPath)) {}
    ~OpenFolder() { close(); }
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;

    // The descriptor, opened again by path when it was closed to keep within the budget; -1 when the
    // folder cannot be opened.
    int descriptor()
    {
        if (fd < 0) {
            fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd >= 0)
                keep();
        }
        return fd;
    }
    // Keeps the folder open within a budget of descriptors, however deep a walk goes or however many
    // listings are kept: the folder kept longest ago is closed for a new one. A walk's current folder
    // is always among the newest.
    void keep()
    {
        thread_local std::array<std::weak_ptr<OpenFolder>, kOpenFolders> ring;
        thread_local size_t next = 0;
        if (const std::shared_ptr<OpenFolder> oldest = ring[next].lock())
            oldest->close();
        ring[next] = weak_from_this();
        next = (next + 1) % kOpenFolders;
    }
    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    const QByteArray path;
    int fd = -1;
};

struct FolderItem::Listing
{
    struct Entry
    {
        uint32_t at = 0; // in names
        uint32_t size = 0;
        Listed kind = Listed::Unknown;
        bool sidecar = false; // an AppleDouble "._NAME" lay beside it
    };
    QByteArrayView name(const Entry &entry) const { return {names.data() + entry.at, entry.size}; }
    bool read = false;
    std::vector<Entry> entries;
    std::string names; // every name, one after another: a wide folder's listing is two allocations
    std::shared_ptr<OpenFolder> folder; // null when the folder could not be read
    // For Child: the index in entries of the one entry with a folded name, -1 when several share it.
    bool foldedRead = false;
    QHash<QString, qsizetype> byFoldedName;
};

// An item's path and its listing in one allocation: walks make an item for every entry.
struct FolderItem::Node
{
    explicit Node(QByteArray p) : path(std::move(p)) {}
    const QByteArray path; // the exact bytes, as the system calls take them
    Listing listing;
};

// Where the system calls reach the item: by its name in its open folder, else by its path.
struct FolderItem::Place
{
    std::shared_ptr<OpenFolder> folder; // held while the place is used
    FinderInfo::Place at;
};

namespace {

using entrynames::foldName;
using entrynames::sortedOrder;
using entrynames::SortKeys;
using entrynames::Steps;

QByteArray joinPath(const QByteArray &folder, QByteArrayView name)
{
    QByteArray path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    if (folder != "/")
        path.append('/');
    return path.append(name);
}

// lstat: a link stands for itself.
bool lookAtLink(const QByteArray &path, struct stat &st)
{
    return ::lstat(path.constData(), &st) == 0;
}

// A folder's type and creator, made once: every folder a walk meets reports them.
const String &folderType()
{
    static const String type("fold");
    return type;
}

const String &folderCreator()
{
    static const String creator("MACS");
    return creator;
}

// Whether the entry of the open folder is a file: as its listing tells, or a look at it when it does not.
bool isFileEntry(int folder, const dirent64 &entry)
{
    struct stat st;
    return entry.d_type == DT_REG ||
           (entry.d_type == DT_UNKNOWN && ::fstatat(folder, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode));
}

bool isValidComponent(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

} // namespace

// The entries of the folder as the listing shows them: sorted by name ignoring case, then by bytes.
// An AppleDouble sidecar, a file "._X" beside an entry "X", is X's metadata, not an entry of its own. A
// folder that cannot be read lists nothing. Read in steps, each followed by a yield: the listing is
// made apart and taken only when complete, so a thread killed in between leaves nothing half made.
FolderItem::Listing FolderItem::readEntries() const
{
    Listing listing;
    const int fd = [this] {
        const Place at = place();
        return ::openat(at.at.folder, at.at.name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }();
    if (fd < 0)
        return listing;
    // Kept only once read: no other listing closes it while this one yields.
    auto folder = std::make_shared<OpenFolder>(m_node->path);
    folder->fd = fd;
    // What an entry's type tells of it without a look at the item.
    const auto listedKind = [](unsigned char type) {
        switch (type) {
        case DT_DIR:
            return Listed::Folder;
        case DT_LNK:
            return Listed::Link;
        case DT_UNKNOWN:
            return Listed::Unknown;
        default:
            return Listed::Other;
        }
    };
    Steps step;
    std::vector<Listing::Entry> all;
    std::vector<size_t> sidecars; // in all
    alignas(dirent64) std::array<char, std::size_t{32} * 1024> buffer;
    for (ssize_t got; (got = ::getdents64(fd, buffer.data(), buffer.size())) > 0;) {
        for (ssize_t offset = 0; offset < got;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer.data() + offset);
            offset += entry->d_reclen;
            const QByteArrayView name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            // Only a file is a sidecar: a folder, a link or a pipe named "._X" is an entry of its own.
            if (name.size() > 2 && name.startsWith("._") && isFileEntry(fd, *entry))
                sidecars.push_back(all.size());
            all.push_back({static_cast<uint32_t>(listing.names.size()), static_cast<uint32_t>(name.size()),
                           listedKind(entry->d_type), false});
            listing.names.append(name.data(), static_cast<size_t>(name.size()));
            step();
        }
    }
    // The sidecars by the names of their entries: a folder without any spares the lookups.
    std::unordered_map<std::string_view, size_t> sidecarOf;
    const auto view = [](QByteArrayView bytes) { return std::string_view(bytes.data(), bytes.size()); };
    for (const size_t i : sidecars)
        sidecarOf.emplace(view(listing.name(all[i]).sliced(2)), i);
    std::vector<bool> isSidecar(all.size(), false);
    SortKeys keys(all.size());
    for (const Listing::Entry &entry : all) {
        keys.add(listing.name(entry));
        step();
    }
    if (!sidecarOf.empty()) {
        for (Listing::Entry &entry : all) {
            const auto found = sidecarOf.find(view(listing.name(entry)));
            if (found != sidecarOf.end()) {
                entry.sidecar = true;
                isSidecar[found->second] = true;
            }
            step();
        }
    }
    folder->keep();
    listing.folder = std::move(folder);
    const std::vector<uint32_t> order = sortedOrder(keys, all.size(), step);
    listing.entries.reserve(all.size());
    for (const uint32_t i : order) {
        if (!isSidecar[i])
            listing.entries.push_back(all[i]);
    }
    return listing;
}

FolderItem FolderItem::fromPath(const QString &absolutePosixPath)
{
    return fromNativePath(QFile::encodeName(absolutePosixPath));
}

FolderItem FolderItem::fromNativePath(const QByteArray &absolutePath)
{
    QByteArray path = absolutePath;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    FolderItem item;
    item.m_node = std::make_shared<Node>(std::move(path));
    return item;
}

QByteArray nativeBytes(const String &text)
{
    if (text.encoding() == nullptr || text.encoding() == Encodings::UTF8())
        return text.bytes();
    return text.toQString().toUtf8();
}

void FolderItem::requireItem() const
{
    if (isNil())
        throw NilObjectException();
}

QString FolderItem::posixPath() const
{
    requireItem();
    return QFile::decodeName(m_node->path);
}

const QByteArray &FolderItem::nativePath() const
{
    requireItem();
    return m_node->path;
}

FolderItem FolderItem::Child(const String &name) const
{
    requireItem();
    const QByteArray wanted = nativeBytes(name);
    if (!isValidComponent(wanted))
        return {};
    const QByteArray exact = joinPath(m_node->path, wanted);
    struct stat st;
    if (lookAtLink(exact, st) || !wanted.isValidUtf8())
        return fromNativePath(exact);
    // Mac volumes ignore case and normalization: take the one entry equal to the name that way. Names
    // that are not text match only exactly.
    Listing &entries = listing();
    if (!entries.foldedRead) {
        // Made apart and in steps, as the listing: a wide folder's names take a while to fold.
        QHash<QString, qsizetype> byFoldedName;
        Steps step;
        for (qsizetype i = 0; i < static_cast<qsizetype>(entries.entries.size()); ++i) {
            const QByteArrayView entryName = entries.name(entries.entries[static_cast<size_t>(i)]);
            if (entryName.isValidUtf8()) {
                const QString key = foldName(QString::fromUtf8(entryName));
                byFoldedName.insert(key, byFoldedName.contains(key) ? -1 : i);
            }
            step();
        }
        if (!entries.foldedRead) {
            entries.byFoldedName = std::move(byFoldedName);
            entries.foldedRead = true;
        }
    }
    const qsizetype match = entries.byFoldedName.value(foldName(QString::fromUtf8(wanted)), -1);
    return fromNativePath(
        match >= 0 ? joinPath(m_node->path, entries.name(entries.entries[static_cast<size_t>(match)]))
                   : exact);
}

FolderItem FolderItem::Parent() const
{
    requireItem();
    const QByteArray &path = m_node->path;
    if (path == "/")
        return {};
    const qsizetype slash = path.lastIndexOf('/');
    return fromNativePath(slash <= 0 ? QByteArray("/") : path.left(slash));
}

bool FolderItem::Exists() const
{
    struct stat st;
    return lookAtLink(nativePath(), st);
}

bool FolderItem::Directory() const
{
    struct stat st;
    return lookAtLink(nativePath(), st) && S_ISDIR(st.st_mode);
}

String FolderItem::Name() const
{
    requireItem();
    const QByteArray &path = m_node->path;
    if (path == "/")
        return {"/"};
    return String::fromBytes(path.mid(path.lastIndexOf('/') + 1), Encodings::UTF8());
}

String FolderItem::DisplayName() const
{
    const String name = Name();
    return name.bytes().isValidUtf8() ? name : String(FileNameText(name.bytes()));
}

String FolderItem::AbsolutePath() const
{
    requireItem();
    return String::fromBytes(m_node->path, Encodings::UTF8());
}

FolderItem::Listing &FolderItem::listing() const
{
    Listing &entries = m_node->listing;
    if (!entries.read) {
        Listing read = readEntries();
        // Another listing of the same folder may have been taken while this one yielded.
        if (!entries.read) {
            entries = std::move(read);
            entries.read = true;
        }
    }
    return entries;
}

FolderItem::Place FolderItem::place() const
{
    requireItem();
    const QByteArray &path = m_node->path;
    std::shared_ptr<OpenFolder> folder = m_folder.lock();
    if (folder) {
        if (const int fd = folder->descriptor(); fd >= 0)
            return {std::move(folder), {fd, path.constData() + path.lastIndexOf('/') + 1, path}};
    }
    return {nullptr, {AT_FDCWD, path.constData(), path}};
}

int FolderItem::Count() const
{
    return static_cast<int>(listing().entries.size());
}

FolderItem FolderItem::Item(int index) const
{
    if (index < 1 || index > Count())
        return {};
    const Listing::Entry &entry = m_node->listing.entries[static_cast<size_t>(index - 1)];
    FolderItem item = fromNativePath(joinPath(m_node->path, m_node->listing.name(entry)));
    item.m_folder = m_node->listing.folder;
    item.m_listed = entry.kind;
    item.m_sidecarListed = entry.sidecar;
    return item;
}

String FolderItem::MacType() const
{
    requireItem();
    if (Directory())
        return folderType();
    const auto info = FinderInfo::read(place().at);
    return info ? String(FinderInfo::type(*info)) : String();
}

String FolderItem::MacCreator() const
{
    requireItem();
    if (Directory())
        return folderCreator();
    const auto info = FinderInfo::read(place().at);
    return info ? String(FinderInfo::creator(*info)) : String();
}

FolderItem::Look FolderItem::LookAt() const
{
    requireItem();
    Look look;
    const Place at = place();
    Listed kind = m_listed;
    if (kind == Listed::No || kind == Listed::Unknown) {
        struct stat st;
        if (::fstatat(at.at.folder, at.at.name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return look;
        kind = S_ISLNK(st.st_mode) ? Listed::Link : (S_ISDIR(st.st_mode) ? Listed::Folder : Listed::Other);
    }
    look.exists = true;
    look.directory = kind == Listed::Folder;
    const auto finderInfo = FinderInfo::read(at.at, m_listed == Listed::No || m_sidecarListed);
    look.visible = !finderInfo || (FinderInfo::flags(*finderInfo) & FinderInfo::kIsInvisible) == 0;
    if (look.directory) {
        look.macType = folderType();
        look.macCreator = folderCreator();
    } else if (finderInfo) {
        look.macType = String(FinderInfo::type(*finderInfo));
        look.macCreator = String(FinderInfo::creator(*finderInfo));
    }
    return look;
}

bool FolderItem::Visible() const
{
    const auto info = FinderInfo::read(place().at);
    return !info || (FinderInfo::flags(*info) & FinderInfo::kIsInvisible) == 0;
}

namespace {

// stat: a link to a file opens the file.
bool isFile(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

std::optional<QByteArray> FolderItem::ReadFileInside(const QByteArray &relativePath, qint64 limit) const
{
    const Place at = place();
    int folder = at.at.folder;
    QByteArray path = QByteArray(at.at.name) + '/' + relativePath;
    if (folder == AT_FDCWD) {
        // Not reached through a listing: the links above the item are the user's, the item's are not.
        const QByteArray &whole = nativePath();
        const qsizetype slash = whole.lastIndexOf('/');
        folder = ::open(slash <= 0 ? "/" : whole.left(slash).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0)
            return std::nullopt;
        path = whole.mid(slash + 1) + '/' + relativePath;
    }
    const int fd = OpenWithoutLinks(folder, path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const int openError = errno;
    if (folder != at.at.folder)
        ::close(folder);
    if (fd < 0) {
        errno = openError;
        return std::nullopt;
    }
    // Read in pieces that double: a small file takes one read, a large one few.
    QByteArray bytes;
    constexpr qint64 kFirstRead = qint64{16} * 1024;
    for (;;) {
        const qint64 have = bytes.size();
        const qint64 wanted = std::min(limit - have, std::max(have, kFirstRead));
        if (wanted <= 0)
            break;
        bytes.resize(static_cast<qsizetype>(have + wanted));
        const ssize_t got = ::read(fd, bytes.data() + have, static_cast<size_t>(wanted));
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return std::nullopt;
        }
        bytes.resize(static_cast<qsizetype>(have + got));
        if (got < wanted) // the file's end
            break;
    }
    ::close(fd);
    return bytes;
}

std::unique_ptr<TextInputStream> FolderItem::OpenAsTextFile() const
{
    if (!isFile(nativePath()))
        return nullptr;
    auto stream = std::make_unique<TextInputStream>(m_node->path);
    if (!stream->isOpen())
        return nullptr;
    return stream;
}

std::unique_ptr<BinaryStream> FolderItem::OpenAsBinaryFile(bool readWrite) const
{
    if (!isFile(nativePath()))
        return nullptr;
    auto stream = std::make_unique<BinaryStream>(m_node->path, readWrite);
    if (!stream->isOpen())
        return nullptr;
    return stream;
}

void FolderItem::Launch(bool /*activate*/) const
{
    requireItem();
    QDesktopServices::openUrl(url());
}

QUrl FolderItem::url() const
{
    requireItem();
    return QUrl::fromEncoded("file://" + m_node->path.toPercentEncoding("/"));
}

bool operator==(const FolderItem &a, const FolderItem &b)
{
    if (a.isNil() || b.isNil())
        return a.isNil() && b.isNil();
    // Copies of one item share its node: the walk compares an item with itself many times. Paths
    // of one folder share their beginning: compared from their ends, two differ at once.
    const QByteArray &x = a.m_node->path;
    const QByteArray &y = b.m_node->path;
    return a.m_node == b.m_node || (x.size() == y.size() && std::equal(x.crbegin(), x.crend(), y.crbegin()));
}

String DisplayPath(const QByteArray &path)
{
    if (path.isValidUtf8())
        return String::fromBytes(path, Encodings::UTF8());
    const QList<QByteArray> names = path.split('/');
    QString text;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += u'/';
        text += FileNameText(names[i]);
    }
    return {text};
}

// A link is dated by itself, whether its target is there or not; an item that is gone has no date.
FolderItem::Status FolderItem::ReadStatus() const
{
    const Place at = place();
    struct stat st;
    if (::fstatat(at.at.folder, at.at.name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    const qint64 ms = qint64{st.st_mtim.tv_sec} * 1000 + st.st_mtim.tv_nsec / 1'000'000;
    return {st.st_mode & S_IFMT, Date(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC))};
}

} // namespace fw
