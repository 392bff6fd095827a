#include "framework/resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>

namespace fw {

namespace {

QString &resourcesOverride()
{
    static QString path;
    return path;
}

} // namespace

QString ResourcesFolder()
{
    if (!resourcesOverride().isEmpty())
        return resourcesOverride();
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../Resources"));
}

void SetResourcesFolder(const QString &path)
{
    resourcesOverride() = path;
}

PicturePtr GetPicture(int id)
{
    QImage image;
    if (!image.load(ResourcesFolder() + QStringLiteral("/Pictures/%1.png").arg(id)))
        return nullptr;
    return std::make_shared<Picture>(image);
}

} // namespace fw
