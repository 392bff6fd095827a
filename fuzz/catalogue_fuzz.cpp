#include "app/app.h"
#include "catalogue/catalogue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// The catalogue file is the user's to edit. Whatever "appList.txt" holds, the reader ends at the
// file's end, and every row it makes starts with a product label taken from a line of the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir root;
    static App app;
    static const bool made = [] {
        QDir(root.path()).mkpath(QStringLiteral("app/bin"));
        QDir(root.path()).mkpath(QStringLiteral("app/Resources"));
        fw::Application::setExecutableFile(
            fw::FolderItem::fromPath(root.filePath(QStringLiteral("app/bin/x"))));
        return true;
    }();
    (void)made;
    {
        QFile file(root.filePath(QStringLiteral("app/Resources/appList.txt")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            __builtin_trap();
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    Globals::gItem.clear();
    if (!app.LoadFile())
        __builtin_trap();
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
