#include "util/globals.h"

#include "framework/thread.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>

namespace Globals {

namespace {

// PkgInfo holds 8 bytes; a first line longer than this is not one.
constexpr qint64 kPkgInfoReadLimit = 64;
constexpr qsizetype kTypeCreatorLength = 8;
// Info.plist files of applications are a few KiB; a larger file is not read.
constexpr qint64 kInfoPlistLimit = qint64{1024} * 1024;
// A UTF-8 byte-order mark, which text files may begin with and which is no part of their text.
constexpr QByteArrayView kByteOrderMark = "\xEF\xBB\xBF";

// The first bytes of the package's Contents/NAME, at most `limit` after a byte-order mark. "Contents"
// as packages write it is read at once; another letter case only when that is all the package holds.
std::optional<QByteArray> packageFile(const fw::FolderItem &item, const char *name, qint64 limit)
{
    const QByteArray written = QByteArray("Contents/") + name;
    std::optional<QByteArray> bytes = item.ReadFileInside(written, limit + kByteOrderMark.size());
    if (!bytes && errno == ENOENT) {
        const fw::FolderItem file = item.Child("Contents").Child(name);
        const QByteArray found = file.Parent().Name().bytes() + '/' + file.Name().bytes();
        if (found != written)
            bytes = item.ReadFileInside(found, limit + kByteOrderMark.size());
    }
    if (bytes && bytes->startsWith(kByteOrderMark))
        bytes->remove(0, kByteOrderMark.size());
    return bytes;
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
    const QByteArray &bytes = name.bytes();
    const qsizetype dot = bytes.lastIndexOf('.');
    return dot < 0 ? fw::String() : fw::String::fromBytes(bytes.mid(dot + 1), name.encoding());
}

bool gAppPackage(const fw::FolderItem &item)
{
    return gExtractExtn(item.Name()) == "app" && item.MacType() == "fold";
}

fw::String gGetTypeCre(const fw::FolderItem &item)
{
    return gAppPackage(item) ? gPackageTypeCre(item) : item.MacType() + item.MacCreator();
}

fw::String gPackageTypeCre(const fw::FolderItem &package)
{
    const std::optional<QByteArray> bytes = packageFile(package, "PkgInfo", kPkgInfoReadLimit);
    if (!bytes)
        return {};
    QByteArray line = bytes->left(kPkgInfoReadLimit);
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
    const std::optional<QByteArray> text = packageFile(item, "Info.plist", kInfoPlistLimit + 1);
    return text && text->size() <= kInfoPlistLimit && text->contains("Velloran Software");
}

fw::String gDateTime(const fw::Date &date)
{
    if (!date.isValid())
        return {};
    // Worded by hand: a list of many rows words one time per row.
    const auto twoDigits = [](int value, char *at) {
        at[0] = static_cast<char>('0' + value / 10 % 10);
        at[1] = static_cast<char>('0' + value % 10);
    };
    std::array<char, 10> time{' ', '0', '0', ':', '0', '0', ':', '0', '0', '\0'};
    twoDigits(date.Hour(), &time[1]);
    twoDigits(date.Minute(), &time[4]);
    twoDigits(date.Second(), &time[7]);
    return date.AbbreviatedDate() + time.data();
}

} // namespace Globals
