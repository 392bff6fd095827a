#include "util/enigma.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// The first byte splits the input into a key and an enciphered text, both of any bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t keyLength = data[0] % 8 < size - 1 ? data[0] % 8 : size - 1;
    const QByteArray key(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(keyLength));
    const QByteArray text(reinterpret_cast<const char *>(data + 1 + keyLength),
                          static_cast<qsizetype>(size - 1 - keyLength));
    const fw::String decoded = Enigma::Decode(fw::String::fromBytes(text), fw::String::fromBytes(key));
    if (decoded.bytes().size() > text.size() / 2)
        __builtin_trap();
    return 0;
}
