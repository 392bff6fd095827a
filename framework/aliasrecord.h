#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// Stand-ins for the classic Mac memory and file-manager calls that resolve alias records and walk
// folders up to their volume. Every call is made on the GUI thread (threads here are fibers).
namespace fw {

using OSErr = int16_t;
constexpr OSErr noErr = 0;
constexpr OSErr nsvErr = -35;   // no such volume
constexpr OSErr bdNamErr = -37; // a name that the system script cannot hold
constexpr OSErr fnfErr = -43;   // file or folder not found
constexpr OSErr paramErr = -50; // a malformed alias record, an unsupported request
constexpr OSErr nilHandleErr = -109;

// Folder numbers of a volume, as the Mac numbered them.
constexpr int32_t fsRtParID = 1; // the parent of a volume's root folder
constexpr int32_t fsRtDirID = 2; // a volume's root folder

// Handles: relocatable blocks, named by a number (0 = none) in a table of the process.
using Handle = int32_t;
Handle NewHandle(int32_t size); // 0 when the block cannot be had
void DisposeHandle(Handle handle);
void HLock(Handle handle);
int8_t HGetState(Handle handle);
void HSetState(Handle handle, int8_t state);
void SetHandleSize(Handle handle, int32_t size);
uint8_t *HandleData(Handle handle); // the block's bytes; nullptr for no such handle

// An item as volume, parent folder number and name. vRefNum names a volume of MountedVolumes()
// (the startup volume is -1; others get numbers on first sight, kept for the process); folder numbers are
// handed out by the resolver and walked by PBGetCatInfoSync.
struct FSSpec
{
    int16_t vRefNum = 0;
    int32_t parID = 0;
    QByteArray name; // in the system script (Mac Japanese)
};

// The folder catalogue request: only ioFDirIndex -1 (the folder ioDrDirID itself) is served.
struct CInfoPBRec
{
    QByteArray *ioNamePtr = nullptr; // receives the folder's name in the system script
    int16_t ioVRefNum = 0;
    int16_t ioFDirIndex = 0;
    int32_t ioDrDirID = 0;
    int32_t ioDrParID = 0; // receives the parent's number
};
OSErr PBGetCatInfoSync(CInfoPBRec &pb);

// What a classic alias record (version 2 or 3) stores that helps find its target here.
struct AliasRecord
{
    int version = 0;
    QString volumeName;          // the Unicode volume name (tag 15), else the header's (version 2)
    QByteArray hfsPath;          // tag 2: "Vol:dir:file" in the system script
    QByteArray posixPath;        // tag 18: UTF-8, relative to the volume's root
    QByteArray volumeMountPoint; // tag 19: UTF-8
};

// Parses the record at the start of the bytes (an application may append data after it); nullopt
// when a field or tag runs past the record, or the record's own size lies.
std::optional<AliasRecord> ParseAliasRecord(const QByteArray &bytes);

// Finds the alias record's target: its POSIX path on its volume, then its HFS path, mapped onto this
// system's volumes. The target must exist and its full colon path must lead back to it (a name the
// system script cannot hold does not). fromFile is not used: relative records are not resolved.
OSErr ResolveAlias(const FSSpec *fromFile, Handle alias, FSSpec &target, bool &wasChanged);

} // namespace fw
