#include "framework/string.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace fw {

namespace {

class Utf8Encoding final : public TextEncoding
{
public:
    QString internetName() const override { return QStringLiteral("UTF-8"); }
    QString toUnicode(const QByteArray &bytes) const override { return QString::fromUtf8(bytes); }
    QByteArray fromUnicode(const QString &text) const override { return text.toUtf8(); }
};

bool sameText(const String &a, const String &b)
{
    return a.toQString() == b.toQString();
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of a hexadecimal digit, or -1 for any other byte.
int hexDigit(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Where the run of decimal digits that starts at `i` ends.
qsizetype skipDigits(const QByteArray &b, qsizetype i)
{
    while (i < b.size() && isDigit(b[i]))
        ++i;
    return i;
}

// The hexadecimal digits from `i` on, up to the first other byte.
double hexValue(const QByteArray &b, qsizetype i)
{
    double value = 0;
    for (; i < b.size(); ++i) {
        const int digit = hexDigit(b[i]);
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return value;
}

// Where an exponent that follows a number ending at `i` ends: `i` itself when no exponent follows.
qsizetype exponentEnd(const QByteArray &b, qsizetype i)
{
    if (i >= b.size() || (b[i] != 'e' && b[i] != 'E'))
        return i;
    qsizetype j = i + 1;
    if (j < b.size() && (b[j] == '+' || b[j] == '-'))
        ++j;
    return j < b.size() && isDigit(b[j]) ? skipDigits(b, j) : i;
}

} // namespace

namespace Encodings {
const TextEncoding *UTF8()
{
    static const Utf8Encoding encoding;
    return &encoding;
}
} // namespace Encodings

TextConverter::TextConverter(const TextEncoding *source, const TextEncoding *target)
    : m_source(source), m_target(target)
{
}

String TextConverter::convert(const String &text) const
{
    if (isNil())
        return text;
    return String::fromBytes(m_target->fromUnicode(m_source->toUnicode(text.bytes())), m_target);
}

TextConverter GetTextConverter(const TextEncoding *source, const TextEncoding *target)
{
    return {source, target};
}

String::String(const char *utf8) : m_bytes(utf8), m_encoding(Encodings::UTF8()) {}

String::String(std::string_view utf8)
    : m_bytes(utf8.data(), static_cast<qsizetype>(utf8.size())), m_encoding(Encodings::UTF8())
{
}

String::String(const QString &text) : m_bytes(text.toUtf8()), m_encoding(Encodings::UTF8()) {}

String String::fromBytes(const QByteArray &bytes, const TextEncoding *encoding)
{
    String s;
    s.m_bytes = bytes;
    s.m_encoding = encoding;
    return s;
}

QString String::toQString() const
{
    if (m_encoding == nullptr)
        return QString::fromUtf8(m_bytes);
    return m_encoding->toUnicode(m_bytes);
}

bool operator==(const String &a, const String &b)
{
    if (a.m_encoding == b.m_encoding || a.m_bytes.isEmpty() || b.m_bytes.isEmpty())
        return a.m_bytes == b.m_bytes;
    return sameText(a, b);
}

String operator+(const String &a, const String &b)
{
    String result = a;
    result += b;
    return result;
}

String &String::operator+=(const String &other)
{
    if (other.m_bytes.isEmpty())
        return *this;
    if (m_bytes.isEmpty()) {
        *this = other;
        return *this;
    }
    if (m_encoding == other.m_encoding) {
        m_bytes += other.m_bytes;
        return *this;
    }
    *this = String(toQString() + other.toQString());
    return *this;
}

String DefineEncoding(const String &text, const TextEncoding *encoding)
{
    return String::fromBytes(text.bytes(), encoding);
}

String ConvertEncoding(const String &text, const TextEncoding *encoding)
{
    if (encoding == nullptr || text.encoding() == encoding)
        return text;
    const TextEncoding *source = text.encoding() ? text.encoding() : Encodings::UTF8();
    return GetTextConverter(source, encoding).convert(text);
}

int InStr(int start, const String &text, const String &find)
{
    const QString needle = find.toQString();
    if (needle.isEmpty())
        return 0;
    const qsizetype from = start > 1 ? start - 1 : 0;
    const qsizetype at = text.toQString().indexOf(needle, from, Qt::CaseInsensitive);
    return at < 0 ? 0 : static_cast<int>(at + 1);
}

int InStrB(int start, const String &text, const String &find)
{
    if (find.bytes().isEmpty())
        return 0;
    const qsizetype from = start > 1 ? start - 1 : 0;
    const qsizetype at = text.bytes().indexOf(find.bytes(), from);
    return at < 0 ? 0 : static_cast<int>(at + 1);
}

double Val(const String &text)
{
    const QByteArray &b = text.bytes();
    qsizetype i = 0;
    const qsizetype n = b.size();
    while (i < n && (b[i] == ' ' || b[i] == '\t'))
        ++i;
    if (i + 1 < n && b[i] == '&' && (b[i + 1] == 'h' || b[i + 1] == 'H'))
        return hexValue(b, i + 2);
    const qsizetype begin = i;
    if (i < n && (b[i] == '+' || b[i] == '-'))
        ++i;
    const qsizetype integerEnd = skipDigits(b, i);
    bool digits = integerEnd > i;
    i = integerEnd;
    if (i < n && b[i] == '.') {
        const qsizetype fractionEnd = skipDigits(b, i + 1);
        digits = digits || fractionEnd > i + 1;
        i = fractionEnd;
    }
    if (!digits)
        return 0;
    const qsizetype end = exponentEnd(b, i);
    bool ok = false;
    const double value = QLocale::c().toDouble(QString::fromLatin1(b.mid(begin, end - begin)), &ok);
    return ok ? value : 0;
}

int32_t ToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

String Str(int64_t value)
{
    return {QString::number(value)};
}

String Str(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return Str(static_cast<int64_t>(value));
    return {QString::number(value, 'g', 7)};
}

String Format(double value, const String &pattern)
{
    const QString p = pattern.toQString();
    const int minDigits = static_cast<int>(p.count(QLatin1Char('0')));
    const bool negative = value < 0;
    QString digits = QString::number(static_cast<qint64>(std::llround(std::fabs(value))));
    if (digits.size() < minDigits)
        digits = QString(minDigits - digits.size(), QLatin1Char('0')) + digits;
    if (digits == QLatin1String("0") && minDigits == 0)
        digits.clear();
    return {negative ? QLatin1Char('-') + digits : digits};
}

int CountFields(const String &text, const String &separator)
{
    if (text.isEmpty())
        return 0;
    if (separator.isEmpty())
        return 1;
    return static_cast<int>(text.bytes().count(separator.bytes())) + 1;
}

String NthField(const String &text, const String &separator, int n)
{
    if (n < 1 || text.isEmpty())
        return String::fromBytes({}, text.encoding());
    const QByteArray &b = text.bytes();
    const QByteArray &sep = separator.bytes();
    if (sep.isEmpty())
        return n == 1 ? text : String::fromBytes({}, text.encoding());
    qsizetype from = 0;
    for (int field = 1; field < n; ++field) {
        const qsizetype at = b.indexOf(sep, from);
        if (at < 0)
            return String::fromBytes({}, text.encoding());
        from = at + sep.size();
    }
    const qsizetype end = b.indexOf(sep, from);
    return String::fromBytes(b.mid(from, end < 0 ? -1 : end - from), text.encoding());
}

int LenB(const String &text)
{
    return static_cast<int>(text.bytes().size());
}

String MidB(const String &text, int start)
{
    if (start < 1 || start > LenB(text))
        return String::fromBytes({}, text.encoding());
    return String::fromBytes(text.bytes().mid(start - 1), text.encoding());
}

String MidB(const String &text, int start, int length)
{
    if (start < 1 || start > LenB(text) || length <= 0)
        return String::fromBytes({}, text.encoding());
    return String::fromBytes(text.bytes().mid(start - 1, length), text.encoding());
}

String LeftB(const String &text, int length)
{
    if (length <= 0)
        return String::fromBytes({}, text.encoding());
    return String::fromBytes(text.bytes().left(length), text.encoding());
}

int AscB(const String &text)
{
    return text.bytes().isEmpty() ? 0 : static_cast<unsigned char>(text.bytes().at(0));
}

String ChrB(int value)
{
    return String::fromBytes(QByteArray(1, static_cast<char>(value & 0xFF)));
}

int Len(const String &text)
{
    return static_cast<int>(text.toQString().size());
}

String Mid(const String &text, int start)
{
    if (start < 1)
        return {};
    return {text.toQString().mid(start - 1)};
}

String Mid(const String &text, int start, int length)
{
    if (start < 1 || length <= 0)
        return {};
    return {text.toQString().mid(start - 1, length)};
}

} // namespace fw
