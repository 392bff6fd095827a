#include "util/globals.h"

#include "framework/streams.h"
#include "framework/thread.h"

#include <algorithm>

namespace Globals {

namespace {

// PkgInfo holds 8 bytes; a first line longer than this is not one.
constexpr qint64 kPkgInfoReadLimit = 64;
constexpr qsizetype kTypeCreatorLength = 8;
// Info.plist files of applications are a few KiB; a larger file is not read.
constexpr qint64 kInfoPlistLimit = qint64{1024} * 1024;

fw::FolderItem packageFile(const fw::FolderItem &item, const fw::String &name)
{
    // "Contents" as packages write it, found at once on a case-sensitive disk; the child lookup still
    // finds another case ("contents") when that is all the package holds.
    return item.Child("Contents").Child(name);
}

} // namespace

void gExtractBodyAndExtn(const fw::String &name, fw::String &body, fw::String &extension)
{
    const int fields = fw::CountFields(name, ".");
    if (fields <= 1) {
        body = name;
        return;
    }
    extension = fw::NthField(name, ".", fields);
    body = fw::String();
    for (int i = 1; i <= fields - 2; ++i) {
        body += fw::NthField(name, ".", i) + ".";
        fw::Yield();
    }
    body += fw::NthField(name, ".", fields - 1);
}

fw::String gExtractExtn(const fw::String &name)
{
    // The extension of gExtractBodyAndExtn without building the body, which the search would
    // build for every item it meets.
    const int fields = fw::CountFields(name, ".");
    return fields <= 1 ? fw::String() : fw::NthField(name, ".", fields);
}

bool gAppPackage(const fw::FolderItem &item)
{
    return gExtractExtn(item.Name()) == "app" && item.MacType() == "fold";
}

fw::String gGetTypeCre(const fw::FolderItem &item)
{
    if (!gAppPackage(item))
        return item.MacType() + item.MacCreator();
    const fw::FolderItem pkgInfo = packageFile(item, "PkgInfo");
    // Nothing to open (missing, not a file) gives no stream.
    const auto stream = pkgInfo.isNil() ? nullptr : pkgInfo.OpenAsTextFile();
    if (!stream)
        return {};
    QByteArray line = stream->ReadAll(kPkgInfoReadLimit).bytes();
    const auto *const lineEnd =
        std::find_if(line.cbegin(), line.cend(), [](char c) { return c == '\n' || c == '\r'; });
    line.truncate(lineEnd - line.cbegin());
    // A truncated or overlong first line is no code; the bytes are Mac Roman codes, kept as 8 characters.
    if (line.size() != kTypeCreatorLength)
        return {};
    return {QString::fromLatin1(line)};
}

bool gGetTypeFileInfo(const fw::FolderItem &item)
{
    const fw::FolderItem plist = packageFile(item, "Info.plist");
    if (plist.isNil() || !plist.Exists())
        return false;
    const auto stream = plist.OpenAsTextFile();
    if (!stream)
        return false;
    const fw::String text = stream->ReadAll(kInfoPlistLimit + 1);
    if (text.bytes().size() > kInfoPlistLimit)
        return false;
    return fw::InStrB(0, text, "Velloran Software") > 0;
}

fw::String gDateTime(const fw::Date &date)
{
    if (!date.isValid())
        return {};
    return date.AbbreviatedDate() + " " + fw::Format(date.Hour(), "00") + ":" +
           fw::Format(date.Minute(), "00") + ":" + fw::Format(date.Second(), "00");
}

} // namespace Globals
