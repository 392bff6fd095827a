#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string_view>

namespace fw {

class String;

// A text encoding. Instances are owned by the framework and live for the whole process; a
// `const TextEncoding *` of nullptr is the Nil encoding ("no label").
class TextEncoding
{
public:
    virtual ~TextEncoding() = default;
    // The internet (IANA) name: "UTF-8", "UTF-16", "Shift_JIS", "ISO-2022-JP", "EUC-JP", ...
    virtual QString internetName() const = 0;
    virtual QString toUnicode(const QByteArray &bytes) const = 0;
    virtual QByteArray fromUnicode(const QString &text) const = 0;
};

namespace Encodings {
const TextEncoding *UTF8();
const TextEncoding *UTF16();
// The Mac form of Shift_JIS (differences from CP932 in the single bytes and row 0x81).
const TextEncoding *MacJapanese();
// Plain Shift_JIS as the internet names it; on this platform the same converter as MacJapanese.
const TextEncoding *ShiftJIS();
// The encoding of the user's locale (UTF-8 on a modern Linux desktop).
const TextEncoding *SystemDefault();
} // namespace Encodings

// The encoding of a classic text-encoding triple (base 0x820 ISO-2022-JP, 0x920 EUC-JP, ...), or nullptr.
const TextEncoding *GetTextEncoding(int base, int variant, int format);

// Guesses the encoding of Japanese text by validity; right on short texts such as file names.
// nullptr when it cannot tell.
const TextEncoding *GuessJapaneseEncoding(const String &text);

// A file name's bytes as text for people to read: UTF-8; else Mac Japanese when the bytes are valid
// as such (names from old Mac archives); else UTF-8 with a replacement mark for each fault.
QString FileNameText(const QByteArray &name);

// A converter between two encodings; Nil (isNil) when the pair cannot be converted.
class TextConverter
{
public:
    TextConverter() = default;
    TextConverter(const TextEncoding *source, const TextEncoding *target);
    bool isNil() const { return m_source == nullptr || m_target == nullptr; }
    String convert(const String &text) const;

private:
    const TextEncoding *m_source = nullptr;
    const TextEncoding *m_target = nullptr;
};

TextConverter GetTextConverter(const TextEncoding *source, const TextEncoding *target);

// The framework's string: bytes with an encoding label (possibly none). Source literals are UTF-8.
class String
{
public:
    String() = default;
    String(const char *utf8);      // NOLINT(google-explicit-constructor): literals read naturally
    String(std::string_view utf8); // NOLINT(google-explicit-constructor)
    String(const QString &text);   // NOLINT(google-explicit-constructor): labelled UTF-8

    static String fromBytes(const QByteArray &bytes, const TextEncoding *encoding = nullptr);

    const QByteArray &bytes() const { return m_bytes; }
    const TextEncoding *encoding() const { return m_encoding; }
    bool isEmpty() const { return m_bytes.isEmpty(); }

    // The text as Unicode. Unlabelled bytes are read as UTF-8.
    QString toQString() const;
    std::string toStdString() const { return toQString().toStdString(); }

    // The one string equality of the system: compares characters, exactly, with case. Texts with the
    // same label compare by bytes; texts with different labels are compared after conversion.
    friend bool operator==(const String &a, const String &b);
    friend bool operator!=(const String &a, const String &b) { return !(a == b); }

    // Concatenation keeps the label when both sides share it, else joins the texts as UTF-8.
    friend String operator+(const String &a, const String &b);
    String &operator+=(const String &other);

private:
    QByteArray m_bytes;
    const TextEncoding *m_encoding = nullptr;
};

// Labels the bytes without changing them.
String DefineEncoding(const String &text, const TextEncoding *encoding);
// Converts the text to the encoding; unchanged when it cannot be converted.
String ConvertEncoding(const String &text, const TextEncoding *encoding);

// Character search ignoring case; 1-based result, 0 when not found. An empty find is never found.
// A start below 1 searches from the beginning.
int InStr(int start, const String &text, const String &find);
// Byte search, with case; 1-based result, 0 when not found. An empty find is never found.
int InStrB(int start, const String &text, const String &find);

// The number that the text begins with (after leading blanks; sign, digits, decimals, exponent,
// "&h" hexadecimal), 0 when it begins with none.
double Val(const String &text);
// A number brought to a 32-bit integer: truncated toward zero, saturated at the Int32 limits, NaN 0.
int32_t ToInt32(double value);
String Str(int64_t value);
String Str(double value);
// Formats a number by a pattern of "0" (a digit always) and "#" (a digit when needed): Format(5, "00") =
// "05".
String Format(double value, const String &pattern);

// Fields separated by a separator, numbered from 1; an empty field between two adjacent separators
// or after a trailing one. The empty text has 0 fields.
int CountFields(const String &text, const String &separator);
String NthField(const String &text, const String &separator, int n);

int LenB(const String &text);
String MidB(const String &text, int start); // from the 1-based byte start to the end
String MidB(const String &text, int start, int length);
String LeftB(const String &text, int length);
int AscB(const String &text);              // the first byte's value, 0 for the empty text
String ChrB(int value);                    // a one-byte string without encoding
int Len(const String &text);               // characters
String Mid(const String &text, int start); // 1-based characters
String Mid(const String &text, int start, int length);

} // namespace fw
