#include "framework/folderitem.h"

#include "framework/exceptions.h"
#include "framework/streams.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace fw {

struct FolderItem::Listing
{
    bool read = false;
    std::vector<QString> names;
};

namespace {

QString joinPath(const QString &folder, const QString &name)
{
    return folder == QLatin1String("/") ? folder + name : folder + QLatin1Char('/') + name;
}

bool isValidComponent(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

// The entries of a folder as the listing shows them: sorted by name ignoring case, then by bytes.
std::vector<QString> readEntries(const QString &folder)
{
    QDir dir(folder);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    std::vector<QString> names(entries.begin(), entries.end());
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.toUtf8() < b.toUtf8();
    });
    return names;
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
    if (QFileInfo(exact).exists() || QFileInfo(exact).isSymLink())
        return fromPath(exact);
    // Mac volumes ignore case and normalization: take the one entry equal to the name that way.
    const QString folded = wanted.normalized(QString::NormalizationForm_C).toCaseFolded();
    QString match;
    int matches = 0;
    for (const QString &entry : readEntries(*m_path)) {
        if (entry.normalized(QString::NormalizationForm_C).toCaseFolded() == folded) {
            match = entry;
            ++matches;
        }
    }
    return fromPath(matches == 1 ? joinPath(*m_path, match) : exact);
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

int FolderItem::Count() const
{
    requireItem();
    if (!m_listing->read) {
        m_listing->names = readEntries(*m_path);
        m_listing->read = true;
    }
    return static_cast<int>(m_listing->names.size());
}

FolderItem FolderItem::Item(int index) const
{
    if (index < 1 || index > Count())
        return {};
    return fromPath(joinPath(*m_path, m_listing->names[static_cast<size_t>(index - 1)]));
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
