#include "framework/icons.h"

#include "framework/exceptions.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>
#include <QStyle>

#include <sys/stat.h>

namespace fw {

namespace {

constexpr int Side = 16;

const QString &folderKind()
{
    static const QString kind = QStringLiteral("inode/directory");
    return kind;
}

// The type of a file by the extension of its name, looked up once per extension: a lookup matches
// the name against every pattern the desktop knows.
QString kindOfExtension(const QString &extension)
{
    static QHash<QString, QString> kinds;
    const auto known = kinds.constFind(extension);
    if (known != kinds.cend())
        return *known;
    static const QMimeDatabase database;
    QString kind =
        database.mimeTypeForFile(QStringLiteral("x") + extension, QMimeDatabase::MatchExtension).name();
    kinds.insert(extension, kind);
    return kind;
}

QImage iconImage(const QIcon &icon)
{
    QImage image(Side, Side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, image.rect());
    return image;
}

// Icons by kind, drawn once: a search can list many thousands of items of a few kinds.
QImage iconFor(const QString &kind)
{
    static QHash<QString, QImage> cache;
    const auto cached = cache.constFind(kind);
    if (cached != cache.cend())
        return *cached;

    // Outside a desktop session no icon theme is chosen; a common one is asked before the plain icons.
    static const bool fallbackSet = [] {
        if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        return true;
    }();
    Q_UNUSED(fallbackSet);
    const bool folder = kind == folderKind();
    QIcon icon;
    if (!folder) {
        static const QMimeDatabase database;
        const QMimeType mime = database.mimeTypeForName(kind);
        if (mime.isValid()) {
            icon = QIcon::fromTheme(mime.iconName());
            if (icon.isNull())
                icon = QIcon::fromTheme(mime.genericIconName());
        }
    }
    if (icon.isNull()) {
        static const QFileIconProvider provider;
        icon = provider.icon(folder ? QFileIconProvider::Folder : QFileIconProvider::File);
    }
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    QImage image = iconImage(icon);
    cache.insert(kind, image);
    return image;
}

} // namespace

QString IconKind(const FolderItem &f, const FolderItem::Status &status)
{
    if (f.isNil())
        throw NilObjectException();
    unsigned type = status.type;
    // A link shows what it leads to, as the desktop shows it.
    if (type == S_IFLNK) {
        struct stat target
        {
        };
        type = ::stat(f.nativePath().constData(), &target) == 0 ? target.st_mode & S_IFMT : 0;
    }
    switch (type) {
    case S_IFDIR:
        return folderKind();
    case S_IFCHR:
        return QStringLiteral("inode/chardevice");
    case S_IFBLK:
        return QStringLiteral("inode/blockdevice");
    case S_IFIFO:
        return QStringLiteral("inode/fifo");
    case S_IFSOCK:
        return QStringLiteral("inode/socket");
    default:
        break;
    }
    const QString name = f.DisplayName().toQString();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return kindOfExtension(dot < 0 ? QString() : name.mid(dot));
}

PicturePtr GetIconFromFile(const FolderItem &f, int32_t iconID)
{
    if (f.isNil())
        throw NilObjectException();
    if (iconID != IconImage && iconID != IconMask)
        return nullptr;
    const QImage image = iconFor(IconKind(f, f.ReadStatus()));
    if (iconID == IconImage)
        return std::make_shared<Picture>(image);
    QImage mask(Side, Side, QImage::Format_RGB32);
    for (int y = 0; y < Side; ++y) {
        for (int x = 0; x < Side; ++x) {
            const int level = 255 - qAlpha(image.pixel(x, y));
            mask.setPixel(x, y, qRgb(level, level, level));
        }
    }
    return std::make_shared<Picture>(mask);
}

} // namespace fw
