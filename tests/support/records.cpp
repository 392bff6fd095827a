#include "tests/support/records.h"

#include <array>
#include <stdexcept>

namespace testsupport {

namespace {

constexpr const char *alphabet = "mQ3xT8aKz1VbN6cRf0YhJ4sPd9GtL2uEy7OnXi5CoWkSgDBrMlUjHqIpFvAwZe";

void appendU16(QByteArray &out, int value)
{
    out.append(static_cast<char>((value >> 8) & 0xFF)).append(static_cast<char>(value & 0xFF));
}

void appendU32(QByteArray &out, qint64 value)
{
    appendU16(out, static_cast<int>((value >> 16) & 0xFFFF));
    appendU16(out, static_cast<int>(value & 0xFFFF));
}

// A Pascal string in a field of fixed size (length byte included).
void appendFixedPString(QByteArray &out, const QByteArray &text, int size)
{
    if (text.size() >= size)
        throw std::invalid_argument("name too long for its field");
    out.append(static_cast<char>(text.size())).append(text).append(QByteArray(size - 1 - text.size(), '\0'));
}

void appendTag(QByteArray &out, int tag, const QByteArray &payload)
{
    appendU16(out, tag);
    appendU16(out, static_cast<int>(payload.size()));
    out.append(payload);
    if (payload.size() % 2)
        out.append('\0');
}

void appendPString(QByteArray &out, const QByteArray &text)
{
    if (text.size() > 255)
        throw std::invalid_argument("byte-counted string longer than 255 bytes");
    out.append(static_cast<char>(text.size())).append(text);
}

// The folding of the key, written out independently of the reader.
int seedOf(const QByteArray &key)
{
    std::array<int, 101> table{};
    for (int i = 0; i < 101; ++i)
        table[static_cast<size_t>(i)] = (37 * i + 11) % 101;
    if (key.isEmpty())
        return 1;
    for (const char c : key) {
        if (c < 32 || c > 126)
            throw std::invalid_argument("keys are printable ASCII");
    }
    int seed = static_cast<unsigned char>(key.at(0)) - 31;
    for (const char c : key) {
        seed = (static_cast<unsigned char>(c) - 31) + table[static_cast<size_t>(seed)];
        if (seed > 100)
            seed -= 101;
    }
    return seed;
}

QByteArray prefItems(const PrefRecord &record, bool enciphered)
{
    const auto text = [enciphered](const QByteArray &plain) { return enciphered ? encipher(plain) : plain; };
    QByteArray out;
    appendPString(out, text(record.header));
    if (enciphered)
        appendPString(out, text(QByteArray::number(record.entries.size())));
    else
        appendU32(out, record.entries.size());
    for (const int entry : record.entries)
        appendPString(out, text(QByteArray::number(entry)));
    if (enciphered)
        appendPString(out, text(QByteArray::number(record.fields.size())));
    else
        appendU32(out, record.fields.size());
    for (qsizetype i = 0; i < record.fields.size(); ++i) {
        const QByteArray field = text(record.fields.at(i));
        if (i >= 17 && i <= 19) {
            appendU32(out, field.size());
            out.append(field);
        } else {
            appendPString(out, field);
        }
    }
    return out;
}

} // namespace

QByteArray aliasRecord(const AliasOptions &options)
{
    QByteArray out;
    appendU32(out, 0); // user type
    appendU16(out, 0); // record size, set below
    appendU16(out, 2); // version
    appendU16(out, options.folder ? 1 : 0);
    appendFixedPString(out, options.volumeName, 28);
    appendU32(out, 3'000'000'000LL); // volume creation date
    out.append("H+");
    appendU16(out, 0);  // fixed disk
    appendU32(out, 16); // parent folder number
    appendFixedPString(out, options.targetName, 64);
    appendU32(out, 17);              // target number
    appendU32(out, 3'000'000'000LL); // target creation date
    out.append(options.folder ? QByteArray(8, '\0') : QByteArray("TEXTttxt"));
    appendU16(out, 1); // levels from the alias to the common folder
    appendU16(out, 1); // levels from the common folder to the target
    appendU32(out, 0); // volume attributes
    appendU16(out, 0); // volume file system
    out.append(QByteArray(10, '\0'));
    if (!options.hfsPath.isEmpty())
        appendTag(out, 2, options.hfsPath);
    if (!options.posixPath.isEmpty())
        appendTag(out, 18, options.posixPath);
    if (!options.volumeMountPoint.isEmpty())
        appendTag(out, 19, options.volumeMountPoint);
    appendU16(out, 0xFFFF);
    appendU16(out, 0);
    if (out.size() > 0xFFFF)
        throw std::invalid_argument("alias record too long");
    out[4] = static_cast<char>(out.size() >> 8);
    out[5] = static_cast<char>(out.size() & 0xFF);
    return out;
}

QByteArray encipher(const QByteArray &plain, const QByteArray &key)
{
    const int seed = seedOf(key);
    QByteArray out;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const int k = static_cast<int>(i) + 1;
        const int v = static_cast<unsigned char>(plain.at(i)) ^ (seed ^ k);
        if (v >= 62 * 62)
            throw std::invalid_argument("text too long to encipher");
        out.append(alphabet[v / 62]).append(alphabet[v % 62]);
    }
    return out;
}

QByteArray pref2Record(const PrefRecord &record)
{
    return prefItems(record, true);
}

QByteArray prefRecord(const PrefRecord &record)
{
    return prefItems(record, false);
}

} // namespace testsupport
