#include "framework/string.h"

#include <QHash>

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace fw {

namespace {

struct ConverterCloser
{
    void operator()(UConverter *converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// Converters are opened per call: they keep state and are cheap to open once ICU has loaded the data.
Converter openConverter(const char *icuName, bool strict)
{
    UErrorCode error = U_ZERO_ERROR;
    Converter converter(ucnv_open(icuName, &error));
    if (U_FAILURE(error))
        return nullptr;
    if (strict) {
        ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
        ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    }
    return converter;
}

// The text of the bytes; `ok` tells whether every byte was valid (strict converters stop at the first
// invalid one).
QString icuToUnicode(const char *icuName, const QByteArray &bytes, bool strict, bool *ok = nullptr)
{
    if (ok)
        *ok = false;
    Converter converter = openConverter(icuName, strict);
    if (!converter)
        return {};
    // No encoding here gives more than one UTF-16 unit per byte, plus a flushed state.
    QString text(bytes.size() + 2, Qt::Uninitialized);
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar *>(text.data()),
                                         static_cast<int32_t>(text.size()), bytes.constData(),
                                         static_cast<int32_t>(bytes.size()), &error);
    if (U_FAILURE(error))
        return {};
    if (ok)
        *ok = true;
    text.truncate(length);
    return text;
}

QByteArray icuFromUnicode(const char *icuName, const QString &text)
{
    Converter converter = openConverter(icuName, false);
    if (!converter)
        return {};
    const auto *source = reinterpret_cast<const UChar *>(text.constData());
    const auto sourceLength = static_cast<int32_t>(text.size());
    UErrorCode error = U_ZERO_ERROR;
    const int32_t needed = ucnv_fromUChars(converter.get(), nullptr, 0, source, sourceLength, &error);
    if (error != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(error))
        return {};
    QByteArray bytes(needed, Qt::Uninitialized);
    error = U_ZERO_ERROR;
    ucnv_fromUChars(converter.get(), bytes.data(), needed, source, sourceLength, &error);
    return U_FAILURE(error) ? QByteArray() : bytes;
}

// C1 control characters, which EUC-JP tables give to stray bytes 0x80-0x9F; no text holds them.
bool holdsC1Control(const QString &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x80 && c.unicode() <= 0x9F; });
}

class IcuEncoding final : public TextEncoding
{
public:
    IcuEncoding(const char *icuName, QString internetName)
        : m_icuName(icuName), m_internetName(std::move(internetName))
    {
    }
    QString internetName() const override { return m_internetName; }
    QString toUnicode(const QByteArray &bytes) const override
    {
        return icuToUnicode(m_icuName, bytes, false);
    }
    QByteArray fromUnicode(const QString &text) const override { return icuFromUnicode(m_icuName, text); }
    bool isValid(const QByteArray &bytes) const
    {
        bool ok = false;
        const QString text = icuToUnicode(m_icuName, bytes, true, &ok);
        return ok && !holdsC1Control(text);
    }

private:
    const char *m_icuName;
    QString m_internetName;
};

// UTF-16 as Mac files hold it: big-endian unless a byte-order mark says otherwise; written big-endian
// with a mark, so that the text can be recognised again.
class Utf16Encoding final : public TextEncoding
{
public:
    QString internetName() const override { return QStringLiteral("UTF-16"); }

    QString toUnicode(const QByteArray &bytes) const override
    {
        qsizetype start = 0;
        bool bigEndian = true;
        const auto byteAt = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
        if (bytes.size() >= 2 && byteAt(0) == 0xFE && byteAt(1) == 0xFF) {
            start = 2;
        } else if (bytes.size() >= 2 && byteAt(0) == 0xFF && byteAt(1) == 0xFE) {
            start = 2;
            bigEndian = false;
        } else {
            // Without a mark, Latin text shows its order by where the zero bytes fall.
            qsizetype zerosEven = 0;
            qsizetype zerosOdd = 0;
            for (qsizetype i = 0; i < bytes.size(); ++i) {
                if (byteAt(i) == 0)
                    ++(i % 2 ? zerosOdd : zerosEven);
            }
            bigEndian = zerosOdd <= zerosEven;
        }
        QString text;
        text.reserve((bytes.size() - start) / 2 + 1);
        for (qsizetype i = start; i + 1 < bytes.size(); i += 2) {
            const auto unit = bigEndian ? (byteAt(i) << 8 | byteAt(i + 1)) : (byteAt(i + 1) << 8 | byteAt(i));
            text.append(QChar(static_cast<char16_t>(unit)));
        }
        if ((bytes.size() - start) % 2)
            text.append(QChar::ReplacementCharacter);
        return text;
    }

    QByteArray fromUnicode(const QString &text) const override
    {
        QByteArray bytes;
        bytes.reserve(2 + text.size() * 2);
        bytes.append('\xFE').append('\xFF');
        for (const QChar c : text) {
            bytes.append(static_cast<char>(c.unicode() >> 8));
            bytes.append(static_cast<char>(c.unicode() & 0xFF));
        }
        return bytes;
    }
};

// Mac Japanese: Shift_JIS as the Mac wrote it. The two-byte table is taken from ICU's CP932 for the
// JIS X 0208 rows and corrected where the Mac differs (row 0x81 and the single bytes 0x5C, 0x80, 0xA0,
// 0xFD-0xFF). Not mapped, and read as U+FFFD: the Mac's own rows 0x85-0x88 below the kanji (circled
// and parenthesised numbers, Roman numerals, units, era names), its vertical forms in 0xEB-0xED, and
// the user-defined area 0xF0-0xFC; CP932's NEC and IBM extensions are not taken over, since the Mac
// puts other characters at those codes.
class MacJapaneseEncoding final : public TextEncoding
{
public:
    MacJapaneseEncoding() : m_double(0x10000, 0)
    {
        readSingleBytes();
        readDoubleBytes();
        readEncoding();
    }

    QString internetName() const override { return QStringLiteral("Shift_JIS"); }
    QString toUnicode(const QByteArray &bytes) const override { return decode(bytes, nullptr); }

    QByteArray fromUnicode(const QString &text) const override
    {
        QByteArray bytes;
        bytes.reserve(text.size() * 2);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t unit = text.at(i).unicode();
            const auto found = m_encode.constFind(unit);
            if (found == m_encode.constEnd()) {
                if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                    ++i;
                bytes.append('?');
            } else if (*found > 0xFF) {
                bytes.append(static_cast<char>(*found >> 8)).append(static_cast<char>(*found & 0xFF));
            } else {
                bytes.append(static_cast<char>(*found));
            }
        }
        return bytes;
    }

    bool isValid(const QByteArray &bytes) const
    {
        bool valid = false;
        decode(bytes, &valid);
        return valid;
    }

private:
    static bool isLead(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

    void readSingleBytes()
    {
        for (int b = 0; b < 0x80; ++b)
            m_single[b] = static_cast<char16_t>(b);
        for (int b = 0xA1; b <= 0xDF; ++b)
            m_single[b] = static_cast<char16_t>(0xFF61 + (b - 0xA1)); // half-width katakana
        m_single[0x5C] = 0x00A5;
        m_single[0x80] = 0x005C;
        m_single[0xA0] = 0x00A0;
        m_single[0xFD] = 0x00A9;
        m_single[0xFE] = 0x2122;
        m_single[0xFF] = 0x2026;
    }

    void readDoubleBytes()
    {
        Converter cp932 = openConverter("ibm-943_P15A-2003", true);
        for (int lead = 0x81; lead <= 0xEA; ++lead) {
            if (!isLead(lead) || (lead >= 0x85 && lead <= 0x87))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F || (lead == 0x88 && trail < 0x9F))
                    continue;
                const std::array<char, 2> pair = {static_cast<char>(lead), static_cast<char>(trail)};
                std::array<UChar, 2> unit{};
                UErrorCode error = U_ZERO_ERROR;
                ucnv_reset(cp932.get());
                const int32_t n = ucnv_toUChars(cp932.get(), unit.data(), 2, pair.data(), 2, &error);
                if (U_SUCCESS(error) && n == 1)
                    m_double[lead << 8 | trail] = unit[0];
            }
        }
        const std::array<std::pair<uint16_t, char16_t>, 7> macRow81 = {{{0x815C, 0x2014},
                                                                        {0x8160, 0x301C},
                                                                        {0x8161, 0x2016},
                                                                        {0x817C, 0x2212},
                                                                        {0x8191, 0x00A2},
                                                                        {0x8192, 0x00A3},
                                                                        {0x81CA, 0x00AC}}};
        for (const auto &[code, unit] : macRow81)
            m_double[code] = unit;
    }

    // Each character encodes to its first code, single bytes before pairs.
    void readEncoding()
    {
        for (int b = 0; b < 0x100; ++b) {
            if (m_single[b] && !m_encode.contains(m_single[b]))
                m_encode.insert(m_single[b], static_cast<uint16_t>(b));
        }
        m_encode.insert(0x0000, 0x00);
        for (int code = 0; code < 0x10000; ++code) {
            if (m_double[code] && !m_encode.contains(m_double[code]))
                m_encode.insert(m_double[code], static_cast<uint16_t>(code));
        }
        // CP932's readings of row 0x81 are written to the same codes, so that such text still encodes.
        for (const auto &[unit, code] : std::array<std::pair<char16_t, uint16_t>, 7>{{{0x2015, 0x815C},
                                                                                      {0xFF5E, 0x8160},
                                                                                      {0x2225, 0x8161},
                                                                                      {0xFF0D, 0x817C},
                                                                                      {0xFFE0, 0x8191},
                                                                                      {0xFFE1, 0x8192},
                                                                                      {0xFFE2, 0x81CA}}}) {
            if (!m_encode.contains(unit))
                m_encode.insert(unit, code);
        }
    }

    QString decode(const QByteArray &bytes, bool *valid) const
    {
        QString text;
        text.reserve(bytes.size());
        bool ok = true;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const int b = static_cast<unsigned char>(bytes.at(i));
            if (!isLead(b)) {
                const char16_t unit = m_single[b];
                ok = ok && (unit != 0 || b == 0);
                text.append(unit != 0 || b == 0 ? QChar(unit) : QChar(QChar::ReplacementCharacter));
                continue;
            }
            const int trail = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes.at(i + 1)) : -1;
            if (trail < 0x40 || trail == 0x7F || trail > 0xFC) {
                // A lead byte without its trail byte: the next byte is read on its own.
                ok = false;
                text.append(QChar::ReplacementCharacter);
                continue;
            }
            const char16_t unit = m_double[b << 8 | trail];
            ok = ok && unit != 0;
            text.append(unit != 0 ? QChar(unit) : QChar(QChar::ReplacementCharacter));
            ++i;
        }
        if (valid)
            *valid = ok;
        return text;
    }

    std::array<char16_t, 0x100> m_single{};
    std::vector<char16_t> m_double;
    QHash<char16_t, uint16_t> m_encode;
};

const MacJapaneseEncoding &macJapanese()
{
    static const MacJapaneseEncoding encoding;
    return encoding;
}

const IcuEncoding &iso2022jp()
{
    static const IcuEncoding encoding("ISO-2022-JP", QStringLiteral("ISO-2022-JP"));
    return encoding;
}

const IcuEncoding &eucJp()
{
    static const IcuEncoding encoding("EUC-JP", QStringLiteral("EUC-JP"));
    return encoding;
}

bool isStrictUtf8(const QByteArray &bytes)
{
    bool ok = false;
    icuToUnicode("UTF-8", bytes, true, &ok);
    return ok;
}

// Both readings are valid: EUC-JP pairs of kana and kanji read in Shift_JIS as runs of half-width
// katakana, which Japanese names seldom are; any other Shift_JIS reading is taken as meant.
bool shiftJisReadsAsHalfWidthKanaOnly(const QByteArray &bytes)
{
    const QString text = macJapanese().toUnicode(bytes);
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x80 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F);
    });
}

} // namespace

namespace Encodings {

const TextEncoding *UTF16()
{
    static const Utf16Encoding encoding;
    return &encoding;
}

const TextEncoding *MacJapanese()
{
    return &macJapanese();
}

const TextEncoding *ShiftJIS()
{
    return &macJapanese();
}

// Qt 6 reads and writes file names and local 8-bit text as UTF-8 whatever the locale names, so the
// system's default encoding on this platform is UTF-8.
const TextEncoding *SystemDefault()
{
    return UTF8();
}

} // namespace Encodings

const TextEncoding *GetTextEncoding(int base, int variant, int format)
{
    if (variant != 0 || format != 0)
        return nullptr;
    switch (base) {
    case 0x820:
        return &iso2022jp();
    case 0x920:
        return &eucJp();
    default:
        return nullptr;
    }
}

QString FileNameText(const QByteArray &name)
{
    if (!name.isValidUtf8() && macJapanese().isValid(name))
        return macJapanese().toUnicode(name);
    return QString::fromUtf8(name);
}

const TextEncoding *GuessJapaneseEncoding(const String &text)
{
    const QByteArray &bytes = text.bytes();
    if (bytes.isEmpty())
        return nullptr;
    if (bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xFF\xFE"))
        return Encodings::UTF16();
    // No other Japanese encoding holds a zero byte; Latin text in UTF-16 holds many.
    if (bytes.contains('\0'))
        return bytes.size() % 2 == 0 ? Encodings::UTF16() : nullptr;
    const bool sevenBit = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    if (sevenBit && bytes.contains('\x1B') && iso2022jp().isValid(bytes))
        return &iso2022jp();
    // Plain ASCII counts as UTF-8: read as Shift_JIS, its backslash would become a yen sign.
    if (isStrictUtf8(bytes))
        return Encodings::UTF8();
    const bool shiftJis = macJapanese().isValid(bytes);
    const bool euc = eucJp().isValid(bytes);
    if (shiftJis && euc)
        return shiftJisReadsAsHalfWidthKanaOnly(bytes) ? static_cast<const TextEncoding *>(&eucJp())
                                                       : &macJapanese();
    if (shiftJis)
        return &macJapanese();
    if (euc)
        return &eucJp();
    return nullptr;
}

} // namespace fw
