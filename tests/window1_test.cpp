#include "framework/exceptions.h"
#include "framework/listbox.h"
#include "framework/progresswheel.h"
#include "framework/resources.h"
#include "framework/statictext.h"
#include "framework/thread.h"
#include "tests/support/fixtures.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "ui/menubar1.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <stdexcept>

namespace {

using Window1Test = testsupport::MainWindowTest;

TEST_F(Window1Test, afterOpening_theWindowIsIdle)
{
    EXPECT_EQ(Window1::instance(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Title().toQString(), QString::fromUtf8("Velloran アンインストーラ"));
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Velloran アンインストーラ"));

    EXPECT_EQ(list().ColumnCount(), 6);
    EXPECT_EQ(list().ListCount(), 0);
    EXPECT_EQ(list().ListIndex(), -1);
    EXPECT_EQ(list().ColumnWidths().toQString(), "*,*,*,0,0,0");
    const QStringList headings{"名前", "修正日", "種別", " ", "", ""};
    QHeaderView *header = list().view()->header();
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(list().Heading(column).toQString(), headings[column]);
        EXPECT_EQ(header->isSectionHidden(column), column >= 3);
    }

    EXPECT_TRUE(toolbar().ToolItem1->Enabled());
    EXPECT_FALSE(toolbar().ToolItem4->Enabled());
    EXPECT_TRUE(toolbar().ToolItem6->Enabled());
    EXPECT_FALSE(toolbar().ToolItem8->Enabled());
    EXPECT_FALSE(toolbar().ToolItem5->Enabled());
    EXPECT_TRUE(toolbar().ToolItem9->Enabled());

    auto &wheel = window->ProgressWheel1();
    auto &status = window->StaticText1();
    EXPECT_FALSE(wheel.Visible());
    EXPECT_FALSE(wheel.widget()->isVisible());
    EXPECT_FALSE(wheel.isSpinning());
    EXPECT_FALSE(status.Visible());
    EXPECT_FALSE(status.widget()->isVisible());

    EXPECT_FALSE(window->pStopThread1);
    EXPECT_FALSE(window->pStopThread2);
    EXPECT_EQ(window->pCountGet, 0);
    EXPECT_EQ(window->pCountFind, 0);
    EXPECT_TRUE(window->pFI.empty());
}

TEST_F(Window1Test, theSixToolIcons_are32x32_andTheSpacesHaveNone)
{
    for (fw::ToolButton *item : {toolbar().ToolItem1, toolbar().ToolItem4, toolbar().ToolItem6,
                                 toolbar().ToolItem8, toolbar().ToolItem5, toolbar().ToolItem9}) {
        ASSERT_NE(item->Icon(), nullptr);
        EXPECT_EQ(item->Icon()->Width(), 32);
        EXPECT_EQ(item->Icon()->Height(), 32);
        EXPECT_FALSE(item->action()->icon().isNull());
        // Its corner is transparent and its middle shows, as the mask says.
        const QImage shown = item->Icon()->rendered();
        EXPECT_EQ(qAlpha(shown.pixel(0, 31)), 0) << item->Name().toStdString();
    }
    EXPECT_EQ(qAlpha(toolbar().ToolItem5->Icon()->rendered().pixel(16, 16)), 255);
    for (fw::ToolButton *space : {toolbar().ToolItem2, toolbar().ToolItem3, toolbar().ToolItem7})
        EXPECT_EQ(space->Icon(), nullptr);
    // Each icon is a picture of its own.
    EXPECT_NE(toolbar().ToolItem1->Icon(), toolbar().ToolItem4->Icon());
}

TEST_F(Window1Test, controlsAreReachedByNameOrAccessor_andAnUnknownNameRaises)
{
    EXPECT_EQ(&window->control<Toolbar1>("Toolbar11"), &window->Toolbar11());
    EXPECT_EQ(&window->control<fw::Listbox>("Listbox1"), &window->Listbox1());
    EXPECT_EQ(&window->control<fw::ProgressWheel>("ProgressWheel1"), &window->ProgressWheel1());
    EXPECT_EQ(&window->control<fw::StaticText>("StaticText1"), &window->StaticText1());
    EXPECT_THROW(window->control<fw::Listbox>("Listbox2"), fw::NilObjectException);
    EXPECT_THROW(window->control<fw::StaticText>("Listbox1"), fw::NilObjectException);
}

TEST_F(Window1Test, theWindowShowsTheOneMenuBar_andItsAccessorsFindEachItem)
{
    EXPECT_EQ(window->MenuBar(), MenuBar1::instance());
    const QList<QAction *> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(menus[2]->text(), "Help");

    const auto items = std::to_array<std::pair<const char *, fw::MenuItem &>>({
        {"HelpMenu", window->HelpMenu()},
        {"HelpManual", window->HelpManual()},
        {"HelpReadMe", window->HelpReadMe()},
        {"EditMenu", window->EditMenu()},
        {"AppleAbout", window->AppleAbout()},
        {"EditSelectAll", window->EditSelectAll()},
        {"UntitledMenu0", window->UntitledMenu0()},
        {"EditClear", window->EditClear()},
        {"EditPaste", window->EditPaste()},
        {"EditCopy", window->EditCopy()},
        {"EditCut", window->EditCut()},
        {"UntitledMenu1", window->UntitledMenu1()},
        {"EditUndo", window->EditUndo()},
        {"FileMenu", window->FileMenu()},
        {"FileQuit", window->FileQuit()},
    });
    for (const auto &[name, item] : items)
        EXPECT_EQ(&item, &MenuBar1::instance()->Lookup(name)) << name;
}

TEST_F(Window1Test, aPieceReachedThroughALinkedFolder_isRegisteredWhereItLies_once)
{
    // A home folder may itself lie behind a link; the move walks the registered path without links.
    const QTemporaryDir dir;
    ASSERT_TRUE(testsupport::writeFile(dir.filePath("real/Prefs.plist")));
    ASSERT_TRUE(QFile::link(dir.filePath("real"), dir.filePath("home")));
    const QString real = QFileInfo(dir.filePath("real/Prefs.plist")).canonicalFilePath();
    const int32_t index = window->AddFIlist(fw::FolderItem::fromPath(dir.filePath("home/Prefs.plist")), "PL");
    EXPECT_EQ(window->AddFIlist(fw::FolderItem::fromPath(real), "PL"), index);
    EXPECT_EQ(window->pFI[index].Value("item").FolderItemValue().AbsolutePath().toQString(), real);
    EXPECT_TRUE(window->pFI.identity(index).has_value());
}

TEST_F(Window1Test, theUsersTickOnAGroupRow_passesToItsOwnChildRowsOnly)
{
    const QTemporaryDir dir;
    for (const char *name : {"a", "b", "c"}) {
        ASSERT_TRUE(testsupport::writeFile(dir.filePath(name)));
        window->AddFIlist(fw::FolderItem::fromPath(dir.filePath(name)), "PL");
    }
    const int first = group("A", {0, 1});
    group("B", {2});
    list().showAddedRows(); // the user ticks what the view shows
    // As the view sets a box that the user clicks.
    const auto userTicks = [this](int row, bool ticked) {
        QAbstractItemModel *model = list().view()->model();
        model->setData(model->index(row, 0), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    };
    const auto ticks = [this] {
        QString shown;
        for (int row = 0; row < list().ListCount(); ++row)
            shown += list().CellCheck(row, 0) ? 'x' : '-';
        return shown;
    };
    ASSERT_EQ(ticks(), "xxxxx");
    userTicks(first, false);
    EXPECT_EQ(ticks(), "---xx");
    userTicks(first + 2, true);
    EXPECT_EQ(ticks(), "--xxx");
    userTicks(first, true);
    EXPECT_EQ(ticks(), "xxxxx");
}

TEST_F(Window1Test, resizing_keepsTheListAttached_andTheStatusLineBottomLeft)
{
    auto &wheel = window->ProgressWheel1();
    auto &status = window->StaticText1();
    QWidget *content = window->centralWidget();
    EXPECT_EQ(content->size(), QSize(640, 400));
    EXPECT_EQ(list().widget()->geometry(), QRect(-1, -1, 642, 380));
    EXPECT_EQ(wheel.widget()->geometry(), QRect(10, 382, 16, 16));

    window->resize(2000, 2000);
    window->resize(window->minimumSize());
    QApplication::processEvents();
    EXPECT_EQ(content->size(), QSize(300, 200));
    EXPECT_EQ(list().widget()->geometry(), QRect(-1, -1, 302, 180));
    EXPECT_EQ(wheel.widget()->geometry(), QRect(10, 182, 16, 16));
    EXPECT_EQ(status.widget()->geometry(), QRect(30, 182, 440, 20));

    window->resize(window->width() + 100, window->height() + 50);
    QApplication::processEvents();
    EXPECT_EQ(list().widget()->geometry(), QRect(-1, -1, 402, 230));
    EXPECT_EQ(status.Top(), 232);
    // The list's shared columns follow its width.
    QHeaderView *header = list().view()->header();
    EXPECT_EQ(header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2),
              list().view()->viewport()->width());
}

TEST_F(Window1Test, theWheel_turnsWhileItIsShown)
{
    auto &wheel = window->ProgressWheel1();
    wheel.setVisible(true);
    QApplication::processEvents();
    EXPECT_TRUE(wheel.isSpinning());
    wheel.setVisible(false);
    EXPECT_FALSE(wheel.isSpinning());
}

TEST_F(Window1Test, aWorkerEndedByAnError_leavesTheWindowIdle_withMoveToTrashOffAfterASearch)
{
    struct FailingWorker : fw::Thread
    {
        void Event_Run() override { throw std::runtime_error("worker failed"); }
    };
    const testsupport::ModalAnswers answers; // the error's message is closed with its button
    for (const int32_t searches : {0, 1}) {
        window->pCountFind = searches;
        window->showRunStarted();
        window->showRunning("取得中...");
        list().setUserExpansionEnabled(false);
        std::make_shared<FailingWorker>()->Run();
        const QDeadlineTimer deadline(10000);
        while (toolbar().ToolItem5->Enabled() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 5);

        EXPECT_FALSE(status().Visible());
        EXPECT_FALSE(wheel().Visible());
        EXPECT_TRUE(toolbar().ToolItem1->Enabled());
        EXPECT_EQ(toolbar().ToolItem4->Enabled(), searches == 0);
        EXPECT_TRUE(toolbar().ToolItem6->Enabled());
        EXPECT_FALSE(toolbar().ToolItem5->Enabled());
        EXPECT_TRUE(toolbar().ToolItem9->Enabled());
        EXPECT_TRUE(list().UserExpansionEnabled());
    }
}

TEST_F(Window1Test, theToolbarSitsAtTheTop)
{
    QToolBar *bar = toolbar().toolBar();
    EXPECT_EQ(window->toolBarArea(bar), Qt::TopToolBarArea);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_LT(bar->geometry().bottom(), window->centralWidget()->geometry().top());
}

TEST_F(Window1Test, rowIcons_areSharedByKind_andARunsEnd_showsItsRows)
{
    QTemporaryDir dir;
    for (const char *name : {"one.tsl", "two.tsl"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const auto iconOf = [&](const QString &path) {
        const fw::FolderItem item = fw::FolderItem::fromPath(path);
        return window->MakeListFolIcon(item, item.ReadStatus());
    };
    const fw::PicturePtr icon = iconOf(dir.filePath("one.tsl"));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(iconOf(dir.filePath("two.tsl")), icon);
    EXPECT_NE(iconOf(dir.path()), icon);

    list().AddRow("one.tsl");
    list().setRowPicture(list().LastIndex(), icon);
    window->showIdle(Window1::MoveToTrash::Off);
    QAbstractItemModel *model = list().view()->model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), "one.tsl");
    EXPECT_FALSE(model->index(0, 0).data(Qt::DecorationRole).isNull());
}

} // namespace
