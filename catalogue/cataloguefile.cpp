#include "app/app.h"
#include "catalogue/catalogue.h"
#include "framework/streams.h"
#include "framework/thread.h"

using fw::String;

namespace {

// Where "appList.txt" is: the Resources folder beside the executable's folder wins, the default
// folder comes second. Nil when it is in neither.
fw::FolderItem locateCatalogueFile(const App &app)
{
    fw::FolderItem file = app.ExecutableFile().Parent().Parent().Child("Resources");
    if (!file.isNil())
        file = file.Child("appList.txt");
    if (file.isNil() || !file.Exists())
        file = fw::GetFolderItem("").Child("appList.txt");
    if (file.isNil() || !file.Exists())
        return {};
    return file;
}

// What the reader takes the next non-empty line for: the keys of a record, in file order.
enum class Expected { AppLabel, AppCount, DocCount, PrefName, PlistName, ApSpName };

// Reads `count` lines into "<stem>1" ... "<stem>count" of the row, stopping at the end of the file:
// a count line can be absurd (2000000000), and the lines it promises may not be there.
void readCountedLines(fw::TextInputStream &stream, fw::Dictionary &row, int32_t count,
                      std::initializer_list<const char *> stems)
{
    for (int32_t i = 1; i <= count && !stream.EndOfFile(); ++i) {
        for (const char *stem : stems) {
            if (stream.EndOfFile())
                break;
            row.Value(String(stem) + fw::Str(int64_t{i}), stream.ReadLine());
        }
        fw::Yield();
    }
}

} // namespace

bool App::LoadFile()
{
    const fw::FolderItem file = locateCatalogueFile(*this);
    if (file.isNil()) {
        fw::MsgBox("not found.");
        return false;
    }

    // A catalogue file that is there but can't be read as text (a folder of that name, no read
    // permission) counts as found and read, with nothing in it.
    const std::unique_ptr<fw::TextInputStream> stream = file.OpenAsTextFile();
    if (!stream)
        return true;
    stream->setEncoding(fw::Encodings::UTF8());

    Expected expected = Expected::AppLabel;
    do {
        const String line = stream->ReadLine();
        if (!line.isEmpty()) {
            if (expected == Expected::AppLabel) {
                Globals::gItem.emplace_back();
                Globals::gItem.back().Value("appLabel", line);
                expected = Expected::AppCount;
            } else if (expected == Expected::AppCount) {
                Globals::gItem.back().Value("appCount", line);
                readCountedLines(*stream, Globals::gItem.back(), fw::ToInt32(fw::Val(line)),
                                 {"appName", "appType"});
                expected = Expected::DocCount;
            } else if (expected == Expected::DocCount) {
                Globals::gItem.back().Value("docCount", line);
                readCountedLines(*stream, Globals::gItem.back(), fw::ToInt32(fw::Val(line)), {"docType"});
                expected = Expected::PrefName;
            } else if (expected == Expected::PrefName) {
                Globals::gItem.back().Value("prefName", line);
                expected = Expected::PlistName;
            } else if (expected == Expected::PlistName) {
                Globals::gItem.back().Value("plistNam", line);
                expected = Expected::ApSpName;
            } else {
                Globals::gItem.back().Value("apSpName", line);
                expected = Expected::AppLabel;
            }
        }
        fw::Yield();
    } while (!stream->EndOfFile());
    stream->Close();
    return true;
}
