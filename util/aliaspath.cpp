#include "util/aliaspath.h"

#include "framework/aliasrecord.h"
#include "framework/application.h"
#include "framework/folderdialogs.h"
#include "framework/folderitem.h"
#include "framework/thread.h"
#include "util/decrareetc.h"
#include "util/textenco.h"

using fw::String;

namespace {

// Disposes the alias handle however the resolution ends, a thread's kill included.
class HandleOwner
{
public:
    explicit HandleOwner(fw::Handle handle) : m_handle(handle) {}
    ~HandleOwner() { fw::DisposeHandle(m_handle); }
    HandleOwner(const HandleOwner &) = delete;
    HandleOwner &operator=(const HandleOwner &) = delete;

private:
    fw::Handle m_handle;
};

} // namespace

namespace AliasPath {

String gAbsPath_dc(const String &data, bool wantFile)
{
    if (data.isEmpty())
        return {};
    if (!fw::GetFolderItem(data).isNil())
        return data;
    const fw::Handle h = DecrareEtc::TextToHandle(data);
    if (h == 0)
        return {};
    const HandleOwner owner(h);
    fw::FSSpec target;
    bool wasChanged = false;
    if (fw::ResolveAlias(nullptr, h, target, wasChanged) == fw::noErr) {
        String path = DecrareEtc::GetFullPath(target.vRefNum, target.parID) +
                      String::fromBytes(target.name, fw::Encodings::MacJapanese());
        path = TextEnco::gEncText(path, "Shift-JIS", "UTF-8");
        // A volume that went away since the resolution leaves no item: the user chooses again below.
        const fw::FolderItem item = fw::GetFolderItem(path);
        if (!item.isNil()) {
            if (item.Directory())
                path += ":";
            return path;
        }
    }
    const String name = TextEnco::gEncUTF8alt(Globals::gAbsPath_ex(data), "Shift_JIS");
    fw::MsgBox("「" + name + "」が見つかりません。再指定して下さい。");
    const fw::FolderItem chosen = wantFile ? fw::GetOpenFolderItem("anyFile") : fw::SelectFolder();
    if (chosen.isNil())
        return {};
    return chosen.AbsolutePath();
}

} // namespace AliasPath

namespace Globals {

String gAbsPath_ex(const String &data)
{
    const QByteArray &bytes = data.bytes();
    // A well-formed record is read by its tags: a byte scan would take a folder record's version and
    // kind fields (00 02 00 01) for the path, and misses paths of 256 bytes or more.
    if (const std::optional<fw::AliasRecord> record = fw::ParseAliasRecord(bytes))
        return record->hfsPath.isEmpty() ? data : String::fromBytes(record->hfsPath, data.encoding());
    for (qsizetype i = 0; i + 2 < bytes.size(); ++i) {
        if (bytes.at(i) == 0 && bytes.at(i + 1) == 2 && bytes.at(i + 2) == 0) {
            const int n = i + 3 < bytes.size() ? static_cast<unsigned char>(bytes.at(i + 3)) : 0;
            if (n > 0)
                return String::fromBytes(bytes.mid(i + 4, n), data.encoding());
        }
        fw::Yield();
    }
    return data;
}

} // namespace Globals
