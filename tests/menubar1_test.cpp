#include "app/app.h"
#include "framework/exceptions.h"
#include "ui/menubar1.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <array>

#include <gtest/gtest.h>

namespace {

// An application object with the menu bar, registered for the test; the menu bar is built afresh
// for every test, since captions change it.
class MenuBar1Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app.setMenuBar(MenuBar1::instance());
        fw::RuntimeRegisterAppObject(&app);
    }
    void TearDown() override
    {
        fw::RuntimeRegisterAppObject(nullptr);
        MenuBar1::release();
    }

    static QString shortcutShown(const fw::MenuItem &item) { return item.action()->shortcut().toString(); }

    App app;
};

TEST_F(MenuBar1Test, theTree_holdsTheThreeMenusAndTheirItemsInOrder)
{
    struct Expected
    {
        const char *name;
        const char *text;
        const char *shortcut;
    };
    const auto file = std::to_array<Expected>({{"FileQuit", "&Quit", "Ctrl+Q"}});
    const auto edit = std::to_array<Expected>({
        {"EditUndo", "&Undo", "Ctrl+Z"},
        {"UntitledMenu1", "-", ""},
        {"EditCut", "Cu&t", "Ctrl+X"},
        {"EditCopy", "&Copy", "Ctrl+C"},
        {"EditPaste", "&Paste", "Ctrl+V"},
        {"EditClear", "&Delete", ""},
        {"UntitledMenu0", "-", ""},
        {"EditSelectAll", "Select &All", "Ctrl+A"},
        {"AppleAbout", "About Velloran Uninstaller...", ""},
    });
    const auto help = std::to_array<Expected>({{"HelpReadMe", "Read Me", ""}, {"HelpManual", "Manual", ""}});

    MenuBar1 &bar = *MenuBar1::instance();
    ASSERT_EQ(bar.Count(), 3);
    const auto check = [](fw::MenuItem &menu, const char *name, const char *text, auto &items) {
        EXPECT_EQ(menu.Name().toQString(), name);
        EXPECT_EQ(menu.Text().toQString(), text);
        ASSERT_EQ(menu.Count(), static_cast<int>(std::size(items)));
        for (int i = 0; i < menu.Count(); ++i) {
            fw::MenuItem &item = menu.Item(i);
            EXPECT_EQ(item.Name().toQString(), items[i].name);
            EXPECT_EQ(item.Text().toQString(), items[i].text);
            EXPECT_EQ(shortcutShown(item), items[i].shortcut) << items[i].name;
            EXPECT_TRUE(item.AutoEnable());
            EXPECT_TRUE(item.action()->isEnabled());
            EXPECT_EQ(item.action()->isSeparator(), item.Text().toQString() == "-");
        }
    };
    check(bar.Item(0), "FileMenu", "&File", file);
    check(bar.Item(1), "EditMenu", "&Edit", edit);
    check(bar.Item(2), "HelpMenu", "Help", help);
    EXPECT_EQ(bar.Lookup("EditCut").KeyboardShortcut().toQString(), "Cmd+X");
    EXPECT_NE(dynamic_cast<fw::QuitMenuItem *>(&bar.Lookup("FileQuit")), nullptr);
    EXPECT_NE(dynamic_cast<fw::AppleMenuItem *>(&bar.Lookup("AppleAbout")), nullptr);
    EXPECT_THROW(bar.Lookup("EditRedo"), fw::NilObjectException);
    EXPECT_THROW(bar.Child("EditCut"), fw::NilObjectException);
}

TEST_F(MenuBar1Test, theMenuBar_isMadeOnce)
{
    EXPECT_EQ(MenuBar1::instance(), MenuBar1::instance());
    EXPECT_EQ(MenuBar1::instance()->Count(), 3);
}

TEST_F(MenuBar1Test, initCaption_setsElevenShiftJisCaptions_thatShowAsJapanese)
{
    app.InitCaption();
    const auto captions = std::to_array<std::pair<const char *, const char *>>({
        {"AppleAbout", "Velloran アンインストーラについて..."},
        {"FileMenu", "ファイル"},
        {"EditMenu", "編集"},
        {"EditUndo", "取り消す"},
        {"EditCut", "カット"},
        {"EditCopy", "コピー"},
        {"EditPaste", "ペースト"},
        {"EditClear", "削除"},
        {"EditSelectAll", "すべてを選択"},
        {"HelpReadMe", "お読み下さい"},
        {"HelpManual", "簡易マニュアル"},
    });
    MenuBar1 &bar = *MenuBar1::instance();
    for (const auto &[name, japanese] : captions) {
        const fw::MenuItem &item = bar.Lookup(name);
        const QString text = QString::fromUtf8(japanese);
        EXPECT_EQ(item.Text().encoding(), fw::Encodings::ShiftJIS()) << name;
        EXPECT_EQ(item.Text().bytes(), fw::Encodings::ShiftJIS()->fromUnicode(text)) << name;
        EXPECT_NE(item.Text().bytes(), text.toUtf8()) << name;
        EXPECT_EQ(item.action()->text(), text) << name;
    }
    EXPECT_EQ(bar.Lookup("HelpMenu").Text().toQString(), "Help");
    EXPECT_EQ(bar.Lookup("FileQuit").Text().toQString(), "&Quit");
    EXPECT_EQ(shortcutShown(bar.Lookup("EditCopy")), "Ctrl+C");

    // A window that shows the bar shows the new captions.
    QMenuBar shown;
    bar.attach(&shown);
    EXPECT_EQ(shown.actions().at(0)->text(), QString::fromUtf8("ファイル"));
}

TEST_F(MenuBar1Test, choosingAnItem_runsTheApplicationsHandlerForItsName)
{
    QStringList ran;
    app.AddMenuHandler("HelpReadMe", [&] {
        ran << "readme";
        return true;
    });
    HelpReadMe().action()->trigger();
    EditCopy().action()->trigger();
    EXPECT_EQ(ran, QStringList{"readme"});
}

TEST_F(MenuBar1Test, theQuitItem_endsTheEventLoop)
{
    QTimer::singleShot(0, [] { MenuBar1::instance()->Lookup("FileQuit").action()->trigger(); });
    QTimer timeout;
    timeout.callOnTimeout([] { QCoreApplication::exit(7); });
    timeout.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

} // namespace
