#include "framework/folderitem.h"
#include "framework/thread.h"
#include "tests/support/fixtures.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using fw::FolderItem;
using testsupport::finderInfo;

namespace {

// One look at an entry must answer as the item's own questions do, whatever the listing told.
void expectLookMatchesTheItem(const FolderItem &item)
{
    SCOPED_TRACE(item.posixPath().toStdString());
    const FolderItem::Look look = item.LookAt();
    EXPECT_EQ(look.exists, item.Exists());
    EXPECT_EQ(look.directory, item.Directory());
    EXPECT_EQ(look.visible, item.Visible());
    EXPECT_EQ(look.macType, item.MacType());
    EXPECT_EQ(look.macCreator, item.MacCreator());
}

class WalkLookTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString &name) const { return dir.path() + '/' + name; }
    QTemporaryDir dir;
};

TEST_F(WalkLookTest, theLookOfEveryKindOfEntry_answersAsTheItemDoes)
{
    ASSERT_TRUE(testsupport::writeFile(path("plain")));
    ASSERT_TRUE(testsupport::writeFile(path("typed")));
    ASSERT_TRUE(testsupport::writeSidecar(path("typed"), finderInfo("TEXT", "ttxt")));
    ASSERT_TRUE(testsupport::makeFolder(path("Hidden")));
    ASSERT_TRUE(testsupport::writeSidecar(path("Hidden"), finderInfo("", "", testsupport::kInvisibleFlag)));
    ASSERT_TRUE(testsupport::makeFolder(path("Folder")));
    ASSERT_TRUE(QFile::link(path("Folder"), path("link")));
    ASSERT_TRUE(testsupport::writeSidecar(path("link"), finderInfo("slnk", "rhap")));
    ASSERT_TRUE(QFile::link(path("gone"), path("dangling")));
    // A sidecar without its item is an entry of its own.
    ASSERT_TRUE(testsupport::writeFile(path("._orphan"), "not a sidecar"));
    if (testsupport::userAttributesSupported(dir.path())) {
        ASSERT_TRUE(testsupport::writeFile(path("served")));
        ASSERT_TRUE(testsupport::setNetatalkMetadata(path("served"), finderInfo("Tmx3", "Wqj1")));
        ASSERT_TRUE(testsupport::writeFile(path("shared")));
        ASSERT_TRUE(testsupport::setAfpInfo(path("shared"), finderInfo("APPL", "Wqj2")));
        // Another attribute only: the item has no FinderInfo.
        ASSERT_TRUE(testsupport::writeFile(path("tagged")));
        ASSERT_TRUE(testsupport::setAttribute(path("tagged"), "user.comment", "x"));
    }

    const FolderItem folder = FolderItem::fromPath(dir.path());
    ASSERT_GE(folder.Count(), 8);
    for (int i = 1; i <= folder.Count(); ++i) {
        expectLookMatchesTheItem(folder.Item(i));
        // The same path, not reached through a listing.
        expectLookMatchesTheItem(FolderItem::fromPath(folder.Item(i).posixPath()));
    }
    EXPECT_TRUE(FolderItem::fromPath(path("typed")).LookAt().macType == "TEXT");
    EXPECT_FALSE(FolderItem::fromPath(path("Hidden")).LookAt().visible);
}

TEST(WalkYield, withATimeSlice_aLongWalkStillLetsTheEventLoopRun)
{
    fw::SetTimeSlice(std::chrono::milliseconds(4));
    struct Walker : fw::Thread
    {
        bool eventLoopRan = false;
        long yields = 0;
        void Event_Run() override
        {
            // Only a switch to the event loop can end this loop.
            while (!eventLoopRan) {
                fw::Yield();
                ++yields;
            }
        }
    };
    auto walker = std::make_shared<Walker>();
    walker->Run();
    QApplication::processEvents(); // the walker starts and runs until its slice is used up
    QTimer::singleShot(0, [&] { walker->eventLoopRan = true; });
    const QDeadlineTimer deadline(10000);
    while (walker->isRunning() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    fw::SetTimeSlice(std::chrono::microseconds(0));
    EXPECT_FALSE(walker->isRunning());
    // The yields between switches did not switch: the slice held many of them.
    EXPECT_GT(walker->yields, 1000);
}

} // namespace
