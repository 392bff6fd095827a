#include "framework/volumes.h"

namespace fw {

std::optional<Volume> VolumeNamed(const QString &name)
{
    const QList<Volume> volumes = MountedVolumes();
    for (const Volume &volume : volumes) {
        if (volume.name == name)
            return volume;
    }
    // Mac volume names ignore case; only an unambiguous match counts.
    std::optional<Volume> match;
    for (const Volume &volume : volumes) {
        if (volume.name.compare(name, Qt::CaseInsensitive) == 0) {
            if (match)
                return std::nullopt;
            match = volume;
        }
    }
    return match;
}

Volume VolumeOfPath(const QString &absolutePosixPath)
{
    const QList<Volume> volumes = MountedVolumes();
    Volume best = volumes.first();
    for (const Volume &volume : volumes) {
        const bool holds = absolutePosixPath == volume.mountPoint ||
                           absolutePosixPath.startsWith(volume.mountPoint + QLatin1Char('/'));
        if (holds && volume.mountPoint.size() > best.mountPoint.size())
            best = volume;
    }
    return best;
}

QString MacNameFromDiskName(const QString &diskName)
{
    QString name = diskName;
    for (QChar &c : name) {
        if (c == QLatin1Char(':'))
            c = QLatin1Char('/');
        else if (c == QLatin1Char('/'))
            c = QLatin1Char(':');
    }
    return name;
}

QString DiskNameFromMacName(const QString &macName)
{
    return MacNameFromDiskName(macName);
}

QString PosixPathFromColonPath(const QString &colonPath)
{
    if (colonPath.isEmpty() || colonPath.startsWith(QLatin1Char(':')) ||
        !colonPath.contains(QLatin1Char(':')))
        return {};
    QStringList parts = colonPath.split(QLatin1Char(':'));
    if (parts.size() > 1 && parts.last().isEmpty())
        parts.removeLast();
    const std::optional<Volume> volume = VolumeNamed(parts.takeFirst());
    if (!volume)
        return {};
    QString path = volume->mountPoint;
    for (const QString &part : parts) {
        // "::" climbs a folder in classic paths; like "." and "..", no stored path needs it.
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return {};
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        path += DiskNameFromMacName(part);
    }
    return path;
}

} // namespace fw
