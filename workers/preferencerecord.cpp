#include "workers/preferencerecord.h"

#include "framework/streams.h"
#include "framework/thread.h"
#include "util/enigma.h"
#include "util/textenco.h"

using fw::String;

namespace {

constexpr const char *kKey = "8w";

std::function<void()> g_readHook;

// Reads the record's items and notices when the stream ends before the record does.
class ItemReader
{
public:
    ItemReader(fw::BinaryStream &stream, bool enciphered, const std::function<void()> &beforeEachRead)
        : m_stream(stream), m_enciphered(enciphered), m_beforeEachRead(beforeEachRead)
    {
    }

    bool truncated() const { return m_truncated; }

    // A byte-counted string, deciphered when the record is enciphered.
    String pstring()
    {
        beforeRead();
        if (remaining() < 1) {
            m_truncated = true;
            return {};
        }
        return decoded(bytes(fw::AscB(m_stream.Read(1))));
    }

    // A 4-byte length, then that many bytes, deciphered when the record is enciphered.
    String longField()
    {
        beforeRead();
        const int32_t length = integer();
        return m_truncated ? String() : decoded(bytes(length));
    }

    // A count: an enciphered decimal string, or a 4-byte integer in a plain record.
    int32_t count()
    {
        if (!m_enciphered) {
            beforeRead();
            return integer();
        }
        return fw::ToInt32(fw::Val(pstring()));
    }

private:
    void beforeRead() const
    {
        if (g_readHook)
            g_readHook();
        if (m_beforeEachRead)
            m_beforeEachRead();
    }

    int64_t remaining() const { return m_stream.Length() - m_stream.Position(); }

    String decoded(const String &raw) const { return m_enciphered ? Enigma::Decode(raw, kKey) : raw; }

    int32_t integer()
    {
        if (remaining() < 4) {
            m_truncated = true;
            return 0;
        }
        return m_stream.ReadLong();
    }

    String bytes(int64_t length)
    {
        if (length < 0 || length > remaining()) {
            m_truncated = true;
            return {};
        }
        return m_stream.Read(length);
    }

    fw::BinaryStream &m_stream;
    bool m_enciphered;
    const std::function<void()> &m_beforeEachRead;
    bool m_truncated = false;
};

String labelled(const String &text, PreferenceRecordFormat::Label label)
{
    switch (label) {
    case PreferenceRecordFormat::Label::Utf8:
        return TextEnco::gEncDefUTF8(text);
    case PreferenceRecordFormat::Label::ShiftJis:
        return fw::DefineEncoding(text, fw::Encodings::ShiftJIS());
    case PreferenceRecordFormat::Label::None:
        break;
    }
    return fw::DefineEncoding(text, nullptr);
}

} // namespace

std::optional<LongFields> readPreferenceRecord(fw::BinaryStream &stream, const PreferenceRecordFormat &format,
                                               const std::function<void()> &beforeEachRead)
{
    ItemReader reader(stream, format.enciphered, beforeEachRead);
    reader.pstring(); // the header is not used
    const int32_t entries = reader.count();
    // Every item takes at least one byte, so a count larger than the stream ends with the stream.
    for (int32_t i = 0; i < entries && !reader.truncated(); ++i) {
        reader.pstring(); // an entry: a number that nothing uses
        fw::Yield();
    }
    const int32_t fields = reader.count();
    LongFields longFields;
    for (int32_t i = 0; i < fields && !reader.truncated(); ++i) {
        if (i >= kFirstLongField && i <= kDocumentsField)
            longFields[static_cast<size_t>(i - kFirstLongField)] =
                labelled(reader.longField(), format.longLabel);
        else
            reader.pstring();
        fw::Yield();
    }
    if (reader.truncated() || fields <= kDocumentsField)
        return std::nullopt;
    return longFields;
}

void SetPreferenceRecordReadHook(std::function<void()> hook)
{
    g_readHook = std::move(hook);
}
