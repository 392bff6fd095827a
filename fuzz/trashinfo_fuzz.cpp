// Feeds arbitrary bytes to the reader of Trash info files, as the home Trash's and as a volume's: a
// path it gives is always absolute, and on a volume it lies under the volume's top folder.
#include "framework/trash.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (const auto path = fw::TrashInfoOriginalPath(content); path && !path->startsWith('/'))
        __builtin_trap();
    const QByteArray top("/mnt/volume");
    if (const auto path = fw::TrashInfoOriginalPath(content, top);
        path && !path->startsWith('/') && !path->startsWith(top + '/'))
        __builtin_trap();
    return 0;
}
