#include "framework/aliasrecord.h"

#include "framework/string.h"
#include "framework/volumes.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <map>
#include <new>
#include <vector>

namespace fw {

namespace {

// --- Handles -------------------------------------------------------------------------------------

constexpr int8_t lockedFlag = static_cast<int8_t>(0x80);

struct Block
{
    std::vector<uint8_t> bytes;
    int8_t state = 0;
};

std::map<Handle, Block> &handles()
{
    static std::map<Handle, Block> table;
    return table;
}

Block *blockOf(Handle handle)
{
    const auto found = handles().find(handle);
    return found == handles().end() ? nullptr : &found->second;
}

// --- Volumes and folder numbers ------------------------------------------------------------------

struct Catalogue
{
    QStringList mountPoints{QStringLiteral("/")}; // vRefNum -1 (the startup volume), -2, ... as first seen
    QHash<QString, int32_t> folderIds;            // POSIX path of a folder below a volume's root -> number
    QHash<int32_t, QString> folderPaths;
    int32_t nextFolderId = 16; // the numbers below 16 were the system's own
};

Catalogue &catalogue()
{
    static Catalogue instance;
    return instance;
}

int16_t volumeRefNum(const QString &mountPoint)
{
    Catalogue &c = catalogue();
    qsizetype index = c.mountPoints.indexOf(mountPoint);
    if (index < 0) {
        c.mountPoints.append(mountPoint);
        index = c.mountPoints.size() - 1;
    }
    return static_cast<int16_t>(-(index + 1));
}

std::optional<Volume> volumeOfRefNum(int16_t vRefNum)
{
    const qsizetype index = -qsizetype(vRefNum) - 1;
    if (vRefNum >= 0 || index >= catalogue().mountPoints.size())
        return std::nullopt;
    const QString &mountPoint = catalogue().mountPoints.at(index);
    for (const Volume &volume : MountedVolumes()) {
        if (volume.mountPoint == mountPoint)
            return volume;
    }
    return std::nullopt;
}

int32_t folderId(const Volume &volume, const QString &path)
{
    if (path == volume.mountPoint)
        return fsRtDirID;
    Catalogue &c = catalogue();
    const auto found = c.folderIds.constFind(path);
    if (found != c.folderIds.constEnd())
        return *found;
    const int32_t id = c.nextFolderId++;
    c.folderIds.insert(path, id);
    c.folderPaths.insert(id, path);
    return id;
}

QString parentPath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString lastComponent(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// --- Record parsing ------------------------------------------------------------------------------

class Reader
{
public:
    Reader(const QByteArray &bytes, qsizetype end) : m_bytes(bytes), m_end(end) {}
    bool has(qsizetype at, qsizetype count) const { return at >= 0 && count >= 0 && at + count <= m_end; }
    uint16_t u16(qsizetype at) const { return static_cast<uint16_t>(byte(at) << 8 | byte(at + 1)); }
    int byte(qsizetype at) const { return static_cast<unsigned char>(m_bytes.at(at)); }
    QByteArray bytes(qsizetype at, qsizetype count) const { return m_bytes.mid(at, count); }

private:
    const QByteArray &m_bytes;
    qsizetype m_end;
};

constexpr qsizetype version2HeaderSize = 150;
constexpr qsizetype version3HeaderSize = 58;

QString utf16BigEndian(const Reader &in, qsizetype at, qsizetype units)
{
    QString text;
    for (qsizetype i = 0; i < units; ++i)
        text.append(QChar(static_cast<char16_t>(in.u16(at + 2 * i))));
    return text;
}

// Reads the fixed header of the record's version; returns where the tagged data begins, or nothing
// for a header that is short or out of bounds.
std::optional<qsizetype> readHeader(const Reader &in, AliasRecord &record)
{
    if (record.version == 2) {
        if (!in.has(0, version2HeaderSize))
            return std::nullopt;
        const int volumeNameLength = in.byte(10);
        if (volumeNameLength > 27 || in.byte(50) > 63)
            return std::nullopt;
        record.volumeName = Encodings::MacJapanese()->toUnicode(in.bytes(11, volumeNameLength));
        return version2HeaderSize;
    }
    if (record.version == 3) {
        if (!in.has(0, version3HeaderSize))
            return std::nullopt;
        return version3HeaderSize;
    }
    return std::nullopt;
}

// Takes one tagged item's payload into the record; false for a payload that contradicts its length.
bool readTag(const Reader &in, int tag, qsizetype at, qsizetype length, AliasRecord &record)
{
    switch (tag) {
    case 2:
        record.hfsPath = in.bytes(at, length);
        break;
    case 15:
        if (length < 2 || 2 + 2 * qsizetype(in.u16(at)) > length)
            return false;
        record.volumeName = utf16BigEndian(in, at + 2, in.u16(at));
        break;
    case 18:
        record.posixPath = in.bytes(at, length);
        break;
    case 19:
        record.volumeMountPoint = in.bytes(at, length);
        break;
    default:
        break;
    }
    return true;
}

// --- Resolution ----------------------------------------------------------------------------------

bool exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// The volume that the record's POSIX path is relative to.
std::optional<Volume> recordVolume(const AliasRecord &record)
{
    if (!record.volumeMountPoint.isEmpty()) {
        const QString mountPoint = QDir::cleanPath(QString::fromUtf8(record.volumeMountPoint));
        for (const Volume &volume : MountedVolumes()) {
            if (volume.mountPoint == mountPoint)
                return volume;
        }
        // Mounted elsewhere on this system ("/Volumes/Data" at "/media/me/Data"): found by its name.
        return VolumeNamed(lastComponent(mountPoint));
    }
    if (std::optional<Volume> named = VolumeNamed(record.volumeName); named && !record.volumeName.isEmpty())
        return named;
    return MountedVolumes().first();
}

// The POSIX path below a volume's root, or empty when it climbs out of it.
QString joinBelow(const QString &root, const QString &relative)
{
    QString path = root;
    for (const QString &part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return {};
        if (part == QLatin1String("."))
            continue;
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        path += part;
    }
    return path;
}

QString findTarget(const AliasRecord &record)
{
    if (!record.posixPath.isEmpty()) {
        if (const std::optional<Volume> volume = recordVolume(record)) {
            QString path = joinBelow(volume->mountPoint, QString::fromUtf8(record.posixPath));
            if (!path.isEmpty() && exists(path))
                return path;
        }
    }
    if (!record.hfsPath.isEmpty()) {
        QString path = PosixPathFromColonPath(Encodings::MacJapanese()->toUnicode(record.hfsPath));
        if (!path.isEmpty() && exists(path))
            return path;
    }
    return {};
}

// Whether the colon path that the folder walk will spell for the item leads back to it: a name that
// the system script cannot hold, or a volume name taken twice, would lead elsewhere.
bool colonPathLeadsBack(const Volume &volume, const QString &path)
{
    QStringList names{volume.name};
    for (const QString &part : path.mid(volume.mountPoint.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts))
        names.append(MacNameFromDiskName(part));
    const QString colonPath = names.join(QLatin1Char(':'));
    const TextEncoding *script = Encodings::MacJapanese();
    const QString spelled = script->toUnicode(script->fromUnicode(colonPath));
    return spelled == colonPath && PosixPathFromColonPath(spelled) == path;
}

} // namespace

Handle NewHandle(int32_t size)
{
    if (size < 0)
        return 0;
    static Handle next = 0;
    Block block;
    try {
        block.bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc &) {
        return 0;
    }
    do {
        next = next == INT32_MAX ? 1 : next + 1;
    } while (handles().contains(next));
    handles().emplace(next, std::move(block));
    return next;
}

void DisposeHandle(Handle handle)
{
    handles().erase(handle);
}

void HLock(Handle handle)
{
    if (Block *block = blockOf(handle))
        block->state = static_cast<int8_t>(block->state | lockedFlag);
}

int8_t HGetState(Handle handle)
{
    const Block *block = blockOf(handle);
    return block ? block->state : int8_t{0};
}

void HSetState(Handle handle, int8_t state)
{
    if (Block *block = blockOf(handle))
        block->state = state;
}

void SetHandleSize(Handle handle, int32_t size)
{
    Block *block = blockOf(handle);
    if (block && size >= 0)
        block->bytes.resize(static_cast<size_t>(size));
}

uint8_t *HandleData(Handle handle)
{
    Block *block = blockOf(handle);
    return block ? block->bytes.data() : nullptr;
}

std::optional<AliasRecord> ParseAliasRecord(const QByteArray &bytes)
{
    if (bytes.size() < 8)
        return std::nullopt;
    const qsizetype size = Reader(bytes, bytes.size()).u16(4);
    if (size > bytes.size())
        return std::nullopt;
    const Reader in(bytes, size);
    AliasRecord record;
    record.version = in.u16(6);
    const std::optional<qsizetype> tagged = readHeader(in, record);
    if (!tagged)
        return std::nullopt;
    qsizetype at = *tagged;
    // Tagged data: tag, length, payload, a pad byte after an odd payload; ends with tag 0xFFFF.
    QSet<int> seen;
    while (true) {
        if (!in.has(at, 4))
            return std::nullopt;
        const int tag = in.u16(at);
        const qsizetype length = in.u16(at + 2);
        at += 4;
        if (tag == 0xFFFF)
            return record;
        if (!in.has(at, length))
            return std::nullopt;
        if (!seen.contains(tag)) {
            seen.insert(tag);
            if (!readTag(in, tag, at, length, record))
                return std::nullopt;
        }
        at += length + (length % 2);
    }
}

OSErr ResolveAlias(const FSSpec * /*fromFile*/, Handle alias, FSSpec &target, bool &wasChanged)
{
    wasChanged = false;
    const Block *block = blockOf(alias);
    if (block == nullptr)
        return nilHandleErr;
    const QByteArray bytes(reinterpret_cast<const char *>(block->bytes.data()),
                           static_cast<qsizetype>(block->bytes.size()));
    const std::optional<AliasRecord> record = ParseAliasRecord(bytes);
    if (!record)
        return paramErr;
    const QString path = findTarget(*record);
    if (path.isEmpty())
        return fnfErr;
    const Volume volume = VolumeOfPath(path);
    // A volume's root has no parent folder to name it by.
    if (path == volume.mountPoint)
        return fnfErr;
    if (!colonPathLeadsBack(volume, path))
        return bdNamErr;
    target.vRefNum = volumeRefNum(volume.mountPoint);
    target.parID = folderId(volume, parentPath(path));
    target.name = Encodings::MacJapanese()->fromUnicode(MacNameFromDiskName(lastComponent(path)));
    return noErr;
}

OSErr PBGetCatInfoSync(CInfoPBRec &pb)
{
    if (pb.ioFDirIndex != -1 || pb.ioNamePtr == nullptr)
        return paramErr;
    const std::optional<Volume> volume = volumeOfRefNum(pb.ioVRefNum);
    if (!volume)
        return nsvErr;
    const TextEncoding *script = Encodings::MacJapanese();
    if (pb.ioDrDirID == fsRtDirID) {
        *pb.ioNamePtr = script->fromUnicode(volume->name);
        pb.ioDrParID = fsRtParID;
        return noErr;
    }
    const auto found = catalogue().folderPaths.constFind(pb.ioDrDirID);
    if (found == catalogue().folderPaths.constEnd())
        return fnfErr;
    const QString &path = *found;
    if (VolumeOfPath(path).mountPoint != volume->mountPoint || !QFileInfo(path).isDir())
        return fnfErr;
    const QString parent = parentPath(path);
    *pb.ioNamePtr = script->fromUnicode(MacNameFromDiskName(lastComponent(path)));
    pb.ioDrParID = folderId(*volume, parent);
    return noErr;
}

} // namespace fw
