// The documents folders of the products that name theirs in a preference record: "pref2" with
// enciphered strings, or the plain "pref".
#include "framework/application.h"
#include "framework/specialfolder.h"
#include "framework/streams.h"
#include "ui/kindcodes.h"
#include "ui/window1.h"
#include "util/aliaspath.h"
#include "workers/preferencerecord.h"
#include "workers/thread2.h"

#include <functional>
#include <optional>

using fw::FolderItem;
using fw::String;

namespace {

// How each product's record is read, and what its reader says when a field can't be located.
struct ProductRecord
{
    const char *fileName;
    PreferenceRecordFormat format;
    int firstAliasField;  // the alias fields resolved: this one to 19
    bool numberedMessage; // the message names the field
};

constexpr ProductRecord kTessolin{"pref2", {true, PreferenceRecordFormat::Label::Utf8}, 18, true};
constexpr ProductRecord kOmbrisk{"pref2", {true, PreferenceRecordFormat::Label::None}, 17, false};
constexpr ProductRecord kQuillary{"pref", {false, PreferenceRecordFormat::Label::ShiftJis}, 17, false};

// A real record holds a few alias records; a larger file is no record, and is not read.
constexpr int64_t kMaxRecordBytes = int64_t{1024} * 1024;

// Fields 17 to 19 of the record in the product's preferences folder, or nothing when the record is
// missing, too large, can't be read or is no whole record. The file is closed on return, before
// anything is resolved, so no dialog shows while it is open. stopPoint runs between the reads.
std::optional<LongFields> readAliasFields(const FolderItem &prefsFolder, const ProductRecord &product,
                                          const std::function<void()> &stopPoint)
{
    const FolderItem file = prefsFolder.Child(product.fileName);
    if (file.isNil() || !file.Exists())
        return std::nullopt;
    const std::unique_ptr<fw::BinaryStream> stream = file.OpenAsBinaryFile(false);
    if (!stream || stream->Length() > kMaxRecordBytes)
        return std::nullopt;
    return readPreferenceRecord(*stream, product.format, stopPoint);
}

// Resolves the record's alias fields, in ascending order, with the reader's message when one can't
// be located; gives the documents folder (field 19), or Nil.
FolderItem documentsFolder(const FolderItem &prefsFolder, const ProductRecord &product,
                           const std::function<void()> &stopPoint)
{
    std::optional<LongFields> fields = readAliasFields(prefsFolder, product, stopPoint);
    if (!fields)
        return {};
    for (int field = product.firstAliasField; field <= kDocumentsField; ++field) {
        String &value = (*fields)[static_cast<size_t>(field - kFirstLongField)];
        if (value.isEmpty())
            continue;
        const String path = AliasPath::gAbsPath_dc(value, false);
        if (path.isEmpty()) {
            String message = "必要なファイルの所在が不明なので、処理を続行できません。";
            if (product.numberedMessage)
                message += String(":") + fw::Str(int64_t{field});
            fw::MsgBox(message);
        }
        value = path;
        fw::Yield();
    }
    const String &documents = (*fields)[kDocumentsField - kFirstLongField];
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
    endRunIfStopped();
    const FolderItem prefsFolder = FolderPref().Child(prefsFolderName);
    if (prefsFolder.isNil() || !prefsFolder.Exists())
        return L;
    // Made before the record is read, so that its paths too are resolved on the one mount table read.
    if (!m_userLocations)
        m_userLocations.emplace();
    const FolderItem documents = (this->*reader)(prefsFolder);
    // A record can name any folder: only a place where the user keeps files is a documents folder.
    if (!documents.isNil() && documents.Exists() && m_userLocations->Contains(documents))
        return registerPiece(L, documents, KindCode::Documents);
    return L;
}

void Thread2::endRunIfStopped()
{
    if (pWin1->pStopThread2)
        KillMyself("killGet");
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
    return documentsFolder(prefsFolder, kTessolin, [this] { endRunIfStopped(); });
}

FolderItem Thread2::GetItemDocDOmbrisk2(const FolderItem &prefsFolder)
{
    return documentsFolder(prefsFolder, kOmbrisk, [this] { endRunIfStopped(); });
}

FolderItem Thread2::GetItemDocDQuillary2(const FolderItem &prefsFolder)
{
    return documentsFolder(prefsFolder, kQuillary, [this] { endRunIfStopped(); });
}
