#include "framework/folderitem.h"

#include "framework/exceptions.h"
#include "framework/finderinfo.h"
#include "framework/streams.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QHash>

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
        QByteArray name;
        // The name as text when it holds a byte above ASCII (UTF-8, with replacement marks where it
        // is not); null for ASCII names, which the order and the lookups read as bytes.
        QString text;
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
    explicit Node(QByteArray p) : path(std::move(p)) {}
    const QByteArray path; // the exact bytes, as the system calls take them
    Listing listing;
};

namespace {

QByteArray joinPath(const QByteArray &folder, const QByteArray &name)
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

bool isValidComponent(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
}

// The entry's name as text, for comparisons that ignore case.
QStringView textOf(const QString &text, const QByteArray &name, QString &latin1)
{
    if (!text.isNull())
        return text;
    latin1 = QString::fromLatin1(name);
    return latin1;
}

// The listing's order: by name ignoring case as QString compares it, then by bytes. Names that are
// ASCII up to their first difference (nearly all) are compared here without Qt's per-character case
// folding: for ASCII that folding maps A-Z to a-z and nothing else.
bool listedBefore(const QByteArray &a, const QString &aText, const QByteArray &b, const QString &bText)
{
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype i = 0;
    for (; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80)
            break;
        const int foldedX = x >= 'A' && x <= 'Z' ? x + ('a' - 'A') : x;
        const int foldedY = y >= 'A' && y <= 'Z' ? y + ('a' - 'A') : y;
        if (foldedX != foldedY)
            return foldedX < foldedY;
    }
    int c = a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    if (i < common) {
        QString aLatin1;
        QString bLatin1;
        c = textOf(aText, a, aLatin1).compare(textOf(bText, b, bLatin1), Qt::CaseInsensitive);
    }
    return c != 0 ? c < 0 : a < b;
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
            QByteArray name(entry->d_name);
            QString text = isAscii(name) ? QString() : QString::fromUtf8(name);
            all.push_back({std::move(name), std::move(text), kind, false});
        }
        ::closedir(dir);
    }
    QHash<QByteArray, size_t> byName;
    byName.reserve(static_cast<qsizetype>(all.size()));
    for (size_t i = 0; i < all.size(); ++i)
        byName.insert(all[i].name, i);
    std::vector<bool> isSidecar(all.size(), false);
    for (size_t i = 0; i < all.size(); ++i) {
        if (!all[i].name.startsWith("._"))
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
              [](const Listing::Entry &a, const Listing::Entry &b) {
                  return listedBefore(a.name, a.text, b.name, b.text);
              });
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
        for (qsizetype i = 0; i < static_cast<qsizetype>(entries.entries.size()); ++i) {
            const Listing::Entry &entry = entries.entries[static_cast<size_t>(i)];
            if (!entry.text.isNull() && !entry.name.isValidUtf8())
                continue;
            const QString key = foldName(entry.text.isNull() ? QString::fromLatin1(entry.name) : entry.text);
            entries.byFoldedName.insert(key, entries.byFoldedName.contains(key) ? -1 : i);
        }
        entries.foldedRead = true;
    }
    const qsizetype match = entries.byFoldedName.value(foldName(QString::fromUtf8(wanted)), -1);
    return fromNativePath(
        match >= 0 ? joinPath(m_node->path, entries.entries[static_cast<size_t>(match)].name) : exact);
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
        return String("/");
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
    FolderItem item = fromNativePath(joinPath(m_node->path, entry.name));
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
    // Copies of one item share its node: the walk compares an item with itself many times.
    return a.m_node == b.m_node || a.m_node->path == b.m_node->path;
}

} // namespace fw
