#include "framework/streams.h"

#include <QtEndian>

#include <algorithm>
#include <array>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

constexpr qint64 kChunk = qint64{64} * 1024;

// Opens a plain file only: a FIFO or a device (perhaps behind a link) would block the open or never
// end. The open does not block, so a FIFO put in the file's place is refused too.
bool openPlainFile(QFile &file, const QByteArray &nativePath, bool readWrite)
{
    const int fd = ::open(nativePath.constData(), (readWrite ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, readWrite ? QIODevice::ReadWrite : QIODevice::ReadOnly,
                   QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace

TextInputStream::TextInputStream(const QByteArray &nativePath) : m_encoding(Encodings::UTF8())
{
    if (!openPlainFile(m_file, nativePath, false))
        return;
    std::array<char, 3> bom{};
    if (m_file.peek(bom.data(), 3) == 3 && bom[0] == '\xEF' && bom[1] == '\xBB' && bom[2] == '\xBF')
        m_file.skip(3);
}

bool TextInputStream::fill()
{
    if (m_position < m_buffer.size())
        return true;
    if (!m_file.isOpen())
        return false;
    const qint64 allowed = m_readLimit < 0 ? kChunk : std::min(kChunk, m_readLimit - m_file.pos());
    m_buffer = allowed > 0 ? m_file.read(allowed) : QByteArray();
    m_position = 0;
    return !m_buffer.isEmpty();
}

String TextInputStream::ReadLine()
{
    return ReadLine(-1);
}

String TextInputStream::ReadLine(qint64 maxLineBytes)
{
    QByteArray line;
    while (fill()) {
        const char *begin = m_buffer.constData() + m_position;
        const char *end = m_buffer.constData() + m_buffer.size();
        const char *stop = std::find_if(begin, end, [](char c) { return c == '\n' || c == '\r'; });
        const qint64 room = maxLineBytes < 0 ? stop - begin : std::max<qint64>(maxLineBytes - line.size(), 0);
        const qsizetype kept = static_cast<qsizetype>(std::min<qint64>(stop - begin, room));
        if (line.isEmpty())
            line = QByteArray(begin, kept); // sized to the line, as callers often keep lines
        else
            line.append(begin, kept);
        m_position += stop - begin;
        if (stop == end)
            continue;
        ++m_position;
        if (*stop == '\r' && fill() && m_buffer.at(m_position) == '\n')
            ++m_position;
        break;
    }
    return String::fromBytes(line, m_encoding);
}

String TextInputStream::ReadAll()
{
    return ReadAll(-1);
}

String TextInputStream::ReadAll(qint64 maxBytes)
{
    QByteArray all;
    while ((maxBytes < 0 || all.size() < maxBytes) && fill()) {
        const qsizetype available = m_buffer.size() - m_position;
        const qsizetype want =
            maxBytes < 0 ? available
                         : static_cast<qsizetype>(std::min<qint64>(available, maxBytes - all.size()));
        all.append(m_buffer.constData() + m_position, want);
        m_position += want;
    }
    return String::fromBytes(all, m_encoding);
}

bool TextInputStream::EndOfFile()
{
    return !fill();
}

void TextInputStream::Close()
{
    m_file.close();
    m_buffer.clear();
    m_position = 0;
}

BinaryStream::BinaryStream(const QByteArray &nativePath, bool readWrite)
{
    openPlainFile(m_file, nativePath, readWrite);
}

String BinaryStream::ReadPString()
{
    char length = 0;
    if (!m_file.getChar(&length))
        return {};
    return Read(static_cast<unsigned char>(length));
}

int32_t BinaryStream::ReadLong()
{
    const QByteArray bytes = m_file.read(4);
    if (bytes.size() < 4)
        return 0;
    return qFromBigEndian<qint32>(bytes.constData());
}

String BinaryStream::Read(int64_t count)
{
    if (count <= 0 || !m_file.isOpen())
        return {};
    // Never ask for more than the file still holds: a count read from the file may be absurd.
    const qint64 available = m_file.size() - m_file.pos();
    return String::fromBytes(m_file.read(std::min<qint64>(count, std::max<qint64>(available, 0))));
}

bool BinaryStream::EndOfFile() const
{
    return !m_file.isOpen() || m_file.atEnd();
}

int64_t BinaryStream::Length() const
{
    return m_file.size();
}

int64_t BinaryStream::Position() const
{
    return m_file.pos();
}

void BinaryStream::Close()
{
    m_file.close();
}

} // namespace fw
