#include "framework/folderitem.h"

#include "framework/exceptions.h"
#include "framework/finderinfo.h"
#include "framework/streams.h"

#include <QDesktopServices>
#include <QFile>
#include <QHash>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace fw {

struct FolderItem::Listing
{
    struct Entry
    {
        QString name;
        Listed kind = Listed::Unknown;
        bool sidecar = false; // an AppleDouble "._NAME" lay beside it
    };
    bool read = false;
    std::vector<Entry> entries;
    // For Child: the index in names of the one entry with a folded name, -1 when several share it.
    bool foldedRead = false;
    QHash<QString, qsizetype> byFoldedName;
};

// An item's path and its listing in one allocation: walks make an item for every entry.
struct FolderItem::Node
{
    explicit Node(QString p) : path(std::move(p)), native(QFile::encodeName(path)) {}
    const QString path;
    const QByteArray native; // as the system calls take it: encoded once, asked many times
    Listing listing;
};

namespace {

QString joinPath(const QString &folder, const QString &name)
{
    return folder == QLatin1String("/") ? folder + name : folder + QLatin1Char('/') + name;
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

bool isValidComponent(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

} // namespace

namespace {

// The listing's order: by name ignoring case as QString compares it, then by bytes. Names that are
// ASCII up to their first difference (nearly all) are compared here without Qt's per-character case
// folding: for ASCII that folding maps A-Z to a-z and nothing else.
bool listedBefore(const QString &a, const QString &b)
{
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype i = 0;
    for (; i < common; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x >= 0x80 || y >= 0x80)
            break;
        const char16_t foldedX = x >= 'A' && x <= 'Z' ? x + ('a' - 'A') : x;
        const char16_t foldedY = y >= 'A' && y <= 'Z' ? y + ('a' - 'A') : y;
        if (foldedX != foldedY)
            return foldedX < foldedY;
    }
    const int c = i == common ? (a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1))
                              : QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.toUtf8() < b.toUtf8();
}

} // namespace

// The entries of a folder as the listing shows them: sorted by name ignoring case, then by bytes. An
// AppleDouble sidecar "._X" beside an entry "X" is X's metadata, not an entry of its own. A folder
// that cannot be read lists nothing.
void FolderItem::readEntries(const QByteArray &folder, Listing &listing)
{
    std::vector<Listing::Entry> all;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            Listed kind = Listed::Other;
            if (entry->d_type == DT_DIR)
                kind = Listed::Folder;
            else if (entry->d_type == DT_LNK)
                kind = Listed::Link;
            else if (entry->d_type == DT_UNKNOWN)
                kind = Listed::Unknown;
            all.push_back({QFile::decodeName(entry->d_name), kind, false});
        }
        ::closedir(dir);
    }
    QHash<QString, size_t> byName;
    byName.reserve(static_cast<qsizetype>(all.size()));
    for (size_t i = 0; i < all.size(); ++i)
        byName.insert(all[i].name, i);
    std::vector<bool> isSidecar(all.size(), false);
    for (size_t i = 0; i < all.size(); ++i) {
        if (!all[i].name.startsWith(QLatin1String("._")))
            continue;
        const auto owner = byName.constFind(all[i].name.mid(2));
        if (owner != byName.cend()) {
            all[*owner].sidecar = true;
            isSidecar[i] = true;
        }
    }
    listing.entries.clear();
    listing.entries.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        if (!isSidecar[i])
            listing.entries.push_back(std::move(all[i]));
    }
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const Listing::Entry &a, const Listing::Entry &b) { return listedBefore(a.name, b.name); });
}

namespace {

// Canonical caseless form: Mac volumes store names decomposed and compare them ignoring case.
QString foldName(const QString &name)
{
    return name.normalized(QString::NormalizationForm_D)
        .toCaseFolded()
        .normalized(QString::NormalizationForm_D);
}

} // namespace

FolderItem FolderItem::fromPath(const QString &absolutePosixPath)
{
    QString path = absolutePosixPath;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    FolderItem item;
    item.m_node = std::make_shared<Node>(std::move(path));
    return item;
}

void FolderItem::requireItem() const
{
    if (isNil())
        throw NilObjectException();
}

QString FolderItem::posixPath() const
{
    requireItem();
    return m_node->path;
}

const QByteArray &FolderItem::nativePath() const
{
    requireItem();
    return m_node->native;
}

FolderItem FolderItem::Child(const String &name) const
{
    requireItem();
    const QString wanted = name.toQString();
    if (!isValidComponent(wanted))
        return {};
    const QString exact = joinPath(m_node->path, wanted);
    struct stat st;
    if (lookAtLink(QFile::encodeName(exact), st))
        return fromPath(exact);
    // Mac volumes ignore case and normalization: take the one entry equal to the name that way.
    Listing &entries = listing();
    if (!entries.foldedRead) {
        for (qsizetype i = 0; i < static_cast<qsizetype>(entries.entries.size()); ++i) {
            const QString key = foldName(entries.entries[static_cast<size_t>(i)].name);
            entries.byFoldedName.insert(key, entries.byFoldedName.contains(key) ? -1 : i);
        }
        entries.foldedRead = true;
    }
    const qsizetype match = entries.byFoldedName.value(foldName(wanted), -1);
    return fromPath(match >= 0 ? joinPath(m_node->path, entries.entries[static_cast<size_t>(match)].name)
                               : exact);
}

FolderItem FolderItem::Parent() const
{
    requireItem();
    const QString &path = m_node->path;
    if (path == QLatin1String("/"))
        return {};
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return fromPath(slash <= 0 ? QStringLiteral("/") : path.left(slash));
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

bool FolderItem::IsLink() const
{
    struct stat st;
    return lookAtLink(nativePath(), st) && S_ISLNK(st.st_mode);
}

String FolderItem::Name() const
{
    requireItem();
    const QString &path = m_node->path;
    if (path == QLatin1String("/"))
        return String("/");
    return String(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
}

String FolderItem::AbsolutePath() const
{
    requireItem();
    return String(m_node->path);
}

// A link is dated by itself, whether its target is there or not; an item that is gone has no date.
Date FolderItem::ModificationDate() const
{
    struct stat st;
    if (!lookAtLink(nativePath(), st))
        return Date(QDateTime());
    return Date(
        QDateTime::fromMSecsSinceEpoch(qint64{st.st_mtim.tv_sec} * 1000 + st.st_mtim.tv_nsec / 1'000'000));
}

FolderItem::Listing &FolderItem::listing() const
{
    Listing &entries = m_node->listing;
    if (!entries.read) {
        readEntries(nativePath(), entries);
        entries.read = true;
    }
    return entries;
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
    FolderItem item = fromPath(joinPath(m_node->path, entry.name));
    item.m_listed = entry.kind;
    item.m_sidecarListed = entry.sidecar;
    return item;
}

String FolderItem::MacType() const
{
    requireItem();
    if (Directory())
        return folderType();
    const auto info = FinderInfo::read(nativePath());
    return info ? String(FinderInfo::type(*info)) : String();
}

String FolderItem::MacCreator() const
{
    requireItem();
    if (Directory())
        return folderCreator();
    const auto info = FinderInfo::read(nativePath());
    return info ? String(FinderInfo::creator(*info)) : String();
}

FolderItem::Look FolderItem::LookAt() const
{
    requireItem();
    Look look;
    Listed kind = m_listed;
    if (kind == Listed::No || kind == Listed::Unknown) {
        struct stat st;
        if (!lookAtLink(nativePath(), st))
            return look;
        kind = S_ISLNK(st.st_mode) ? Listed::Link : (S_ISDIR(st.st_mode) ? Listed::Folder : Listed::Other);
    }
    look.exists = true;
    look.directory = kind == Listed::Folder;
    const auto finderInfo = FinderInfo::read(nativePath(), m_listed == Listed::No || m_sidecarListed);
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
    const auto info = FinderInfo::read(nativePath());
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
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_node->path));
}

bool operator==(const FolderItem &a, const FolderItem &b)
{
    if (a.isNil() || b.isNil())
        return a.isNil() && b.isNil();
    // Copies of one item share its node: the walk compares an item with itself many times.
    return a.m_node == b.m_node || a.m_node->path == b.m_node->path;
}

} // namespace fw
