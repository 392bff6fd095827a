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

constexpr int IconImage = 5;
constexpr int IconMask = 13;
constexpr int Side = 16;

QImage iconImage(const QIcon &icon)
{
    QImage image(Side, Side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, image.rect());
    return image;
}

// Icons by kind, drawn once: a search can list many thousands of items of a few kinds.
QImage iconFor(bool folder, const QString &fileName)
{
    static QHash<QString, QImage> cache;
    QString kind = QStringLiteral("inode/directory");
    QMimeType mime;
    if (!folder) {
        static const QMimeDatabase database;
        mime = database.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
        kind = mime.name();
    }
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
    QIcon icon;
    if (mime.isValid()) {
        icon = QIcon::fromTheme(mime.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(mime.genericIconName());
    }
    if (icon.isNull()) {
        static const QFileIconProvider provider;
        icon = provider.icon(folder ? QFileIconProvider::Folder : QFileIconProvider::File);
    }
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    const QImage image = iconImage(icon);
    cache.insert(kind, image);
    return image;
}

} // namespace

PicturePtr GetIconFromFile(const FolderItem &f, int32_t iconID)
{
    if (f.isNil())
        throw NilObjectException();
    if (iconID != IconImage && iconID != IconMask)
        return nullptr;
    // stat: a link to a folder shows a folder.
    struct stat st;
    const bool folder = ::stat(f.nativePath().constData(), &st) == 0 && S_ISDIR(st.st_mode);
    const QImage image = iconFor(folder, f.DisplayName().toQString());
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
