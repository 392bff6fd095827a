#include "framework/folderitem.h"
#include "framework/listbox.h"
#include "framework/resources.h"
#include "framework/scripts.h"
#include "framework/thread.h"
#include "tests/support/fixtures.h"
#include "tests/support/machome.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QApplication>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <vector>

namespace {

// The main window's toolbar commands, pressed as the toolbar does; scripts go to a hook.
class CommandsTest : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        MainWindowTest::SetUp();
        fw::SetScriptRunHook([this](int32_t id, const std::vector<fw::ScriptParameter> &parameters) {
            runs.emplace_back(id, parameters.empty() ? QString()
                                                     : std::get<fw::String>(parameters[0]).toQString());
        });
    }
    void TearDown() override
    {
        fw::SetScriptRunHook({});
        fw::KillAllThreads();
        MainWindowTest::TearDown();
    }

    // Presses the item through the toolbar's handler, whatever its state.
    void press(fw::ToolButton *item) { toolbar().Action(*item); }

    // Presses the item and answers the confirmation that it opens with the button of that caption.
    testsupport::MessageShown pressAndAnswer(fw::ToolButton *item, const QString &caption)
    {
        testsupport::MessageShown asked;
        const testsupport::ModalAnswers answers({testsupport::press(caption, &asked)});
        press(item);
        EXPECT_EQ(answers.unexpected(), QStringList());
        return asked;
    }

    // One expanded product with two pieces on disk.
    void collectedList()
    {
        std::vector<int32_t> pieces;
        for (const char *name : {"一", "二"}) {
            const QString path = home.preferences() + QStringLiteral("/製品 ") + QString::fromUtf8(name);
            ASSERT_TRUE(testsupport::makeFolder(path));
            pieces.push_back(window->AddFIlist(fw::FolderItem::fromPath(path), "P"));
        }
        group("製品", pieces);
        window->pCountGet = 1;
        toolbar().ToolItem4->setEnabled(true);
    }

    // The six tool items' states, Show in Finder included.
    std::vector<bool> toolStates() const
    {
        return {toolbar().ToolItem1->Enabled(), toolbar().ToolItem4->Enabled(),
                toolbar().ToolItem6->Enabled(), toolbar().ToolItem8->Enabled(),
                toolbar().ToolItem5->Enabled(), toolbar().ToolItem9->Enabled()};
    }

    testsupport::MacHome home;
    std::vector<std::pair<int32_t, QString>> runs;
};

TEST_F(CommandsTest, moveToTrash_asksWithItsTexts_andCancelChangesNothing)
{
    collectedList();
    list().setListIndex(1);
    window->pStopThread1 = true;
    const std::vector<bool> before = toolStates();

    const testsupport::MessageShown asked = pressAndAnswer(toolbar().ToolItem4, QStringLiteral("キャンセル"));

    ASSERT_TRUE(asked.shown);
    EXPECT_EQ(asked.text, QStringLiteral("本当にゴミ箱に移動しますか？"));
    EXPECT_EQ(asked.informativeText,
              QStringLiteral("Finderの機能を使えば、移動したアイテムを元に戻せます。"));
    EXPECT_EQ(asked.icon, QMessageBox::Warning);
    EXPECT_EQ(asked.parent, window);
    EXPECT_EQ(asked.captions, (QStringList{"OK", "キャンセル"}));
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(list().ListIndex(), 1);
    EXPECT_EQ(toolStates(), before);
    EXPECT_TRUE(window->pStopThread1);
}

TEST_F(CommandsTest, moveToTrash_confirmed_startsAFreshRun_thatMovesTheTickedPieces)
{
    collectedList();
    list().setListIndex(1);
    window->pStopThread1 = true; // left over from an earlier Stop

    const testsupport::MessageShown asked = pressAndAnswer(toolbar().ToolItem4, QStringLiteral("OK"));

    ASSERT_TRUE(asked.shown);
    EXPECT_EQ(list().ListIndex(), -1);
    EXPECT_FALSE(window->pStopThread1);
    EXPECT_EQ(toolStates(), (std::vector<bool>{false, false, false, false, true, false}));
    waitUntilIdle();
    ASSERT_EQ(runs.size(), 2U);
    EXPECT_EQ(runs[0], std::make_pair(169, home.preferences() + QStringLiteral("/製品 一")));
    EXPECT_EQ(runs[1], std::make_pair(169, home.preferences() + QStringLiteral("/製品 二")));
    EXPECT_EQ(toolStates(), (std::vector<bool>{true, true, true, false, false, true}));
    EXPECT_EQ(list().ListCount(), 3);
}

TEST_F(CommandsTest, clearList_asks_cancelKeepsEverything_andConfirmEmptiesListRegistryAndCounters)
{
    collectedList();
    window->pCountFind = 2;
    list().setListIndex(2);

    testsupport::MessageShown asked = pressAndAnswer(toolbar().ToolItem9, QStringLiteral("キャンセル"));
    ASSERT_TRUE(asked.shown);
    EXPECT_EQ(asked.text, QStringLiteral("本当にクリアしますか？"));
    EXPECT_TRUE(asked.informativeText.isEmpty());
    EXPECT_EQ(asked.parent, window);
    EXPECT_EQ(list().ListCount(), 3);
    EXPECT_EQ(list().ListIndex(), 2);
    EXPECT_EQ(window->pFI.size(), 2);
    EXPECT_EQ(window->pCountGet, 1);
    EXPECT_EQ(window->pCountFind, 2);

    const std::vector<bool> before = toolStates();
    asked = pressAndAnswer(toolbar().ToolItem9, QStringLiteral("OK"));
    ASSERT_TRUE(asked.shown);
    EXPECT_EQ(list().ListCount(), 0);
    EXPECT_TRUE(window->pFI.empty());
    EXPECT_EQ(window->pCountGet, 0);
    EXPECT_EQ(window->pCountFind, 0);
    EXPECT_EQ(toolStates(), before) << "clearing changes no tool item";
    EXPECT_EQ(window->AddFIlist(fw::FolderItem::fromPath(home.documents()), "DD"), 0);
}

TEST_F(CommandsTest, clearList_onAnEmptyList_stillAsks)
{
    window->pCountFind = 1;
    const testsupport::MessageShown asked = pressAndAnswer(toolbar().ToolItem9, QStringLiteral("OK"));
    EXPECT_TRUE(asked.shown);
    EXPECT_EQ(window->pCountFind, 0);
}

TEST_F(CommandsTest, showInFinder_handsTheFileManagerExactlyTheSearchRowsPath)
{
    const QString path = home.documents() + QStringLiteral("/旅 100% 計画.tmx");
    list().AddRow("旅 100% 計画.tmx");
    list().setCell(0, 1, "1 Jan 2024 10:00:00");
    list().setCell(0, 2, "Tessolin II（書類）");
    list().setCell(0, 4, "DFS");
    list().setCell(0, 5, path);
    list().setListIndex(0);
    ASSERT_TRUE(toolbar().ToolItem8->Enabled());

    press(toolbar().ToolItem8);

    ASSERT_EQ(runs.size(), 1U);
    EXPECT_EQ(runs[0], std::make_pair(170, path));
}

TEST_F(CommandsTest, showInFinder_withoutASelectedSearchRow_doesNothing)
{
    press(toolbar().ToolItem8);
    collectedList();
    list().setListIndex(0);
    press(toolbar().ToolItem8);
    list().setListIndex(1);
    press(toolbar().ToolItem8);
    EXPECT_TRUE(runs.empty());
}

TEST_F(CommandsTest, stop_setsBothFlagsAndNothingElse_andTheSpacesDoNothing)
{
    const std::vector<bool> before = toolStates();
    press(toolbar().ToolItem5);
    EXPECT_TRUE(window->pStopThread1);
    EXPECT_TRUE(window->pStopThread2);
    EXPECT_EQ(toolStates(), before);

    window->pStopThread1 = false;
    window->pStopThread2 = false;
    for (fw::ToolButton *space : {toolbar().ToolItem2, toolbar().ToolItem3, toolbar().ToolItem7})
        press(space);
    EXPECT_FALSE(window->pStopThread1);
    EXPECT_FALSE(window->pStopThread2);
    EXPECT_EQ(toolStates(), before);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
