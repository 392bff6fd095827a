#include "framework/finderinfo.h"

#include <QtEndian>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw::FinderInfo {

namespace {

constexpr uint32_t kAppleDoubleMagic = 0x00051607;
constexpr uint32_t kAppleDoubleVersion2 = 0x00020000;
constexpr int64_t kHeaderSize = 26;
constexpr int64_t kDescriptorSize = 12;
constexpr uint32_t kFinderInfoEntry = 9;
// Real files list two entries (the Finder's sidecars) to eight (netatalk); more means a damaged file.
constexpr int64_t kMaxEntries = 64;

constexpr uint32_t kAfpSignature = 0x41465000; // 'AFP\0'
constexpr uint32_t kAfpVersion = 0x00000100;
constexpr int64_t kAfpInfoSize = 60;
constexpr int64_t kAfpFinderInfoOffset = 16;

// What one read of a sidecar takes first.
constexpr int64_t kSidecarHead = 512;

// A netatalk blob is 402 bytes; anything far larger is not one.
constexpr int64_t kMaxNetatalkBlob = int64_t{64} * 1024;

const char *const kNetatalkAttribute = "user.org.netatalk.Metadata";
const char *const kAfpInfoAttribute = "user.DosStream.AFP_AfpInfo:$DATA";

// Bytes are read through views of checked size, never through a copy's constData(): an empty
// QByteArray points at a shared one-byte object, which the compiler's bound checks cannot rule out.
uint32_t u32At(QByteArrayView bytes, qsizetype offset)
{
    return qFromBigEndian<quint32>(bytes.sliced(offset, 4).data());
}

Bytes toBytes(QByteArrayView bytes)
{
    Bytes info;
    std::copy_n(bytes.begin(), info.size(), info.begin());
    return info;
}

QString latin1At(const Bytes &info, size_t offset)
{
    return QString::fromLatin1(reinterpret_cast<const char *>(info.data() + offset), 4);
}

// The sidecar opened without following a link and without blocking (it might be a FIFO), read only if
// it is a plain file.
std::optional<Bytes> fromSidecar(const Place &place)
{
    QByteArray sidecar;
    if (place.folder == AT_FDCWD) {
        sidecar = sidecarPath(place.path);
        if (sidecar.isEmpty())
            return std::nullopt;
    } else {
        sidecar = QByteArray("._").append(place.name);
    }
    const int fd =
        ::openat(place.folder, sidecar.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<Bytes> info;
    struct stat st = {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // The header, the descriptors and the FinderInfo of a sidecar lie in its first bytes: one
        // read serves them all; anything further is read where it lies.
        QByteArray head(static_cast<qsizetype>(std::min<int64_t>(st.st_size, kSidecarHead)),
                        Qt::Uninitialized);
        const ssize_t gotHead = ::pread(fd, head.data(), static_cast<size_t>(head.size()), 0);
        head.resize(gotHead < 0 ? 0 : static_cast<qsizetype>(gotHead));
        const ReadAt readAt = [fd, &head](int64_t offset, int64_t length) {
            if (offset + length <= head.size())
                return head.mid(static_cast<qsizetype>(offset), static_cast<qsizetype>(length));
            QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
            const ssize_t got = ::pread(fd, bytes.data(), static_cast<size_t>(length), offset);
            bytes.resize(got < 0 ? 0 : static_cast<qsizetype>(got));
            return bytes;
        };
        info = fromAppleDouble(readAt, st.st_size);
    }
    ::close(fd);
    return info;
}

} // namespace

QString type(const Bytes &info)
{
    return latin1At(info, 0);
}

QString creator(const Bytes &info)
{
    return latin1At(info, 4);
}

uint16_t flags(const Bytes &info)
{
    return static_cast<uint16_t>((info[8] << 8) | info[9]);
}

std::optional<Bytes> fromAppleDouble(const ReadAt &readAt, int64_t size)
{
    if (size < kHeaderSize)
        return std::nullopt;
    const QByteArray header = readAt(0, kHeaderSize);
    if (header.size() != kHeaderSize || u32At(header, 0) != kAppleDoubleMagic ||
        u32At(header, 4) != kAppleDoubleVersion2)
        return std::nullopt;
    const int64_t entries = qFromBigEndian<quint16>(header.constData() + 24);
    const int64_t descriptorsSize = entries * kDescriptorSize;
    if (entries == 0 || entries > kMaxEntries || kHeaderSize + descriptorsSize > size)
        return std::nullopt;
    const QByteArray descriptors = readAt(kHeaderSize, descriptorsSize);
    if (descriptors.size() != descriptorsSize)
        return std::nullopt;
    for (qsizetype at = 0; at < descriptors.size(); at += kDescriptorSize) {
        if (u32At(descriptors, at) != kFinderInfoEntry)
            continue;
        const int64_t offset = u32At(descriptors, at + 4);
        const int64_t length = u32At(descriptors, at + 8);
        if (length < static_cast<int64_t>(Bytes().size()) || offset + length > size)
            return std::nullopt;
        const QByteArray bytes = readAt(offset, static_cast<int64_t>(Bytes().size()));
        if (bytes.size() != static_cast<qsizetype>(Bytes().size()))
            return std::nullopt;
        return toBytes(bytes);
    }
    return std::nullopt;
}

std::optional<Bytes> fromAppleDouble(QByteArrayView blob)
{
    const ReadAt readAt = [blob](int64_t offset, int64_t length) {
        if (offset < 0 || offset >= blob.size())
            return QByteArray();
        return blob.sliced(offset, std::min<int64_t>(length, blob.size() - offset)).toByteArray();
    };
    return fromAppleDouble(readAt, blob.size());
}

std::optional<Bytes> fromAfpInfo(QByteArrayView blob)
{
    // 60 bytes; the stream attribute keeps one trailing byte after them.
    if (blob.size() != kAfpInfoSize && blob.size() != kAfpInfoSize + 1)
        return std::nullopt;
    if (u32At(blob, 0) != kAfpSignature || u32At(blob, 4) != kAfpVersion)
        return std::nullopt;
    return toBytes(blob.sliced(kAfpFinderInfoOffset));
}

QByteArray sidecarPath(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0 || slash == path.size() - 1)
        return {};
    QByteArray sidecar;
    sidecar.reserve(path.size() + 2);
    sidecar.append(QByteArrayView(path).first(slash + 1))
        .append("._")
        .append(QByteArrayView(path).sliced(slash + 1));
    return sidecar;
}

std::optional<Bytes> read(const Place &place, bool sidecarMayExist)
{
    if (sidecarMayExist) {
        if (auto info = fromSidecar(place))
            return info;
    }
    // One listing of the names spares two lookups on the many items that carry neither attribute.
    const std::optional<QByteArray> names = attributeNames(place);
    const auto mayHave = [&names](const char *name) {
        // The name with its terminating NUL, as the listing holds it.
        return !names || names->contains(QByteArrayView(name, static_cast<qsizetype>(qstrlen(name)) + 1));
    };
    if (mayHave(kNetatalkAttribute)) {
        if (const auto blob = readAttribute(place, kNetatalkAttribute, kMaxNetatalkBlob)) {
            if (auto info = fromAppleDouble(QByteArrayView(*blob)))
                return info;
        }
    }
    if (mayHave(kAfpInfoAttribute)) {
        if (const auto blob = readAttribute(place, kAfpInfoAttribute, kAfpInfoSize + 1))
            return fromAfpInfo(QByteArrayView(*blob));
    }
    return std::nullopt;
}

std::optional<Bytes> read(const QByteArray &path, bool sidecarMayExist)
{
    return read(Place{AT_FDCWD, path.constData(), path}, sidecarMayExist);
}

} // namespace fw::FinderInfo
