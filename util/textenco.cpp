#include "util/textenco.h"

using fw::String;
using fw::TextEncoding;

namespace TextEnco {

namespace {

const TextEncoding *encodingNamed(const String &name)
{
    if (name == String("デフォルト"))
        return fw::Encodings::SystemDefault();
    if (name == String("Shift-JIS"))
        return fw::Encodings::MacJapanese();
    if (name == String("UTF-8"))
        return fw::Encodings::UTF8();
    if (name == String("UTF-16"))
        return fw::Encodings::UTF16();
    if (name == String("JIS"))
        return fw::GetTextEncoding(0x820, 0, 0);
    if (name == String("EUC"))
        return fw::GetTextEncoding(0x920, 0, 0);
    return fw::Encodings::SystemDefault();
}

bool isUtf16Name(const QString &internetName)
{
    return internetName == QLatin1String("UTF-16") || internetName == QLatin1String("UNICODE-2-0");
}

} // namespace

String gEncText(const String &text, const String &source, const String &target)
{
    const String from = source == String("Auto") ? gEncTextGetEnc(text) : source;
    return gEncTextEtc(text, from, target);
}

String gEncTextEtc(const String &text, const String &source, const String &target)
{
    const TextEncoding *from = encodingNamed(source);
    const TextEncoding *to = encodingNamed(target);
    if (from == nullptr || to == nullptr)
        return text;
    if (String(from->internetName()) == String(to->internetName()))
        return text;
    const fw::TextConverter converter = fw::GetTextConverter(from, to);
    if (converter.isNil())
        return text;
    return converter.convert(text);
}

String gEncTextGetEnc(const String &text)
{
    const TextEncoding *guess = fw::GuessJapaneseEncoding(text);
    if (guess == nullptr)
        return "デフォルト";
    const QString name = guess->internetName();
    if (name == QLatin1String("Shift_JIS"))
        return "Shift-JIS";
    if (isUtf16Name(name))
        return "UTF-16";
    if (name == QLatin1String("UTF-8"))
        return "UTF-8";
    return "デフォルト";
}

String gEncUTF8alt(const String &text, const String &fallback)
{
    const TextEncoding *guess = fw::GuessJapaneseEncoding(text);
    const QString name = guess ? guess->internetName() : fallback.toQString();
    if (name == QLatin1String("Shift_JIS"))
        return gEncText(text, "Shift-JIS", "UTF-8");
    if (isUtf16Name(name))
        return gEncText(text, "UTF-16", "UTF-8");
    return text;
}

String gEncDefUTF8(const String &text)
{
    return fw::DefineEncoding(text, fw::Encodings::UTF8());
}

} // namespace TextEnco
