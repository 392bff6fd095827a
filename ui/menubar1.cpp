#include "ui/menubar1.h"

#include "framework/application.h"
#include "framework/exceptions.h"

#include <memory>

namespace {

MenuBar1 *g_menuBar1 = nullptr;

// A shortcut of "none" leaves the item without one; "" sets the empty shortcut.
const char *const NoShortcut = nullptr;

template <class Item = fw::MenuItem>
std::unique_ptr<fw::MenuItem> makeItem(const char *name, const char *text, const char *shortcut)
{
    auto item = std::make_unique<Item>();
    item->setName(name);
    item->setAutoEnable(true);
    item->setText(text);
    if (shortcut != NoShortcut)
        item->setKeyboardShortcut(shortcut);
    return item;
}

fw::MenuItem &appItem(const char *name)
{
    fw::Application *app = fw::GetAppObject();
    if (app == nullptr || app->menuBar() == nullptr)
        throw fw::NilObjectException();
    return app->menuBar()->Lookup(name);
}

} // namespace

MenuBar1 *MenuBar1::instance()
{
    if (g_menuBar1 == nullptr)
        g_menuBar1 = new MenuBar1;
    return g_menuBar1;
}

void MenuBar1::release()
{
    delete g_menuBar1;
    g_menuBar1 = nullptr;
}

MenuBar1::MenuBar1()
{
    Untitled0();
    Untitled1();
    Untitled2();
}

void MenuBar1::Untitled0()
{
    Append(makeItem("FileMenu", "&File", ""));
    Child("FileMenu").Append(makeItem<fw::QuitMenuItem>("FileQuit", "&Quit", "Cmd+Q"));
}

void MenuBar1::Untitled1()
{
    Append(makeItem("EditMenu", "&Edit", ""));
    fw::MenuItem &edit = Child("EditMenu");
    edit.Append(makeItem("EditUndo", "&Undo", "Cmd+Z"));
    edit.Append(makeItem("UntitledMenu1", "-", NoShortcut));
    edit.Append(makeItem("EditCut", "Cu&t", "Cmd+X"));
    edit.Append(makeItem("EditCopy", "&Copy", "Cmd+C"));
    edit.Append(makeItem("EditPaste", "&Paste", "Cmd+V"));
    edit.Append(makeItem("EditClear", "&Delete", ""));
    edit.Append(makeItem("UntitledMenu0", "-", NoShortcut));
    edit.Append(makeItem("EditSelectAll", "Select &All", "Cmd+A"));
    edit.Append(makeItem<fw::AppleMenuItem>("AppleAbout", "About Velloran Uninstaller...", ""));
}

void MenuBar1::Untitled2()
{
    Append(makeItem("HelpMenu", "Help", ""));
    fw::MenuItem &help = Child("HelpMenu");
    help.Append(makeItem("HelpReadMe", "Read Me", ""));
    help.Append(makeItem("HelpManual", "Manual", ""));
}

fw::MenuItem &FileMenu()
{
    return appItem("FileMenu");
}

fw::MenuItem &EditMenu()
{
    return appItem("EditMenu");
}

fw::MenuItem &EditUndo()
{
    return appItem("EditUndo");
}

fw::MenuItem &EditCut()
{
    return appItem("EditCut");
}

fw::MenuItem &EditCopy()
{
    return appItem("EditCopy");
}

fw::MenuItem &EditPaste()
{
    return appItem("EditPaste");
}

fw::MenuItem &EditClear()
{
    return appItem("EditClear");
}

fw::MenuItem &EditSelectAll()
{
    return appItem("EditSelectAll");
}

fw::AppleMenuItem &AppleAbout()
{
    auto *item = dynamic_cast<fw::AppleMenuItem *>(&appItem("AppleAbout"));
    if (item == nullptr)
        throw fw::NilObjectException();
    return *item;
}

fw::MenuItem &HelpReadMe()
{
    return appItem("HelpReadMe");
}

fw::MenuItem &HelpManual()
{
    return appItem("HelpManual");
}
