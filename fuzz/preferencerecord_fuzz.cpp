#include "framework/streams.h"
#include "workers/preferencerecord.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// Preference records come from files that other programs wrote. The first byte picks the format; the
// rest is the file. Whatever it holds, the reader ends at the file's end and gives back no more bytes
// than the file held.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("record"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            __builtin_trap();
        file.write(reinterpret_cast<const char *>(data + 1), static_cast<qint64>(size - 1));
    }
    const bool enciphered = data[0] & 1;
    const PreferenceRecordFormat format{enciphered, enciphered ? PreferenceRecordFormat::Label::Utf8
                                                               : PreferenceRecordFormat::Label::ShiftJis};
    fw::BinaryStream stream(QFile::encodeName(path), false);
    const std::optional<LongFields> fields = readPreferenceRecord(stream, format);
    if (fields) {
        qsizetype total = 0;
        for (const fw::String &field : *fields)
            total += field.bytes().size();
        if (total > static_cast<qsizetype>(size))
            __builtin_trap();
    }
    return 0;
}
