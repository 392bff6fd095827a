#include "framework/folderitem.h"
#include "framework/string.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>

// A file name's bytes come from any system. Whatever they are, the text the list and the messages show
// for them is valid UTF-16, no longer than the bytes: a UTF-8 name as it is, else its Mac Japanese
// reading when that reads every byte, else the name with a replacement mark; and a file item of that
// name shows the same.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray name(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString shown = fw::FileNameText(name);
    if (!QStringView(shown).isValidUtf16() || shown.size() > name.size())
        __builtin_trap();
    const QString macJapanese = fw::Encodings::MacJapanese()->toUnicode(name);
    if (name.isValidUtf8()) {
        if (shown.toUtf8() != name)
            __builtin_trap();
    } else if (!macJapanese.contains(QChar::ReplacementCharacter)) {
        if (shown != macJapanese)
            __builtin_trap();
    } else if (!shown.contains(QChar::ReplacementCharacter)) {
        __builtin_trap();
    }

    if (!name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0')) {
        const fw::FolderItem item = fw::FolderItem::fromNativePath("/folder/" + name);
        if (item.DisplayName().toQString() != shown)
            __builtin_trap();
    }
    return 0;
}
