#include "framework/string.h"
#include "util/textenco.h"

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>

// Names, records and texts of other programs come in any of the Japanese encodings. Whatever the
// bytes, every decoder keeps the text's length in bounds and loses no text, the guess names an
// encoding that reads them whole, and every conversion between the system's own names ends.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const fw::String text = fw::String::fromBytes(bytes);

    const fw::TextEncoding *euc = fw::GetTextEncoding(0x920, 0, 0);
    const std::array<const fw::TextEncoding *, 6> encodings = {
        fw::Encodings::UTF8(),     fw::Encodings::UTF16(),           fw::Encodings::MacJapanese(),
        fw::Encodings::ShiftJIS(), fw::GetTextEncoding(0x820, 0, 0), euc};
    for (const fw::TextEncoding *encoding : encodings) {
        const QString decoded = encoding->toUnicode(bytes);
        // In Shift_JIS and EUC-JP every byte is read as part of a character; the others have marks and
        // escape sequences that stand for none.
        const bool everyByteReads = encoding == fw::Encodings::MacJapanese() || encoding == euc;
        if (decoded.size() > bytes.size() + 2 || (everyByteReads && decoded.isEmpty() && !bytes.isEmpty()))
            __builtin_trap();
        (void)encoding->fromUnicode(decoded);
        (void)fw::ConvertEncoding(fw::String(decoded), encoding);
    }

    // The guessed encoding reads the bytes whole: UTF-8 gives them back, the others read no byte as a
    // stray one, and Mac Japanese text survives being written again (as the same text: 0xFF and
    // 0x81 0x63 are both the ellipsis).
    const fw::TextEncoding *guess = fw::GuessJapaneseEncoding(text);
    if (guess != nullptr && guess != fw::Encodings::UTF16()) {
        const QString decoded = guess->toUnicode(bytes);
        if (guess == fw::Encodings::UTF8() ? guess->fromUnicode(decoded) != bytes
                                           : decoded.contains(QChar::ReplacementCharacter))
            __builtin_trap();
        if (guess == fw::Encodings::MacJapanese() && guess->toUnicode(guess->fromUnicode(decoded)) != decoded)
            __builtin_trap();
    }

    const std::array<const char *, 7> names = {"デフォルト", "Shift-JIS", "UTF-8", "UTF-16",
                                               "JIS",        "EUC",       "Auto"};
    for (const char *source : names) {
        for (const char *target : names)
            (void)TextEnco::gEncText(text, source, target);
    }
    (void)TextEnco::gEncTextGetEnc(text);
    (void)TextEnco::gEncUTF8alt(text, "Shift_JIS");
    (void)TextEnco::gEncDefUTF8(text);
    return 0;
}
