#include "framework/folderitem.h"
#include "framework/thread.h"
#include "tests/support/fixtures.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <unistd.h>

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

TEST_F(WalkLookTest, aWalkDeeperThanTheFoldersKeptOpen_readsEveryEntryOnItsWayBack)
{
    // Each level holds its subfolder, listed first, and a typed file looked at once the walk is back.
    QString level = dir.path();
    for (int depth = 0; depth < 100; ++depth) {
        ASSERT_TRUE(testsupport::writeFile(level + QStringLiteral("/z")));
        ASSERT_TRUE(
            testsupport::writeSidecar(level + QStringLiteral("/z"),
                                      finderInfo("TEXT", QByteArray::number(depth).rightJustified(4, '0'))));
        level += QStringLiteral("/a");
    }
    int checked = 0;
    std::function<void(const FolderItem &, int)> walk = [&](const FolderItem &folder, int depth) {
        for (int i = 1; i <= folder.Count(); ++i) {
            const FolderItem entry = folder.Item(i);
            const FolderItem::Look look = entry.LookAt();
            if (look.directory) {
                walk(entry, depth + 1);
            } else {
                EXPECT_EQ(look.macCreator.toQString(), QString::number(depth).rightJustified(4, '0'));
                ++checked;
            }
        }
    };
    walk(FolderItem::fromPath(dir.path()), 0);
    EXPECT_EQ(checked, 100);
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

TEST(WideFolder, isListedCompleteAndSortedAsBefore_andLetsTheEventLoopRunBetweenSteps)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Names of both cases, past ASCII, prefixes of one another; every tenth with a sidecar. Hard links
    // to one file and one sidecar: the listing sees plain files, and they are quick to make.
    const QString file = dir.path() + QStringLiteral("/file");
    ASSERT_TRUE(testsupport::writeFile(file));
    ASSERT_TRUE(testsupport::writeSidecar(file, finderInfo("TEXT", "ttxt")));
    const auto link = [&dir](const QString &target, const QString &name) {
        return ::link(QFile::encodeName(target).constData(),
                      QFile::encodeName(dir.path() + '/' + name).constData()) == 0;
    };
    QStringList expected = {QStringLiteral("file")};
    QSet<QString> written(expected.begin(), expected.end());
    for (int i = 0; i < 5000; ++i) {
        const QString stem = i % 7 == 0 ? QStringLiteral("été %1")
                                        : (i % 3 ? QStringLiteral("File%1") : QStringLiteral("file%1.txt"));
        const QString name = stem.arg(i % 2 ? i : i / 2);
        if (written.contains(name))
            continue;
        written.insert(name);
        ASSERT_TRUE(link(file, name));
        if (i % 10 == 0) {
            ASSERT_TRUE(link(dir.path() + QStringLiteral("/._file"), QStringLiteral("._") + name));
        }
        expected << name;
    }
    expected << QStringLiteral("._orphan");
    ASSERT_TRUE(testsupport::writeFile(dir.path() + QStringLiteral("/._orphan")));
    std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.toUtf8() < b.toUtf8();
    });

    struct Lister : fw::Thread
    {
        FolderItem folder;
        bool started = false;
        long *turns = nullptr;
        long turnsWhileListing = 0;
        int count = 0;
        void Event_Run() override
        {
            started = true;
            const long before = *turns;
            count = folder.Count();
            turnsWhileListing = *turns - before;
        }
    };
    long turns = 0;
    auto lister = std::make_shared<Lister>();
    lister->folder = FolderItem::fromPath(dir.path());
    lister->turns = &turns;
    // The event loop lists the same folder while the thread is halfway: both get the whole listing.
    const FolderItem sameFolder = lister->folder;
    int countOnTheEventLoop = -1;
    QTimer turn;
    QObject::connect(&turn, &QTimer::timeout, [&] {
        ++turns;
        if (lister->started && lister->isRunning() && countOnTheEventLoop < 0)
            countOnTheEventLoop = sameFolder.Count();
    });
    turn.start(0);
    lister->Run();
    const QDeadlineTimer deadline(20000);
    while (lister->isRunning() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(lister->isRunning());
    EXPECT_GT(lister->turnsWhileListing, 2);
    EXPECT_EQ(countOnTheEventLoop, lister->count);
    QStringList listed;
    for (int i = 1; i <= lister->folder.Count(); ++i)
        listed << lister->folder.Item(i).Name().toQString();
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(lister->folder.Item(1).Name(), fw::String("._orphan"));
}

} // namespace
