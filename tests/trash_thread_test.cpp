#include "framework/folderitem.h"
#include "framework/listbox.h"
#include "framework/progresswheel.h"
#include "framework/resources.h"
#include "framework/scripts.h"
#include "framework/statictext.h"
#include "framework/thread.h"
#include "tests/support/fixtures.h"
#include "tests/support/machome.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "tests/support/wait.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"
#include "util/globals.h"
#include "workers/thread1.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

struct Move
{
    int32_t id;
    QString path;
};

// The trash thread against a real list and registry; the layer's moves are replaced by a hook that
// takes the item out of its place (so that it no longer exists) and records which script was asked.
class TrashThreadTest : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        MainWindowTest::SetUp();
        aside = home.path() + QStringLiteral("/aside");
        QDir().mkpath(aside);
        fw::SetScriptRunHook([this](int32_t id, const std::vector<fw::ScriptParameter> &parameters) {
            ASSERT_EQ(parameters.size(), 2U) << "the path, and what the piece was when found";
            const auto &shown = std::get<fw::String>(parameters[0]);
            const QString path = shown.toQString();
            ++tries[path];
            if (const auto failing = failures.find(fw::nativeBytes(shown)); failing != failures.end()) {
                fw::RecordScriptFailure({shown, failing->second.first, failing->second.second});
                return;
            }
            moves.push_back({id, path});
            QDir().rename(path, aside + QLatin1Char('/') + QString::number(moves.size()));
            if (onMove)
                onMove();
        });
    }
    void TearDown() override
    {
        fw::SetScriptRunHook({});
        fw::KillAllThreads();
        MainWindowTest::TearDown();
    }

    // Makes the item under the home folder and registers it; its registry index.
    int32_t piece(const QString &relative, const char *kind)
    {
        const QString path = home.path() + QLatin1Char('/') + relative;
        const bool folder = QByteArray(kind) != "PL";
        EXPECT_TRUE(folder ? testsupport::makeFolder(path) : testsupport::writeFile(path, "x"));
        return window->AddFIlist(fw::FolderItem::fromPath(path), kind);
    }
    QString pathOf(int32_t index) const
    {
        return window->pFI[index].Value("item").FolderItemValue().AbsolutePath().toQString();
    }

    // Runs a trash thread to its end; any message it shows is answered with its first button and
    // its text kept.
    void runThread()
    {
        auto thread = std::make_shared<Thread1>();
        thread->pWin1 = window;
        thread->Run();
        const testsupport::ModalAnswers answers;
        const bool ended = testsupport::waitUntil([&] { return !thread->isRunning(); });
        messages += answers.seen();
        ASSERT_TRUE(ended) << "the trash thread did not end";
        QApplication::processEvents();
    }

    // Every row's cells and tick, to see that the thread changes none.
    QStringList snapshot() const
    {
        QStringList rows;
        for (int row = 0; row < list().ListCount(); ++row) {
            QString text = list().CellCheck(row, 0) ? QStringLiteral("[x]") : QStringLiteral("[ ]");
            for (int column = 0; column < 6; ++column)
                text += QLatin1Char('|') + list().Cell(row, column).toQString();
            rows << text;
        }
        return rows;
    }

    void setToolbarRunning()
    {
        toolbar().ToolItem1->setEnabled(false);
        toolbar().ToolItem4->setEnabled(false);
        toolbar().ToolItem6->setEnabled(false);
        toolbar().ToolItem5->setEnabled(true);
        toolbar().ToolItem9->setEnabled(false);
    }
    void expectToolbarRestored() const
    {
        EXPECT_TRUE(toolbar().ToolItem1->Enabled());
        EXPECT_TRUE(toolbar().ToolItem4->Enabled());
        EXPECT_TRUE(toolbar().ToolItem6->Enabled());
        EXPECT_FALSE(toolbar().ToolItem5->Enabled());
        EXPECT_TRUE(toolbar().ToolItem9->Enabled());
    }

    testsupport::MacHome home;
    QString aside;
    std::vector<Move> moves;
    std::function<void()> onMove;
    // Pieces whose move the layer reports as failed: why, and where a stranded one lies.
    std::map<QByteArray, std::pair<fw::MoveFailure, fw::String>> failures;
    std::map<QString, int> tries; // by path
    QStringList messages;
};

TEST_F(TrashThreadTest, tickedChildRows_goByTheirKind_withExactlyTheirPaths_andEveryRowStays)
{
    const int32_t appFolder = piece(QStringLiteral("Applications/製品 100%"), "AD");
    const int32_t app = piece(QStringLiteral("Applications/ツール 2.app"), "A");
    const int32_t prefs = piece(QStringLiteral("Library/Preferences/製品初期設定"), "P");
    const int32_t plist = piece(QStringLiteral("Library/Preferences/jp.velloran.製品.plist"), "PL");
    const int32_t kept = piece(QStringLiteral("Library/Preferences/残す.plist"), "PL");
    const int32_t support = piece(QStringLiteral("Library/Application Support/製品"), "AS");
    const int32_t documents = piece(QStringLiteral("Documents/製品の書類"), "DD");
    const int32_t collapsed = piece(QStringLiteral("Library/Preferences/畳んだ.plist"), "PL");
    const int32_t unticked = piece(QStringLiteral("Library/Preferences/外した"), "P");

    group("製品", {appFolder, app, prefs, plist, kept, support, documents});
    list().setCellCheck(5, 0, false); // the child row of "残す.plist"
    group("畳んだ製品", {collapsed}, false);
    const int last = group("外した製品", {unticked});
    list().setCellCheck(last + 1, 0, false); // its group row stays ticked

    bool shownWhileMoving = false;
    onMove = [&] {
        shownWhileMoving = status().Visible() && wheel().Visible() && status().Text() == "ゴミ箱に移動中...";
    };
    const QStringList before = snapshot();
    toolbar().ToolItem8->setEnabled(true);
    setToolbarRunning();
    runThread();

    const std::vector<std::pair<int32_t, int32_t>> expected = {
        {169, appFolder}, {168, app}, {169, prefs}, {168, plist}, {169, support}, {169, documents}};
    ASSERT_EQ(moves.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(moves[i].id, expected[i].first) << i;
        EXPECT_EQ(moves[i].path, pathOf(expected[i].second)) << i;
    }
    EXPECT_TRUE(shownWhileMoving);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(window->pFI.size(), 9);
    expectToolbarRestored();
    EXPECT_TRUE(toolbar().ToolItem8->Enabled()) << "Show in Finder is not the thread's";
    EXPECT_FALSE(status().Visible());
    EXPECT_FALSE(wheel().Visible());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(TrashThreadTest, piecesGoneToTheTrash_haveNoDateWhenExpandedAgain_andALinkIsDatedByItself)
{
    const int32_t first = piece("Library/Preferences/First", "P");
    const int32_t kept = piece("Library/Preferences/Kept", "P");
    const QString dangling = home.preferences() + QStringLiteral("/Dangling.plist");
    ASSERT_TRUE(QFile::link(home.path() + QStringLiteral("/nowhere"), dangling));
    const std::array<timespec, 2> linkTime = {{{981173106, 0}, {981173106, 0}}};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD, QFile::encodeName(dangling).constData(), linkTime.data(), AT_SYMLINK_NOFOLLOW),
        0);
    const int32_t link = window->AddFIlist(fw::FolderItem::fromPath(dangling), "PL");
    const int32_t second = piece("Library/Preferences/Second.plist", "PL");
    group("製品", {first, kept, link, second});
    list().setCellCheck(2, 0, false);
    list().setCellCheck(3, 0, false);
    setToolbarRunning();
    runThread();
    ASSERT_EQ(moves.size(), 2U);

    list().setExpanded(0, false);
    list().setExpanded(0, true);
    ASSERT_EQ(list().ListCount(), 5);
    EXPECT_EQ(list().Cell(1, 1).toQString(), QString());
    EXPECT_FALSE(list().Cell(2, 1).isEmpty());
    EXPECT_EQ(list().Cell(3, 1).toQString(),
              Globals::gDateTime(fw::Date(QDateTime::fromSecsSinceEpoch(981173106))).toQString());
    EXPECT_EQ(list().Cell(4, 1).toQString(), QString());
    // The group row's tick still reaches every piece under it, past the ones without a date.
    list().setCellCheck(0, 0, false);
    list().CellAction(0, 0);
    for (int row = 1; row < 5; ++row)
        EXPECT_FALSE(list().CellCheck(row, 0)) << row;
}

TEST_F(TrashThreadTest, aPieceUnderSeveralRows_goesOnce_andAVanishedPieceIsNamedOnce)

{
    const int32_t shared = piece(QStringLiteral("Library/Preferences/共有"), "P");
    const int32_t inside = piece(QStringLiteral("Library/Preferences/共有/中.plist"), "PL");
    const int32_t vanished = piece(QStringLiteral("Library/Preferences/消えた.plist"), "PL");
    const int32_t other = piece(QStringLiteral("Library/Application Support/他"), "AS");
    group("一", {shared, shared, inside, vanished});
    group("二", {vanished, shared, other});
    ASSERT_TRUE(QFile::remove(pathOf(vanished)));

    runThread();

    ASSERT_EQ(moves.size(), 2U);
    EXPECT_EQ(moves[0].path, pathOf(shared));
    EXPECT_EQ(moves[1].path, pathOf(other));
    // What went with an earlier row, or inside a folder that went, is no loss to report.
    EXPECT_EQ(messages,
              QStringList{QStringLiteral("次の項目は元の場所に見つかりませんでした。\n") + pathOf(vanished)});
}

TEST_F(TrashThreadTest, aPieceUnderTwoRows_staysWhenEitherIsUnticked_andIsTriedOnce_asItTrulyWent)
{
    const int32_t first = piece(QStringLiteral("Applications/一"), "AD");
    const int32_t kept = piece(QStringLiteral("Applications/製品"), "AD");
    const int32_t untickedLater = piece(QStringLiteral("Library/Preferences/後で外す"), "P");
    const int32_t stranded = piece(QStringLiteral("Library/Preferences/迷子"), "P");
    const int32_t refused = piece(QStringLiteral("Library/Preferences/動かない"), "P");
    const int32_t other = piece(QStringLiteral("Library/Application Support/他"), "AS");
    failures[fw::nativeBytes(pathOf(refused))] = {fw::MoveFailure::TrashRefused, {}};
    failures[fw::nativeBytes(pathOf(stranded))] = {fw::MoveFailure::TrashStranded,
                                                   fw::String("/ゴミ箱/files/迷子")};
    group("一", {first, kept, untickedLater, stranded, refused, other});
    const int collapsed = group("畳んだ", {untickedLater}, false);
    const int last = group("二", {kept, stranded, refused});
    list().setCellCheck(last + 1, 0, false);
    // One more row above "二": the walk must still reach its rows.
    group("三", {first}, false);
    // Mid-run the user shows another row of a piece not reached yet, shifting the rows below, and unticks it.
    onMove = [&] {
        if (moves.size() == 1) {
            list().setExpanded(collapsed, true);
            list().setCellCheck(collapsed + 1, 0, false);
        }
    };

    runThread();

    EXPECT_EQ(tries,
              (std::map<QString, int>{
                  {pathOf(first), 1}, {pathOf(stranded), 1}, {pathOf(refused), 1}, {pathOf(other), 1}}));
    EXPECT_EQ(messages,
              QStringList{QStringLiteral("次の項目はゴミ箱に移動できず、元の場所に残っています。\n") +
                          pathOf(refused) + QStringLiteral("（ゴミ箱に移動できませんでした）\n\n") +
                          QStringLiteral("次の項目はゴミ箱に記録できず、元の場所にも戻せませんでした。\n") +
                          pathOf(stranded) + QStringLiteral(" → /ゴミ箱/files/迷子")});
}

TEST_F(TrashThreadTest, theEndMessage_namesEachPieceOnce_underWhatHappenedToIt_asTheListShowsNames)
{
    using Failure = fw::MoveFailure;
    const std::vector<std::pair<Failure, QString>> stayed = {
        {Failure::TrashRefused, QStringLiteral("ゴミ箱に移動できませんでした")},
        {Failure::TrashNotRecorded, QStringLiteral("ゴミ箱に記録できませんでした")},
        {Failure::BadPath, QStringLiteral("パスが正しくありません")},
        {Failure::ChangedSinceFound, QStringLiteral("見つけた後に変更されています")},
        {Failure::KindChanged, QStringLiteral("種類が変わっています")},
        {Failure::Protected, QStringLiteral("保護された場所です")}};
    std::vector<int32_t> pieces;
    QString expected = QStringLiteral("次の項目はゴミ箱に移動できず、元の場所に残っています。");
    for (std::size_t i = 0; i < stayed.size(); ++i) {
        pieces.push_back(piece(QStringLiteral("Library/Preferences/残る%1.plist").arg(i), "PL"));
        failures[fw::nativeBytes(pathOf(pieces.back()))] = {stayed[i].first, {}};
        expected += u'\n' + pathOf(pieces.back()) + u'（' + stayed[i].second + u'）';
    }
    // "ツール" in Shift_JIS: the list shows it readably, and so does the message.
    const QString prefs = home.path() + QStringLiteral("/Library/Preferences/");
    ASSERT_TRUE(testsupport::writeFile(prefs + QStringLiteral("tool"), "x"));
    const QByteArray shiftJis =
        testsupport::renameToBytes(prefs + QStringLiteral("tool"), "\x83\x63\x81\x5B\x83\x8B");
    const int32_t notFound = window->AddFIlist(fw::FolderItem::fromNativePath(shiftJis), "PL");
    failures[shiftJis] = {Failure::NotFound, {}};
    const int32_t vanished = piece(QStringLiteral("Library/Preferences/消えた.plist"), "PL");
    const int32_t stranded = piece(QStringLiteral("Library/Preferences/迷子"), "P");
    failures[fw::nativeBytes(pathOf(stranded))] = {Failure::TrashStranded,
                                                   QStringLiteral("/ゴミ箱/files/迷子")};
    const int32_t moved = piece(QStringLiteral("Library/Preferences/移る"), "P");
    pieces.insert(pieces.end(), {notFound, vanished, stranded, moved, pieces.front()});
    group("製品", pieces);
    ASSERT_TRUE(QFile::remove(pathOf(vanished)));

    runThread();
    ASSERT_EQ(moves.size(), 1U);
    const QString gone = QStringLiteral("\n\n次の項目は元の場所に見つかりませんでした。\n") + prefs +
                         QStringLiteral("ツール\n") + pathOf(vanished);
    const QString strandedLines =
        QStringLiteral("\n\n次の項目はゴミ箱に記録できず、元の場所にも戻せませんでした。\n") +
        pathOf(stranded) + QStringLiteral(" → /ゴミ箱/files/迷子");
    EXPECT_EQ(messages, QStringList{expected + gone + strandedLines});

    // Pressed again after the move: the piece that went is gone, not left in its place.
    messages.clear();
    runThread();
    EXPECT_EQ(messages, QStringList{expected + gone + u'\n' + pathOf(moved) + strandedLines});
}

TEST_F(TrashThreadTest, searchRows_moveNothing)
{
    const QString path = home.documents() + QStringLiteral("/見つけた.tmx");
    ASSERT_TRUE(testsupport::writeFile(path, "x"));
    list().AddRow("見つけた.tmx");
    list().setCell(0, 1, "1 Jan 2024 10:00:00");
    list().setCell(0, 2, "Tessolin II（書類）");
    list().setCell(0, 4, "DFS");
    list().setCell(0, 5, path);

    runThread();

    EXPECT_TRUE(moves.empty());
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(list().ListCount(), 1);
}

TEST_F(TrashThreadTest, stop_takesEffectBeforeTheNextRow_andIsShownInTheStatusLine)
{
    const int32_t first = piece(QStringLiteral("Library/Preferences/一"), "P");
    const int32_t second = piece(QStringLiteral("Library/Preferences/二"), "P");
    group("製品", {first, second});
    onMove = [this] { window->pStopThread1 = true; };
    setToolbarRunning();

    runThread();

    ASSERT_EQ(moves.size(), 1U);
    EXPECT_EQ(moves[0].path, pathOf(first));
    EXPECT_TRUE(QFileInfo::exists(pathOf(second)));
    EXPECT_TRUE(status().Visible());
    EXPECT_EQ(status().Text(), "処理が中止されました。");
    EXPECT_FALSE(wheel().Visible());
    expectToolbarRestored();
    EXPECT_TRUE(window->pStopThread1) << "the next run clears the flag, not this one";
}

TEST_F(TrashThreadTest, stopBeforeTheFirstRow_movesNothing_butOnAnEmptyListTheRunEndsNormally)
{
    group("製品", {piece(QStringLiteral("Library/Preferences/一"), "P")});
    window->pStopThread1 = true;
    runThread();
    EXPECT_TRUE(moves.empty());
    EXPECT_EQ(status().Text(), "処理が中止されました。");
    EXPECT_TRUE(status().Visible());

    list().DeleteAllRows();
    runThread();
    EXPECT_FALSE(status().Visible());
    EXPECT_FALSE(wheel().Visible());
    expectToolbarRestored();
}

TEST_F(TrashThreadTest, ticksAreReadWhenTheWalkReachesARow)
{
    const int32_t first = piece(QStringLiteral("Library/Preferences/一"), "P");
    const int32_t second = piece(QStringLiteral("Library/Preferences/二"), "P");
    const int32_t third = piece(QStringLiteral("Library/Preferences/三"), "P");
    group("製品", {first, second, third});
    list().setCellCheck(3, 0, false);
    onMove = [this] {
        if (moves.size() == 1) {
            list().setCellCheck(2, 0, false);
            list().setCellCheck(3, 0, true);
        }
    };

    runThread();

    ASSERT_EQ(moves.size(), 2U);
    EXPECT_EQ(moves[0].path, pathOf(first));
    EXPECT_EQ(moves[1].path, pathOf(third));
}

TEST_F(TrashThreadTest, rowsCollapsedDuringTheWalk_neverMakeItReadPastTheList)
{
    const int32_t first = piece(QStringLiteral("Library/Preferences/一"), "P");
    std::vector<int32_t> many;
    many.reserve(6);
    for (int i = 0; i < 6; ++i)
        many.push_back(piece(QStringLiteral("Library/Preferences/多%1").arg(i), "P"));
    group("一", {first});
    const int second = group("多", many);
    onMove = [&] {
        if (moves.size() == 1)
            list().setExpanded(second, false);
    };

    runThread();

    ASSERT_EQ(moves.size(), 1U);
    EXPECT_EQ(list().ListCount(), 3);
    EXPECT_FALSE(status().Visible()) << "the run ends as a completed one";
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

} // namespace
