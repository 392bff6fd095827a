#include "catalogue/catalogue.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// The catalogue file is the user's to edit. Whatever "appList.txt" holds, the reader ends at the
// file's end, and every row it makes starts with a product label taken from a line of the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir root;
    const QString path = root.filePath(QStringLiteral("appList.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            __builtin_trap();
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    Globals::gItem.clear();
    Catalogue::readFile(fw::FolderItem::fromPath(path));
    // A row needs a label line and the line break after it, but the last.
    if (Globals::gItem.size() > size / 2 + 1)
        __builtin_trap();
    for (const fw::Dictionary &row : Globals::gItem) {
        if (!row.HasKey("appLabel") || row.Value("appLabel").StringValue().isEmpty())
            __builtin_trap();
    }
    Globals::gItem.clear();
    return 0;
}
