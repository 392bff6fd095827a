#include "util/enigma.h"

#include "framework/thread.h"

#include <algorithm>
#include <array>
#include <optional>

using fw::String;

namespace Enigma {

namespace {

constexpr int tableSize = 101;
constexpr std::string_view alphabet = "mQ3xT8aKz1VbN6cRf0YhJ4sPd9GtL2uEy7OnXi5CoWkSgDBrMlUjHqIpFvAwZe";

// The digit value of each byte: its place in the alphabet, or -1. A table rather than a search of
// the alphabet: a record's long field may hold a megabyte to decipher between two stop points.
constexpr std::array<int8_t, 256> digitValues = [] {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (size_t i = 0; i < alphabet.size(); ++i)
        values[static_cast<unsigned char>(alphabet[i])] = static_cast<int8_t>(i);
    return values;
}();

// The digit value of a byte; nullopt when it is not in the alphabet.
std::optional<int32_t> digitValue(int byte)
{
    const int8_t value = digitValues[static_cast<size_t>(byte)];
    if (value < 0)
        return std::nullopt;
    return value;
}

} // namespace

int32_t Initialize(const String &key)
{
    std::array<int32_t, tableSize> table{};
    for (int32_t i = 0; i < tableSize; ++i)
        table[static_cast<size_t>(i)] = (37 * i + 11) % tableSize;
    if (key.isEmpty())
        return 1;
    const QByteArray &bytes = key.bytes();
    int32_t seed = static_cast<unsigned char>(bytes.at(0)) - 31;
    // The key is counted in characters but read by bytes, so the first byte is folded in twice.
    const int count = std::min(fw::Len(key), static_cast<int>(bytes.size()));
    for (int i = 0; i < count; ++i) {
        const int32_t b = static_cast<unsigned char>(bytes.at(i));
        // A key byte outside 32..126 can carry the seed off the table; bring it back onto it.
        const int32_t index = ((seed % tableSize) + tableSize) % tableSize;
        seed = (b - 31) + table[static_cast<size_t>(index)];
        if (seed > 100)
            seed -= tableSize;
        fw::Yield();
    }
    return seed;
}

String Decode(const String &text, const String &key)
{
    const int32_t seed = Initialize(key);
    const QByteArray &bytes = text.bytes();
    QByteArray result;
    result.reserve(bytes.size() / 2);
    int32_t k = 0;
    for (qsizetype p = 0; p + 1 < bytes.size(); p += 2) {
        ++k;
        const std::optional<int32_t> h = digitValue(static_cast<unsigned char>(bytes.at(p)));
        if (!h)
            break;
        const std::optional<int32_t> l = digitValue(static_cast<unsigned char>(bytes.at(p + 1)));
        if (!l)
            break;
        const int32_t v = *h * 62 + *l;
        // A well-formed text gives 0..255; anything else keeps its low byte.
        result.append(static_cast<char>((v ^ (seed ^ k)) & 0xFF));
        fw::Yield();
    }
    return String::fromBytes(result);
}

} // namespace Enigma
