#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace fw::FinderInfo {

// The 32 bytes of classic Finder metadata: type and creator (files), flags, location.
using Bytes = std::array<unsigned char, 32>;

constexpr uint16_t kIsInvisible = 0x4000;

// Type (offset 0) and creator (offset 4), four Latin-1 characters each, and the flags (offset 8).
QString type(const Bytes &info);
QString creator(const Bytes &info);
uint16_t flags(const Bytes &info);

// Reads `length` bytes at `offset` of a source of `size` bytes; fewer bytes mean the source ended.
using ReadAt = std::function<QByteArray(int64_t offset, int64_t length)>;

// The first 32 bytes of the Finder Info entry (id 9) of an AppleDouble version 2 source: the header and
// the descriptors are read, then the 32 bytes, nothing else. Nothing for a source that is no AppleDouble
// file, lists an absurd number of entries, or whose entry 9 is shorter than 32 bytes or runs past its end.
std::optional<Bytes> fromAppleDouble(const ReadAt &readAt, int64_t size);
std::optional<Bytes> fromAppleDouble(QByteArrayView blob);

// The FinderInfo of a Samba AfpInfo stream (signature 'AFP\0', version 1.0, FinderInfo at offset 16).
std::optional<Bytes> fromAfpInfo(QByteArrayView blob);

// Paths here are native (FolderItem::nativePath, the exact bytes): a walk asks them of every entry.

// The AppleDouble sidecar "._NAME" beside the item at the path.
QByteArray sidecarPath(const QByteArray &path);

// Where an item lies for the calls that read it: a folder's descriptor and the item's name in it, or
// AT_FDCWD and the whole path; the whole path also serves the calls that have no relative form.
struct Place
{
    int folder;
    const char *name;
    const QByteArray &path;
};

// The FinderInfo of the item (a link stands for itself), looked for in this order: the sidecar, the
// netatalk attribute, the AfpInfo stream attribute. Nothing when none holds any. A caller that knows
// there is no sidecar (its folder's listing showed none) says so, and it is not looked for.
std::optional<Bytes> read(const Place &place, bool sidecarMayExist = true);
std::optional<Bytes> read(const QByteArray &path, bool sidecarMayExist = true);

// Per-OS: the value of the item's extended attribute (a link's own), read at once into a buffer of
// maxSize bytes; nothing when it has none or the value is larger.
std::optional<QByteArray> readAttribute(const Place &place, const char *name, int64_t maxSize);
// Per-OS: the names of the item's extended attributes (a link's own), each followed by a NUL; nothing
// when they cannot be listed (then every attribute must be asked for).
std::optional<QByteArray> attributeNames(const Place &place);

} // namespace fw::FinderInfo
