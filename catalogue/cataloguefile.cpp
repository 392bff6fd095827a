#include "catalogue/catalogue.h"
#include "framework/streams.h"
#include "framework/thread.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>

using fw::String;

namespace {

// How much of "appList.txt" is read: beyond any bound the file is taken to end, so a hostile file
// costs the start-up neither minutes nor gigabytes. A count line promises as many lines as it likes,
// so the lines are bounded as well as the rows, and so are the lines of one count (one row's table
// of a million values alone would take a second).
constexpr qint64 kMaxBytes = qint64{16} * 1024 * 1024;
constexpr size_t kMaxRows = 100'000;
constexpr qint64 kMaxLineBytes = 4096;
constexpr int kMaxLines = 1'000'000;
constexpr int32_t kMaxCounted = 10'000; // applications, or document types, of one count

// The catalogue file's lines, within the bounds; a line that is too long is cut.
class CatalogueLines
{
public:
    explicit CatalogueLines(fw::TextInputStream &stream) : m_stream(stream)
    {
        m_stream.setReadLimit(kMaxBytes);
    }

    String next()
    {
        ++m_read;
        return m_stream.ReadLine(kMaxLineBytes);
    }
    bool atEnd() { return m_ended || m_read >= kMaxLines || m_stream.EndOfFile(); }
    // The file is taken to end here.
    void end() { m_ended = true; }

private:
    fw::TextInputStream &m_stream;
    int m_read = 0;
    bool m_ended = false;
};

// A record's lines that are never empty, in file order; a count line is followed by the lines it
// counts, one of each stem per count.
struct RecordLine
{
    const char *key;
    std::initializer_list<const char *> countedStems;
};
const std::array<RecordLine, 6> kRecordLines = {{
    {"appLabel", {}},
    {"appCount", {"appName", "appType"}},
    {"docCount", {"docType"}},
    {"prefName", {}},
    {"plistNam", {}},
    {"apSpName", {}},
}};

// Reads `count` lines into "<stem>1" ... "<stem>count" of the row, stopping at the end of the file:
// a count line can be absurd (2000000000), and the lines it promises may not be there. After the
// most lines that one count may read, the file is taken to end.
void readCountedLines(CatalogueLines &lines, fw::Dictionary &row, int32_t count,
                      std::initializer_list<const char *> stems)
{
    for (int32_t i = 1; i <= std::min(count, kMaxCounted) && !lines.atEnd(); ++i) {
        for (const char *stem : stems) {
            if (lines.atEnd())
                break;
            row.Value(String(stem) + fw::Str(int64_t{i}), lines.next());
        }
        fw::Yield();
    }
    if (count > kMaxCounted)
        lines.end();
}

} // namespace

namespace Catalogue {

// The Resources folder beside the executable's folder wins, the default folder comes second.
fw::FolderItem locateFile(const fw::FolderItem &executable)
{
    fw::FolderItem file = executable.Parent().Parent().Child("Resources");
    if (!file.isNil())
        file = file.Child("appList.txt");
    if (file.isNil() || !file.Exists())
        file = fw::GetFolderItem("").Child("appList.txt");
    if (file.isNil() || !file.Exists())
        return {};
    return file;
}

void readFile(const fw::FolderItem &file)
{
    // A catalogue file that is there but can't be read as text (a folder of that name, no read
    // permission) counts as found and read, with nothing in it.
    const std::unique_ptr<fw::TextInputStream> stream = file.OpenAsTextFile();
    if (!stream)
        return;
    stream->setEncoding(fw::Encodings::UTF8());
    CatalogueLines lines(*stream);

    size_t next = 0; // the record line expected
    size_t rows = 0;
    do {
        const String line = lines.next();
        if (!line.isEmpty()) {
            const RecordLine &recordLine = kRecordLines[next];
            if (next == 0) {
                if (rows == kMaxRows)
                    break; // the file is taken to end before this row
                ++rows;
                Globals::gItem.emplace_back();
            }
            Globals::gItem.back().Value(recordLine.key, line);
            if (recordLine.countedStems.size() > 0)
                readCountedLines(lines, Globals::gItem.back(), fw::ToInt32(fw::Val(line)),
                                 recordLine.countedStems);
            next = (next + 1) % std::size(kRecordLines);
        }
        fw::Yield();
    } while (!lines.atEnd());
    stream->Close();
}

} // namespace Catalogue
