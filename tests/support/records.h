#pragma once

#include "tests/support/fixtures.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Writers of the records that the sibling applications and the Mac leave on disk.
namespace testsupport {

// A classic alias record, version 2. Text fields are bytes as the record holds them.
struct AliasOptions
{
    bool folder = true;
    QByteArray volumeName = "Startup"; // header, system script, at most 27 bytes
    QByteArray targetName;             // header, system script, at most 63 bytes
    QByteArray hfsPath;                // tag 2 "Vol:dir:name" (system script); none when empty
    QByteArray posixPath;              // tag 18, relative to the volume (UTF-8); none when empty
    QByteArray volumeMountPoint;       // tag 19 (UTF-8); none when empty
};
QByteArray aliasRecord(const AliasOptions &options);

// Enciphers bytes as the "pref2" records hold them: two alphabet characters per byte.
QByteArray encipher(const QByteArray &plain, const QByteArray &key = "8w");

// The items of a preference record; fields 17, 18 and 19 are the long fields.
struct PrefRecord
{
    QByteArray header = "prefs";
    QList<int> entries;
    QList<QByteArray> fields;
};
// "pref2": every item enciphered and byte-counted, the long fields with a 4-byte length.
QByteArray pref2Record(const PrefRecord &record);
// "pref": plain; the entry and field counts are 4-byte integers.
QByteArray prefRecord(const PrefRecord &record);

} // namespace testsupport
