#pragma once

#include "framework/picture.h"
#include "framework/window.h"
#include "ui/founditems.h"

#include <cstdint>

namespace fw {
class AppleMenuItem;
class Listbox;
class MenuItem;
class ProgressWheel;
class QuitMenuItem;
class StaticText;
class ToolItem;
} // namespace fw
class Toolbar1;

// The main window: the toolbar, the six-column list of found pieces, the progress wheel and the
// status text along the bottom, and the state that the window shares with the worker threads.
class Window1 : public fw::Window
{
public:
    // The main window, made and opened on the first call.
    static Window1 *instance();
    // Deletes the main window (at teardown, once no thread can touch it any more).
    static void release();

    Window1();
    ~Window1() override;

    // The list's columns. 3 to 5 have width 0; 4 and 5 carry data for the code.
    enum Column : int {
        NameColumn,        // the product's label or the item's name; the tick
        DateColumn,        // the modification date; empty on a group row
        KindCaptionColumn, // what the piece is, in words; empty on a group row
        SpareColumn,       // never written
        KindCodeColumn,    // the kind code (ui/kindcodes.h)
        ReferenceColumn,   // a group row's index list, a child row's registry index, a search row's path
        ColumnCount
    };

    // The window's controls, made with it: the toolbar, the list, the progress wheel and the status text.
    Toolbar1 &Toolbar11() const { return *m_toolbar11; }
    fw::Listbox &Listbox1() const { return *m_listbox1; }
    fw::ProgressWheel &ProgressWheel1() const { return *m_progressWheel1; }
    fw::StaticText &StaticText1() const { return *m_staticText1; }

    // Stop request for the collection thread.
    bool pStopThread2 = false;
    // The found-item registry: {"item": FolderItem, "kind": kind code} per piece found.
    FoundItems pFI;
    // Stop request for the trash thread.
    bool pStopThread1 = false;
    // 1 from the start of a collection, 0 after the list is cleared.
    int32_t pCountGet = 0;
    // Searches since the last collection or clearing.
    int32_t pCountFind = 0;

    // Registers a found piece unless its absolute path is registered already; its index either way.
    int32_t AddFIlist(const fw::FolderItem &f, const fw::String &kind);
    // The 16 x 16 row icon of an item, from what the row's look at it told.
    fw::PicturePtr MakeListFolIcon(const fw::FolderItem &f, const fw::FolderItem::Status &status);
    // Asks, then empties the list and the registry.
    void ClearListBox();

    // The window's run states, set by the commands that start a run and by the workers. While a run
    // lasts, Stop is the only one on of the items that start a run or clear the list. When it ends
    // or stops the wheel goes, and the toolbar is idle again: collect, search and Clear List on, Stop
    // off, Move to Trash as the run leaves it (off after a search).
    enum class MoveToTrash { Off, On };
    // A command starts a worker: the toolbar while the run lasts.
    void showRunStarted();
    // The worker shows its status text and the progress wheel.
    void showRunning(const fw::String &status);
    // The run ended: the status text and the wheel are hidden.
    void showIdle(MoveToTrash moveToTrash);
    // The run was stopped: the status text says so and stays shown; the wheel is hidden.
    void showStopped(MoveToTrash moveToTrash);

    // The items of the window's menu bar, looked up by name.
    fw::MenuItem &HelpMenu() const;
    fw::MenuItem &HelpManual() const;
    fw::MenuItem &HelpReadMe() const;
    fw::MenuItem &EditMenu() const;
    fw::AppleMenuItem &AppleAbout() const;
    fw::MenuItem &EditSelectAll() const;
    fw::MenuItem &UntitledMenu0() const;
    fw::MenuItem &EditClear() const;
    fw::MenuItem &EditPaste() const;
    fw::MenuItem &EditCopy() const;
    fw::MenuItem &EditCut() const;
    fw::MenuItem &UntitledMenu1() const;
    fw::MenuItem &EditUndo() const;
    fw::MenuItem &FileMenu() const;
    fw::QuitMenuItem &FileQuit() const;

protected:
    void Event_Open() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Layout();
    void CreateControls();
    void _CreateControls0();
    void AddMenuHandlers();
    void Toolbar11_Action(fw::ToolItem &item);
    void Toolbar11_Open();
    void Listbox1_ExpandRow(int row);
    bool Listbox1_CellBackgroundPaint(fw::Graphics &g, int row, int column);
    void Listbox1_CellAction(int row, int column);
    void Listbox1_Change();
    void InitApp();
    void GetItem(const fw::String &mode);
    void ExpRow(int row);
    void DeleteItem();
    void RevealFile();

    // The toolbar and the list at the end of a run, ended or stopped.
    void showRunEnded(MoveToTrash moveToTrash);

    Toolbar1 *m_toolbar11 = nullptr;
    fw::Listbox *m_listbox1 = nullptr;
    fw::ProgressWheel *m_progressWheel1 = nullptr;
    fw::StaticText *m_staticText1 = nullptr;
};
