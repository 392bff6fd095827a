#include "framework/folderitem.h"

#include "framework/exceptions.h"
#include "framework/finderinfo.h"
#include "framework/streams.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <vector>

#include <dirent.h>

namespace fw {

struct FolderItem::Listing
{
    bool read = false;
    std::vector<QString> names;
    // For Child: the index in names of the one entry with a folded name, -1 when several share it.
    bool foldedRead = false;
    QHash<QString, qsizetype> byFoldedName;
};

namespace {

QString joinPath(const QString &folder, const QString &name)
{
    return folder == QLatin1String("/") ? folder + name : folder + QLatin1Char('/') + name;
}

bool isValidComponent(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

// The entries of a folder as the listing shows them: sorted by name ignoring case, then by bytes. An
// AppleDouble sidecar "._X" beside an entry "X" is X's metadata, not an entry of its own.
std::vector<QString> readEntries(const QString &folder)
{
    // Names only: a listing that looked at each entry's kind would cost a stat per entry.
    QStringList entries;
    if (DIR *dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const char *name = entry->d_name;
            if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
                entries.append(QFile::decodeName(name));
        }
        ::closedir(dir);
    }
    const QSet<QString> present(entries.begin(), entries.end());
    std::vector<QString> names;
    names.reserve(static_cast<size_t>(entries.size()));
    for (const QString &entry : entries) {
        if (!(entry.startsWith(QLatin1String("._")) && present.contains(entry.mid(2))))
            names.push_back(entry);
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.toUtf8() < b.toUtf8();
    });
    return names;
}

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
    item.m_path = std::make_shared<const QString>(path);
    item.m_listing = std::make_shared<Listing>();
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
    return *m_path;
}

FolderItem FolderItem::Child(const String &name) const
{
    requireItem();
    const QString wanted = name.toQString();
    if (!isValidComponent(wanted))
        return {};
    const QString exact = joinPath(*m_path, wanted);
    const QFileInfo exactInfo(exact);
    if (exactInfo.exists() || exactInfo.isSymLink())
        return fromPath(exact);
    // Mac volumes ignore case and normalization: take the one entry equal to the name that way.
    Listing &entries = listing();
    if (!entries.foldedRead) {
        for (qsizetype i = 0; i < static_cast<qsizetype>(entries.names.size()); ++i) {
            const QString key = foldName(entries.names[static_cast<size_t>(i)]);
            entries.byFoldedName.insert(key, entries.byFoldedName.contains(key) ? -1 : i);
        }
        entries.foldedRead = true;
    }
    const qsizetype match = entries.byFoldedName.value(foldName(wanted), -1);
    return fromPath(match >= 0 ? joinPath(*m_path, entries.names[static_cast<size_t>(match)]) : exact);
}

FolderItem FolderItem::Parent() const
{
    requireItem();
    if (*m_path == QLatin1String("/"))
        return {};
    const qsizetype slash = m_path->lastIndexOf(QLatin1Char('/'));
    return fromPath(slash <= 0 ? QStringLiteral("/") : m_path->left(slash));
}

bool FolderItem::Exists() const
{
    requireItem();
    const QFileInfo info(*m_path);
    return info.exists() || info.isSymLink();
}

bool FolderItem::Directory() const
{
    requireItem();
    const QFileInfo info(*m_path);
    return info.isDir() && !info.isSymLink();
}

bool FolderItem::IsLink() const
{
    requireItem();
    return QFileInfo(*m_path).isSymLink();
}

String FolderItem::Name() const
{
    requireItem();
    if (*m_path == QLatin1String("/"))
        return String("/");
    return String(m_path->mid(m_path->lastIndexOf(QLatin1Char('/')) + 1));
}

String FolderItem::AbsolutePath() const
{
    requireItem();
    return String(*m_path);
}

Date FolderItem::ModificationDate() const
{
    requireItem();
    const QFileInfo info(*m_path);
    return Date(info.isSymLink() ? QFileInfo(info.absoluteFilePath()).lastModified() : info.lastModified());
}

FolderItem::Listing &FolderItem::listing() const
{
    requireItem();
    if (!m_listing->read) {
        m_listing->names = readEntries(*m_path);
        m_listing->read = true;
    }
    return *m_listing;
}

int FolderItem::Count() const
{
    return static_cast<int>(listing().names.size());
}

FolderItem FolderItem::Item(int index) const
{
    if (index < 1 || index > Count())
        return {};
    return fromPath(joinPath(*m_path, m_listing->names[static_cast<size_t>(index - 1)]));
}

String FolderItem::MacType() const
{
    requireItem();
    if (Directory())
        return String("fold");
    const auto info = FinderInfo::read(*m_path);
    return info ? String(FinderInfo::type(*info)) : String();
}

String FolderItem::MacCreator() const
{
    requireItem();
    if (Directory())
        return String("MACS");
    const auto info = FinderInfo::read(*m_path);
    return info ? String(FinderInfo::creator(*info)) : String();
}

bool FolderItem::Visible() const
{
    requireItem();
    const auto info = FinderInfo::read(*m_path);
    return !info || (FinderInfo::flags(*info) & FinderInfo::kIsInvisible) == 0;
}

std::unique_ptr<TextInputStream> FolderItem::OpenAsTextFile() const
{
    requireItem();
    if (!QFileInfo(*m_path).isFile())
        return nullptr;
    auto stream = std::make_unique<TextInputStream>(*m_path);
    if (!stream->isOpen())
        return nullptr;
    return stream;
}

std::unique_ptr<BinaryStream> FolderItem::OpenAsBinaryFile(bool readWrite) const
{
    requireItem();
    if (!QFileInfo(*m_path).isFile())
        return nullptr;
    auto stream = std::make_unique<BinaryStream>(*m_path, readWrite);
    if (!stream->isOpen())
        return nullptr;
    return stream;
}

void FolderItem::Launch(bool /*activate*/) const
{
    requireItem();
    QDesktopServices::openUrl(QUrl::fromLocalFile(*m_path));
}

bool operator==(const FolderItem &a, const FolderItem &b)
{
    if (a.isNil() || b.isNil())
        return a.isNil() && b.isNil();
    return *a.m_path == *b.m_path;
}

} // namespace fw
