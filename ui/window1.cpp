#include "ui/window1.h"

#include "framework/application.h"
#include "framework/exceptions.h"
#include "framework/listbox.h"
#include "framework/menu.h"
#include "framework/progresswheel.h"
#include "framework/statictext.h"
#include "framework/thread.h"
#include "ui/menubar1.h"
#include "ui/toolbar1.h"

#include <array>
#include <memory>

namespace {

Window1 *g_window1 = nullptr;

// One 32 x 32 icon: the picture drawn whole, its mask drawn into the icon's mask.
fw::PicturePtr toolIcon(const fw::PicturePtr &picture, const fw::PicturePtr &mask)
{
    fw::PicturePtr icon = fw::NewPicture(32, 32, 32);
    icon->Graphics().DrawPicture(picture, 0, 0);
    icon->Mask(true)->Graphics().DrawPicture(mask, 0, 0);
    return icon;
}

// An item of the window's menu bar, of the class that its name is built with.
template <class Item = fw::MenuItem> Item &menuItem(const fw::Window &window, const char *name)
{
    auto *item =
        window.MenuBar() != nullptr ? dynamic_cast<Item *>(&window.MenuBar()->Lookup(name)) : nullptr;
    if (item == nullptr)
        throw fw::NilObjectException();
    return *item;
}

} // namespace

Window1 *Window1::instance()
{
    if (g_window1 == nullptr) {
        g_window1 = new Window1;
        g_window1->open();
    }
    return g_window1;
}

void Window1::release()
{
    delete g_window1;
    g_window1 = nullptr;
}

Window1::Window1()
{
    Layout();
    CreateControls();
    AddMenuHandlers();
    // An error that ends a worker leaves the window idle and usable, Move to Trash off after a search.
    fw::SetUnhandledExceptionHook([this] { showIdle(pCountFind == 0 ? MoveToTrash::On : MoveToTrash::Off); });
}

Window1::~Window1()
{
    fw::SetUnhandledExceptionHook({});
}

void Window1::Layout()
{
    setMenuBar(MenuBar1::instance());
    fw::WindowAttributes attributes;
    attributes.Width = 640;
    attributes.Height = 400;
    attributes.MinWidth = 300;
    attributes.MinHeight = 200;
    attributes.MaxWidth = 32000;
    attributes.MaxHeight = 32000;
    attributes.Frame = FrameDocument;
    attributes.HasBackColor = true;
    attributes.BackColor = QColor(192, 192, 192);
    attributes.Title = "Velloran Uninstaller";
    attributes.Visible = true;
    attributes.CloseButton = true;
    attributes.Resizeable = true;
    attributes.MaximizeButton = true;
    attributes.MinimizeButton = true;
    applyAttributes(attributes);
}

void Window1::CreateControls()
{
    _CreateControls0();
}

void Window1::_CreateControls0()
{
    {
        auto toolbar = std::make_unique<Toolbar1>();
        toolbar->setName("Toolbar11");
        addControl(std::move(toolbar));
        m_toolbar11 = &control<Toolbar1>("Toolbar11");
        auto &bar = Toolbar11();
        bar.Action = [this](fw::ToolItem &item) { Toolbar11_Action(item); };
        bar.Open = [this] { Toolbar11_Open(); };
    }
    {
        auto list = std::make_unique<fw::Listbox>(ColumnCount);
        list->setName("Listbox1");
        addControl(std::move(list));
        m_listbox1 = &control<fw::Listbox>("Listbox1");
        auto &listbox = Listbox1();
        listbox.setBounds(-1, -1, 642, 380);
        listbox.setLocks(true, true, true, true);
        const std::array<const char *, ColumnCount> headings = {"名前", "修正日", "種別", " ", "", ""};
        for (int column = 0; column < ColumnCount; ++column)
            listbox.setHeading(column, headings[column]);
        listbox.setColumnWidths("");
        listbox.setVisible(true);
        listbox.setEnabled(true);
        listbox.ExpandRow = [this](int row) { Listbox1_ExpandRow(row); };
        listbox.CellBackgroundPaint = [this](fw::Graphics &g, int row, int column) {
            return Listbox1_CellBackgroundPaint(g, row, column);
        };
        listbox.CellAction = [this](int row, int column) { Listbox1_CellAction(row, column); };
        listbox.Change = [this] { Listbox1_Change(); };
    }
    {
        auto wheel = std::make_unique<fw::ProgressWheel>();
        wheel->setName("ProgressWheel1");
        addControl(std::move(wheel));
        m_progressWheel1 = &control<fw::ProgressWheel>("ProgressWheel1");
        auto &progress = ProgressWheel1();
        progress.setBounds(10, 382, 16, 16);
        progress.setLocks(true, false, false, true);
        progress.setVisible(true);
        progress.setEnabled(true);
    }
    {
        auto text = std::make_unique<fw::StaticText>();
        text->setName("StaticText1");
        addControl(std::move(text));
        m_staticText1 = &control<fw::StaticText>("StaticText1");
        auto &status = StaticText1();
        status.setBounds(30, 382, 440, 20);
        status.setLocks(true, false, false, true);
        status.setText("Untitled");
        status.setTextAlign(fw::StaticText::AlignLeft);
        status.setTextColor(QColor(0, 0, 0));
        status.setMultiline(false);
        status.setTextFont("System");
        status.setTextSize(12);
        status.setVisible(true);
        status.setEnabled(true);
    }
}

void Window1::AddMenuHandlers()
{
    // None: the menu items' handlers are the application's, the same for every window.
}

void Window1::Toolbar11_Open()
{
    auto &bar = Toolbar11();
    bar.ToolItem1->setIcon(toolIcon(disk(), disk_mask()));
    bar.ToolItem4->setIcon(toolIcon(delete_(), delete_Mask()));
    bar.ToolItem6->setIcon(toolIcon(findItem(), findItem_Mask()));
    bar.ToolItem8->setIcon(toolIcon(showFinder(), showFinder_Mask()));
    bar.ToolItem5->setIcon(toolIcon(stop(), stop_Mask()));
    bar.ToolItem9->setIcon(toolIcon(clear(), clear_Mask()));
}

void Window1::Event_Open()
{
    InitApp();
}

void Window1::closeEvent(QCloseEvent *event)
{
    // A worker still running writes into this window: end it before the window goes.
    fw::KillAllThreads();
    fw::Window::closeEvent(event);
}

void Window1::showRunStarted()
{
    Toolbar1 &toolbar = Toolbar11();
    toolbar.ToolItem1->setEnabled(false);
    toolbar.ToolItem4->setEnabled(false);
    toolbar.ToolItem6->setEnabled(false);
    toolbar.ToolItem5->setEnabled(true);
    toolbar.ToolItem9->setEnabled(false);
}

void Window1::showRunning(const fw::String &status)
{
    StaticText1().setVisible(true);
    ProgressWheel1().setVisible(true);
    StaticText1().setText(status);
}

void Window1::showIdle(MoveToTrash moveToTrash)
{
    StaticText1().setVisible(false);
    ProgressWheel1().setVisible(false);
    showRunEnded(moveToTrash);
}

void Window1::showStopped(MoveToTrash moveToTrash)
{
    StaticText1().setText("処理が中止されました。");
    ProgressWheel1().setVisible(false);
    showRunEnded(moveToTrash);
}

void Window1::showRunEnded(MoveToTrash moveToTrash)
{
    // A run's last rows show with its end, not with the list's next batch.
    Listbox1().showAddedRows();
    Toolbar1 &toolbar = Toolbar11();
    toolbar.ToolItem1->setEnabled(true);
    toolbar.ToolItem4->setEnabled(moveToTrash == MoveToTrash::On);
    toolbar.ToolItem6->setEnabled(true);
    toolbar.ToolItem5->setEnabled(false);
    toolbar.ToolItem9->setEnabled(true);
    Listbox1().setUserExpansionEnabled(true);
}

void Window1::InitApp()
{
    setTitle("Velloran アンインストーラ");
    Listbox1().setColumnWidths("*,*,*,0,0,0");
    auto &bar = Toolbar11();
    bar.ToolItem4->setEnabled(false);
    bar.ToolItem8->setEnabled(false);
    bar.ToolItem5->setEnabled(false);
    ProgressWheel1().setVisible(false);
    StaticText1().setVisible(false);
}

fw::MenuItem &Window1::HelpMenu() const
{
    return menuItem(*this, "HelpMenu");
}

fw::MenuItem &Window1::HelpManual() const
{
    return menuItem(*this, "HelpManual");
}

fw::MenuItem &Window1::HelpReadMe() const
{
    return menuItem(*this, "HelpReadMe");
}

fw::MenuItem &Window1::EditMenu() const
{
    return menuItem(*this, "EditMenu");
}

fw::AppleMenuItem &Window1::AppleAbout() const
{
    return menuItem<fw::AppleMenuItem>(*this, "AppleAbout");
}

fw::MenuItem &Window1::EditSelectAll() const
{
    return menuItem(*this, "EditSelectAll");
}

fw::MenuItem &Window1::UntitledMenu0() const
{
    return menuItem(*this, "UntitledMenu0");
}

fw::MenuItem &Window1::EditClear() const
{
    return menuItem(*this, "EditClear");
}

fw::MenuItem &Window1::EditPaste() const
{
    return menuItem(*this, "EditPaste");
}

fw::MenuItem &Window1::EditCopy() const
{
    return menuItem(*this, "EditCopy");
}

fw::MenuItem &Window1::EditCut() const
{
    return menuItem(*this, "EditCut");
}

fw::MenuItem &Window1::UntitledMenu1() const
{
    return menuItem(*this, "UntitledMenu1");
}

fw::MenuItem &Window1::EditUndo() const
{
    return menuItem(*this, "EditUndo");
}

fw::MenuItem &Window1::FileMenu() const
{
    return menuItem(*this, "FileMenu");
}

fw::QuitMenuItem &Window1::FileQuit() const
{
    return menuItem<fw::QuitMenuItem>(*this, "FileQuit");
}
