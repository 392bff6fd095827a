// The documents folders of the products that name theirs in a preference record: "pref2" with
// enciphered strings, or the plain "pref".
#include "framework/application.h"
#include "framework/streams.h"
#include "ui/window1.h"
#include "util/aliaspath.h"
#include "util/enigma.h"
#include "util/textenco.h"
#include "workers/thread2.h"

#include <array>
#include <optional>

using fw::FolderItem;
using fw::String;

namespace {

constexpr char kKey[] = "8w";
constexpr int kDocumentsField = 19;

enum class Label { Utf8, None, ShiftJis };

// How one product's record is read.
struct RecordFormat
{
    const char *fileName;
    bool enciphered;        // "pref2": every string enciphered, counts as enciphered strings
    Label stringLabel;      // fields stored as byte-counted strings
    Label longLabel;        // fields 17 to 19
    int firstAliasField;    // the alias fields resolved: this one to 19
    bool numberedMessage;   // the message names the field
};

constexpr RecordFormat kTessolin{"pref2", true, Label::Utf8, Label::Utf8, 18, true};
constexpr RecordFormat kOmbrisk{"pref2", true, Label::Utf8, Label::None, 17, false};
constexpr RecordFormat kQuillary{"pref", false, Label::ShiftJis, Label::ShiftJis, 17, false};

// Reads a record's items and notices when the file ends before the record does: a short or
// truncated record, or one whose counts promise more than the file holds, is no record at all.
class RecordReader
{
public:
    RecordReader(fw::BinaryStream &stream, bool enciphered) : m_stream(stream), m_enciphered(enciphered) {}

    bool truncated() const { return m_truncated; }

    String pstring()
    {
        if (remaining() < 1) {
            m_truncated = true;
            return {};
        }
        return bytes(fw::AscB(m_stream.Read(1)));
    }

    String longField()
    {
        const int32_t length = integer();
        return m_truncated ? String() : bytes(length);
    }

    // A count: an enciphered decimal string in "pref2", a 4-byte integer in "pref".
    int32_t count()
    {
        if (!m_enciphered)
            return integer();
        return fw::ToInt32(fw::Val(decoded(pstring())));
    }

    String decoded(const String &raw) const { return m_enciphered ? Enigma::Decode(raw, kKey) : raw; }

private:
    int64_t remaining() const { return m_stream.Length() - m_stream.Position(); }

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
    bool m_truncated = false;
};

String labelled(const String &text, Label label)
{
    switch (label) {
    case Label::Utf8:
        return TextEnco::gEncDefUTF8(text);
    case Label::ShiftJis:
        return fw::DefineEncoding(text, fw::Encodings::ShiftJIS());
    case Label::None:
        break;
    }
    return fw::DefineEncoding(text, nullptr);
}

// Fields 17 to 19 of the record in the product's preferences folder, or nothing when the record is
// missing, can't be read or is cut short.
std::optional<std::array<String, 3>> readAliasFields(const FolderItem &prefsFolder, const RecordFormat &format)
{
    const FolderItem file = prefsFolder.Child(format.fileName);
    if (file.isNil() || !file.Exists())
        return std::nullopt;
    const std::unique_ptr<fw::BinaryStream> stream = file.OpenAsBinaryFile(false);
    if (!stream)
        return std::nullopt;
    RecordReader reader(*stream, format.enciphered);
    reader.decoded(reader.pstring()); // the header is read and not used
    const int32_t entries = reader.count();
    for (int32_t i = 0; i < entries && !reader.truncated(); ++i) {
        fw::Val(reader.decoded(reader.pstring()));
        fw::Yield();
    }
    const int32_t fields = reader.count();
    std::array<String, 3> aliasFields;
    for (int32_t i = 0; i < fields && !reader.truncated(); ++i) {
        if (i >= 17 && i <= kDocumentsField)
            aliasFields[static_cast<size_t>(i - 17)] = labelled(reader.decoded(reader.longField()), format.longLabel);
        else
            labelled(reader.decoded(reader.pstring()), format.stringLabel);
        fw::Yield();
    }
    stream->Close();
    if (reader.truncated() || fields <= kDocumentsField)
        return std::nullopt;
    return aliasFields;
}

// Resolves the record's alias fields, in ascending order, with the reader's message when one can't
// be located; gives the documents folder (field 19), or Nil.
FolderItem documentsFolder(const FolderItem &prefsFolder, const RecordFormat &format)
{
    std::optional<std::array<String, 3>> fields = readAliasFields(prefsFolder, format);
    if (!fields)
        return {};
    for (int field = format.firstAliasField; field <= kDocumentsField; ++field) {
        String &value = (*fields)[static_cast<size_t>(field - 17)];
        if (value.isEmpty())
            continue;
        const String path = AliasPath::gAbsPath_dc(value, false);
        if (path.isEmpty()) {
            String message = "必要なファイルの所在が不明なので、処理を続行できません。";
            if (format.numberedMessage)
                message += String(":") + fw::Str(int64_t{field});
            fw::MsgBox(message);
        }
        value = path;
        fw::Yield();
    }
    const String &documents = (*fields)[kDocumentsField - 17];
    if (documents.isEmpty())
        return {};
    return fw::GetFolderItem(documents, 0);
}

} // namespace

String Thread2::GetItemDoc(const String &L, const String &docType1)
{
    // The built-in Tessolin row names its documents "Tmx3Wqj1"; both codes lead to its reader.
    if (docType1 == "Tmx1Wqj1" || docType1 == "Tmx3Wqj1")
        return GetItemDocDTessolin(L);
    if (docType1 == "ZorpWqj4")
        return GetItemDocDOmbrisk(L);
    if (docType1 == "QvayWqj5")
        return GetItemDocDQuillary(L);
    return L;
}

String Thread2::documentsFolderPiece(const String &L, const String &prefsFolderName,
                                     FolderItem (Thread2::*reader)(const FolderItem &))
{
    if (pWin1->pStopThread2)
        KillMyself("killGet");
    const FolderItem prefsFolder = FolderPref().Child(prefsFolderName);
    if (prefsFolder.isNil() || !prefsFolder.Exists())
        return L;
    const FolderItem documents = (this->*reader)(prefsFolder);
    if (!documents.isNil() && documents.Exists())
        return registerPiece(L, documents, "DD");
    return L;
}

String Thread2::GetItemDocDTessolin(const String &L)
{
    return documentsFolderPiece(L, "Tessolin初期設定", &Thread2::GetItemDocDTessolin2);
}

String Thread2::GetItemDocDOmbrisk(const String &L)
{
    return documentsFolderPiece(L, "Ombrisk初期設定", &Thread2::GetItemDocDOmbrisk2);
}

String Thread2::GetItemDocDQuillary(const String &L)
{
    return documentsFolderPiece(L, "Quillary初期設定", &Thread2::GetItemDocDQuillary2);
}

FolderItem Thread2::GetItemDocDTessolin2(const FolderItem &prefsFolder)
{
    return documentsFolder(prefsFolder, kTessolin);
}

FolderItem Thread2::GetItemDocDOmbrisk2(const FolderItem &prefsFolder)
{
    return documentsFolder(prefsFolder, kOmbrisk);
}

FolderItem Thread2::GetItemDocDQuillary2(const FolderItem &prefsFolder)
{
    return documentsFolder(prefsFolder, kQuillary);
}
