#include "framework/streams.h"

#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

constexpr qint64 kChunk = 64 * 1024;

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
    char bom[3];
    if (m_file.peek(bom, 3) == 3 && bom[0] == '\xEF' && bom[1] == '\xBB' && bom[2] == '\xBF')
        m_file.skip(3);
}

String TextInputStream::ReadLine()
{
    return ReadLine(-1);
}

String TextInputStream::ReadLine(qint64 maxLineBytes)
{
    QByteArray line;
    char c;
    while (m_file.isOpen() && m_file.getChar(&c)) {
        if (c == '\n')
            break;
        if (c == '\r') {
            char next;
            if (m_file.peek(&next, 1) == 1 && next == '\n')
                m_file.skip(1);
            break;
        }
        if (maxLineBytes < 0 || line.size() < maxLineBytes)
            line.append(c);
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
    while (m_file.isOpen() && !m_file.atEnd() && (maxBytes < 0 || all.size() < maxBytes)) {
        const qint64 want = maxBytes < 0 ? kChunk : std::min(kChunk, maxBytes - all.size());
        const QByteArray chunk = m_file.read(want);
        if (chunk.isEmpty())
            break;
        all += chunk;
    }
    return String::fromBytes(all, m_encoding);
}

bool TextInputStream::EndOfFile()
{
    return !m_file.isOpen() || m_file.atEnd();
}

void TextInputStream::Close()
{
    m_file.close();
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
