// Feeds arbitrary bytes to the FinderInfo parsers: as an AppleDouble sidecar or netatalk blob, and as
// an AfpInfo stream. The sidecar reader must never ask for bytes outside the source, nor for more
// than the header, the descriptors and the 32 bytes.
#include "framework/finderinfo.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView blob(data, static_cast<qsizetype>(size));
    (void)fw::FinderInfo::fromAppleDouble(blob);
    (void)fw::FinderInfo::fromAfpInfo(blob);

    int64_t requested = 0;
    const fw::FinderInfo::ReadAt readAt = [&](int64_t offset, int64_t length) {
        if (offset < 0 || length < 0 || offset + length > blob.size())
            __builtin_trap();
        requested += length;
        return blob.sliced(offset, length).toByteArray();
    };
    (void)fw::FinderInfo::fromAppleDouble(readAt, blob.size());
    if (requested > 26 + 64 * 12 + 32)
        __builtin_trap();
    return 0;
}
