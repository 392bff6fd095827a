// The toolbar's commands: collect, search, move to the Trash, show in the file manager, stop and
// clear the list. The long ones prepare the window and start a worker, which restores the toolbar.
#include "framework/application.h"
#include "framework/folderitem.h"
#include "framework/listbox.h"
#include "framework/scripts.h"
#include "ui/kindcodes.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"
#include "util/cautiondialog.h"
#include "workers/finderscripts.h"
#include "workers/thread1.h"
#include "workers/thread2.h"

using fw::String;

void Window1::Toolbar11_Action(fw::ToolItem &item)
{
    const String &name = item.Name();
    if (name == "ToolItem1") {
        GetItem("GetItem");
    } else if (name == "ToolItem4") {
        DeleteItem();
    } else if (name == "ToolItem6") {
        GetItem("FindItem");
    } else if (name == "ToolItem8") {
        RevealFile();
    } else if (name == "ToolItem5") {
        pStopThread1 = true;
        pStopThread2 = true;
    } else if (name == "ToolItem9") {
        ClearListBox();
    }
}

void Window1::GetItem(const String &mode)
{
    pStopThread2 = false;
    Listbox1().setListIndex(-1);
    showRunStarted();
    auto thread = std::make_shared<Thread2>();
    thread->pWin1 = this;
    thread->pMode = mode;
    thread->Run();
}

void Window1::DeleteItem()
{
    if (Globals::gCautionDlg(this, true, 2, "", "キャンセル", "", "本当にゴミ箱に移動しますか？",
                             "Finderの機能を使えば、移動したアイテムを元に戻せます。") == 1)
        return;
    pStopThread1 = false;
    Listbox1().setListIndex(-1);
    showRunStarted();
    auto thread = std::make_shared<Thread1>();
    thread->pWin1 = this;
    thread->Run();
}

void Window1::RevealFile()
{
    // Only a selected search row carries a path to show.
    const fw::Listbox &list = Listbox1();
    const int row = list.ListIndex();
    if (row < 0 || list.Cell(row, KindCodeColumn) != KindCode::SearchResult)
        return;
    fw::SetRevealFailedHook([](const String &folder) {
        fw::MsgBox(String("「") + fw::DisplayPath(fw::nativeBytes(folder)) + "」を開けませんでした。");
    });
    revealFile({fw::Variant(list.Cell(row, ReferenceColumn))});
}

void Window1::ClearListBox()
{
    if (Globals::gCautionDlg(this, true, 2, "", "キャンセル", "", "本当にクリアしますか？", "") == 1)
        return;
    Listbox1().DeleteAllRows();
    pFI.clear();
    pCountGet = 0;
    pCountFind = 0;
}
