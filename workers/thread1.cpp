#include "workers/thread1.h"

#include "framework/application.h"
#include "framework/listbox.h"
#include "framework/scripts.h"
#include "ui/kindcodes.h"
#include "ui/window1.h"
#include "util/debugconsolemodule.h"
#include "workers/finderscripts.h"

#include <algorithm>
#include <array>
#include <utility>

using fw::String;

void Thread1::Event_Run()
{
    pWin1->showRunning("ゴミ箱に移動中...");
    DeleteItem();
    pWin1->showIdle(Window1::MoveToTrash::On);
    reportFailures();
}

void Thread1::DeleteItem()
{
    fw::Listbox &list = pWin1->Listbox1();
    const int count = list.ListCount();
    for (int row = 0; row < count; ++row) {
        if (pWin1->pStopThread1)
            KillMyself();
        // Rows collapsed while the walk ran leave the list shorter than it was at the start.
        if (row >= list.ListCount())
            break;
        if (list.CellCheck(row, Window1::NameColumn) &&
            !list.Cell(row, Window1::KindCaptionColumn).isEmpty()) {
            const int32_t index = fw::ToInt32(fw::Val(list.Cell(row, Window1::ReferenceColumn)));
            if (index >= 0 && index < pWin1->pFI.size() && !m_tried.contains(index) && !keptByARow(index)) {
                m_tried.insert(index);
                const fw::FolderItem f = pWin1->pFI[index].Value("item").FolderItemValue();
                DebugConsoleModule::TRACE(f.AbsolutePath());
                if (f.Exists())
                    movePiece(f, list.Cell(row, Window1::KindCodeColumn), pWin1->pFI.identity(index));
                else if (!wentEarlier(f))
                    m_failures.push_back({f.nativePath(), Fate::Gone, {}});
            }
        }
        fw::Yield();
    }
}

// The identity the piece had when it was found goes with its path, so that the move itself checks it
// at the last moment.
void Thread1::movePiece(const fw::FolderItem &f, const String &kind,
                        const std::optional<fw::ItemIdentity> &found)
{
    const std::vector<fw::Variant> args{fw::Variant(f.AbsolutePath()),
                                        fw::Variant(found ? found->toText() : String())};
    if (kind == KindCode::ApplicationFolder || kind == KindCode::Preferences ||
        kind == KindCode::ApplicationSupport || kind == KindCode::Documents)
        deleteFolder(args);
    else if (kind == KindCode::Application || kind == KindCode::Plist)
        deleteFile(args);
    else
        return;
    bool moved = true;
    for (const fw::ScriptFailure &failure : fw::TakeScriptFailures()) {
        moved = moved && failure.path != f.AbsolutePath();
        m_failures.push_back(whatHappened(failure));
    }
    if (moved)
        m_moved.push_back(f.nativePath());
}

// A piece under several rows stays when any of them is unticked: the user chose to keep it. The
// rows of each piece are found again only when the list's rows have changed (the user may expand or
// collapse rows while the walk runs); their ticks are read now.
bool Thread1::keptByARow(int32_t index)
{
    const fw::Listbox &list = pWin1->Listbox1();
    if (m_rowsRevision != list.Revision()) {
        m_rowsOfPiece.clear();
        for (int row = 0; row < list.ListCount(); ++row) {
            if (list.CellType(row, Window1::NameColumn) == fw::Listbox::TypeCheckBox &&
                !list.Cell(row, Window1::KindCaptionColumn).isEmpty())
                m_rowsOfPiece[fw::ToInt32(fw::Val(list.Cell(row, Window1::ReferenceColumn)))].push_back(row);
        }
        m_rowsRevision = list.Revision();
    }
    const auto rows = m_rowsOfPiece.constFind(index);
    return rows != m_rowsOfPiece.cend() && std::any_of(rows->begin(), rows->end(), [&](int row) {
               return !list.CellCheck(row, Window1::NameColumn);
           });
}

// A piece moved at an earlier row, or inside a folder moved at one, is gone because it went.
bool Thread1::wentEarlier(const fw::FolderItem &f) const
{
    const QByteArray &path = f.nativePath();
    return std::any_of(m_moved.begin(), m_moved.end(), [&](const QByteArray &moved) {
        return path == moved || (path.startsWith(moved) && path.at(moved.size()) == '/');
    });
}

void Thread1::KillMyself()
{
    pWin1->showStopped(Window1::MoveToTrash::On);
    reportFailures();
    Kill();
    std::abort(); // Kill on the thread itself does not return
}

Thread1::Unmoved Thread1::whatHappened(const fw::ScriptFailure &failure)
{
    const QByteArray path = fw::nativeBytes(failure.path);
    const auto stayed = [&](const char *reason) { return Unmoved{path, Fate::Stayed, reason}; };
    switch (failure.reason) {
    case fw::MoveFailure::NotFound:
        return {path, Fate::Gone, {}};
    case fw::MoveFailure::TrashStranded:
        return {path, Fate::Stranded, fw::DisplayPath(fw::nativeBytes(failure.liesAt))};
    case fw::MoveFailure::TrashRefused:
        return stayed("ゴミ箱に移動できませんでした");
    case fw::MoveFailure::TrashNotRecorded:
        return stayed("ゴミ箱に記録できませんでした");
    case fw::MoveFailure::BadPath:
        return stayed("パスが正しくありません");
    case fw::MoveFailure::ChangedSinceFound:
        return stayed("見つけた後に変更されています");
    case fw::MoveFailure::KindChanged:
        return stayed("種類が変わっています");
    case fw::MoveFailure::Protected:
        return stayed("保護された場所です");
    }
    return stayed("");
}

// Every piece that did not move is named once, in one message, under what truly happened to it: it
// stayed (and why), it was gone before the move reached it, or it lies stranded (and where).
void Thread1::reportFailures()
{
    const std::vector<Unmoved> failures = std::exchange(m_failures, {});
    static constexpr std::array<std::pair<Fate, const char *>, 3> kHeadings = {{
        {Fate::Stayed, "次の項目はゴミ箱に移動できず、元の場所に残っています。"},
        {Fate::Gone, "次の項目は元の場所に見つかりませんでした。"},
        {Fate::Stranded, "次の項目はゴミ箱に記録できず、元の場所にも戻せませんでした。"},
    }};
    QSet<QByteArray> named;
    String text;
    for (const auto &[fate, heading] : kHeadings) {
        String lines;
        for (const Unmoved &failure : failures) {
            if (failure.fate != fate || named.contains(failure.path))
                continue;
            named.insert(failure.path);
            lines += String("\n") + fw::DisplayPath(failure.path);
            if (fate == Fate::Stayed)
                lines += String("（") + failure.note + "）";
            else if (fate == Fate::Stranded)
                lines += String(" → ") + failure.note;
        }
        if (!lines.isEmpty())
            text += (text.isEmpty() ? String() : String("\n\n")) + heading + lines;
    }
    if (!text.isEmpty())
        fw::MsgBox(text);
}
