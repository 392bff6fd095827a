#pragma once

#include "framework/string.h"

#include <QFile>

#include <cstdint>

namespace fw {

// Reads a text file line by line. Lines end at LF, CR LF or CR; a UTF-8 byte-order mark at the start
// is skipped. Reads never allocate more than the file holds.
// (The end test is called EndOfFile: EOF is a macro of the C library.)
class TextInputStream
{
public:
    explicit TextInputStream(const QByteArray &nativePath);
    bool isOpen() const { return m_file.isOpen(); }

    // Reads nothing beyond the file's first `bytes` bytes: the file seems to end there.
    void setReadLimit(qint64 bytes) { m_readLimit = bytes; }

    // The encoding the lines are labelled with; UTF-8 unless set.
    void setEncoding(const TextEncoding *encoding) { m_encoding = encoding; }
    const TextEncoding *encoding() const { return m_encoding; }

    // The next line without its end-of-line characters; "" at the end of the file.
    String ReadLine();
    // At most maxLineBytes of the next line (the rest of the line is skipped).
    String ReadLine(qint64 maxLineBytes);
    // The rest of the file.
    String ReadAll();
    // At most maxBytes of the rest of the file.
    String ReadAll(qint64 maxBytes);
    bool EndOfFile();
    void Close();

private:
    // Refills the buffer once it is used up; False at the end of what may be read.
    bool fill();

    QFile m_file;
    const TextEncoding *m_encoding;
    qint64 m_readLimit = -1;
    QByteArray m_buffer;
    qsizetype m_position = 0; // in m_buffer
};

// Reads a binary file; integers are big-endian. A read past the end gives what the file still holds
// (for ReadLong: 0) and leaves EndOfFile True.
class BinaryStream
{
public:
    BinaryStream(const QByteArray &nativePath, bool readWrite);
    bool isOpen() const { return m_file.isOpen(); }

    // One length byte, then that many bytes (fewer at the end of the file); no encoding.
    String ReadPString();
    int32_t ReadLong();
    // At most count bytes; no encoding.
    String Read(int64_t count);
    bool EndOfFile() const;
    int64_t Length() const;
    int64_t Position() const;
    void Close();

private:
    QFile m_file;
};

} // namespace fw
