#include "app/app.h"
#include "catalogue/catalogue.h"
#include "framework/folderitem.h"
#include "framework/listbox.h"
#include "framework/resources.h"
#include "framework/scripts.h"
#include "framework/thread.h"
#include "framework/trash.h"
#include "tests/support/fixtures.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "tests/support/trashlist.h"
#include "tests/support/wait.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"
#include "workers/thread1.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

// Qt's "signals" keyword would clash with a field name in the GIO headers.
#pragma push_macro("signals")
#undef signals
#include <glib.h>
#pragma pop_macro("signals")

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>

namespace {

// GLib reads HOME and XDG_DATA_HOME once per process, so every case runs in a child process of this
// test program whose home is a fresh sample home.
constexpr const char *kChildMarker = "VELLORAN_REAL_TRASH_CHILD";
// Set for a child whose home is a file system with no space left.
constexpr const char *kFullDiskMarker = "VELLORAN_FULL_DISK";

// A small file system mounted at a folder for as long as the object lives.
class SmallVolume
{
public:
    explicit SmallVolume(const QString &folder) : m_folder(QFile::encodeName(folder))
    {
        m_mounted = QDir().mkpath(folder) &&
                    ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=4m,mode=0755") == 0;
    }
    ~SmallVolume()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallVolume(const SmallVolume &) = delete;
    SmallVolume &operator=(const SmallVolume &) = delete;

    bool mounted() const { return m_mounted; }
    // Writes a file until the volume has no space left.
    bool fill() const
    {
        const int fd = ::open((m_folder + "/.filler").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'x');
        while (::write(fd, block.constData(), block.size()) > 0) {
        }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

void runInSampleHome(const char *childTest, bool fullDisk = false)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString home = root.filePath(QStringLiteral("home"));
    std::optional<SmallVolume> volume;
    if (fullDisk) {
        volume.emplace(home);
        if (!volume->mounted())
            GTEST_SKIP() << "no file system can be mounted here";
    }
    QProcess sample;
    sample.start(QString::fromUtf8(VELLORAN_SAMPLEHOME), {home});
    ASSERT_TRUE(sample.waitForFinished(60000));
    ASSERT_EQ(sample.exitCode(), 0) << sample.readAllStandardError().toStdString();

    QProcessEnvironment environment = testsupport::trashChildEnvironment(home, kChildMarker);
    if (fullDisk) {
        ASSERT_TRUE(volume->fill());
        environment.insert(QString::fromLatin1(kFullDiskMarker), QStringLiteral("1"));
    }
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=TrashInSampleHome.") + QString::fromLatin1(childTest)});
    ASSERT_TRUE(child.waitForFinished(120000));
    testsupport::removeTree(root.path());
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    if (output.contains(QStringLiteral("[  SKIPPED ] 1 test")))
        GTEST_SKIP() << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

TEST(RealTrashTest, tickedPiecesGoToTheTrash_withTheirOriginalPaths)
{
    runInSampleHome("tickedPieces_leaveTheirPlaces_andTheTrashListsThemByOriginalPath");
}

TEST(RealTrashTest, aPieceInAFolderThatRefusesTheMove_staysAndIsReportedOnce)
{
    runInSampleHome("refusedPieces_stayInPlace_andOneMessageTellsWhichAndWhy");
}

TEST(RealTrashTest, aUserCollects_unticksOneProduct_andMovesTheRest)
{
    runInSampleHome("collectUntickMoveConfirm_movesExactlyTheTickedPieces");
}

TEST(RealTrashTest, aPieceChangedSinceItWasFound_staysAndIsReported)
{
    runInSampleHome("changedPieces_stayInPlace_andAreReported");
}

TEST(RealTrashTest, linkFileAndFolderPieces_goAsWhatTheyWereFound)
{
    runInSampleHome("linkFileAndFolderPieces_goAsThemselves");
}

TEST(RealTrashTest, aMoveTheTrashCannotRecord_isUndoneAndReported)
{
    runInSampleHome("unrecordedMoves_areUndone_andReported");
}

TEST(RealTrashTest, onAFullDisk_everyPieceStaysAndIsReported)
{
    runInSampleHome("unrecordedMoves_areUndone_andReported", true);
}

TEST(RealTrashTest, aMoveNeitherRecordedNorUndone_namesWhereTheItemLies)
{
    runInSampleHome("strandedMove_isNamedWithItsPlaceInTheTrash");
}

TEST(RealTrashTest, piecesNamedInShiftJis_areListedReadably_andMovedByTheirOwnBytes)
{
    runInSampleHome("shiftJisPieces_listedReadably_goByTheirBytes_andTheirUtf8TwinStays");
}

// A hang fails here once the child's time is up.
TEST(RealTrashTest, aNamedPipeInTheTrashUnderThePiecesName_neitherHangsNorStopsTheMove)
{
    runInSampleHome("pipeInTheTrash_underThePiecesName_theMoveEnds_andThePieceIsInTheTrash");
}

TEST(RealTrashTest, aMoveBesideManyEntriesOfTheSameName_letsTheWindowRunMeanwhile)
{
    runInSampleHome("manyEntriesOfThePiecesName_theWindowTurnsWhileThePieceMoves");
}

// A folder from which nothing can be moved: immutable, since root ignores permissions; read-only for
// anyone else. The folder is released again when the object goes.
class RefusingFolder
{
public:
    explicit RefusingFolder(const QString &path) : m_path(path)
    {
        if (geteuid() != 0) {
            m_refusing = ::chmod(QFile::encodeName(path).constData(), 0555) == 0;
            return;
        }
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_refusing = ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
    ~RefusingFolder()
    {
        if (m_fd >= 0) {
            int flags = 0;
            if (::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
            }
            ::close(m_fd);
        } else if (m_refusing) {
            ::chmod(QFile::encodeName(m_path).constData(), 0755);
        }
    }
    RefusingFolder(const RefusingFolder &) = delete;
    RefusingFolder &operator=(const RefusingFolder &) = delete;

    bool refusing() const { return m_refusing; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_refusing = false;
};

class TrashInSampleHome : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet(kChildMarker))
            GTEST_SKIP() << "runs inside RealTrashTest";
        home = qEnvironmentVariable("HOME");
        // Guards against moving into the real Trash of whoever runs the tests.
        ASSERT_EQ(QString::fromUtf8(g_get_user_data_dir()), home + QStringLiteral("/.local/share"));
        ASSERT_TRUE(QFileInfo(home + QStringLiteral("/Library/Preferences")).isDir());
        fw::TakeScriptFailures();
        MainWindowTest::SetUp();
    }
    void TearDown() override
    {
        fw::KillAllThreads();
        MainWindowTest::TearDown();
    }

    QString at(const QString &relative) const { return home + QLatin1Char('/') + relative; }
    // What trash-list shows of this case's own folders (the home and what lies beside it): the
    // Trashes of other volumes may hold anything.
    QStringList listedHere() const
    {
        return testsupport::trashListedPaths().filter(QFileInfo(home).path() + QLatin1Char('/'));
    }
    QByteArray inTrash(const QByteArray &relative) const
    {
        return QFile::encodeName(home) + "/.local/share/Trash/" + relative;
    }
    static bool present(const QString &path)
    {
        return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
    }

    int32_t piece(const QString &relative, const char *kind)
    {
        return window->AddFIlist(fw::FolderItem::fromPath(at(relative)), kind);
    }

    void runTrashThread()
    {
        auto thread = std::make_shared<Thread1>();
        thread->pWin1 = window;
        thread->Run();
        ASSERT_TRUE(testsupport::waitUntil([&] { return !thread->isRunning(); }, 60000));
    }

    QString home;
    // Every message that comes up is answered with its first button, and its text kept.
    testsupport::ModalAnswers answers;
    const QStringList &messages = answers.seen();
};

TEST_F(TrashInSampleHome, tickedPieces_leaveTheirPlaces_andTheTrashListsThemByOriginalPath)
{
    const QString plist = QStringLiteral("Library/Preferences/jp.velloran.製品 100%.plist");
    ASSERT_TRUE(testsupport::writeFile(at(plist), "bplist00"));
    ASSERT_TRUE(testsupport::writeSidecar(at(plist), testsupport::finderInfo("plst", "Wqj1")));
    ASSERT_TRUE(testsupport::makeFolder(at(QStringLiteral("Library/Preferences/製品 初期設定/中身"))));
    ASSERT_TRUE(testsupport::makeFolder(at(QStringLiteral("Library/Application Support/製品%20サポート"))));
    ASSERT_TRUE(
        testsupport::writeFile(at(QStringLiteral("Library/Preferences/残す 設定.plist")), "bplist00"));
    const QStringList moved = {
        QStringLiteral("Applications/Tessolin II"),
        QStringLiteral("Applications/Quillary/Quillary.app"),
        QStringLiteral("Library/Preferences/製品 初期設定"),
        plist,
        QStringLiteral("Library/Application Support/製品%20サポート"),
        QStringLiteral("Documents/Quillary"),
    };
    const QString kept = QStringLiteral("Library/Preferences/残す 設定.plist");
    group("製品", {piece(moved[0], "AD"), piece(moved[1], "A"), piece(moved[2], "P"), piece(moved[3], "PL"),
                   piece(kept, "PL"), piece(moved[4], "AS"), piece(moved[5], "DD")});
    list().setCellCheck(5, 0, false);

    runTrashThread();

    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    const QStringList listed = listedHere();
    for (const QString &relative :
         moved + QStringList{QStringLiteral("Library/Preferences/._jp.velloran.製品 100%.plist")}) {
        EXPECT_FALSE(present(at(relative))) << relative.toStdString();
        EXPECT_TRUE(listed.contains(at(relative))) << relative.toStdString() << " not in\n"
                                                   << listed.join(u'\n').toStdString();
    }
    EXPECT_EQ(listed.size(), moved.size() + 1);
    EXPECT_TRUE(present(at(kept)));
    EXPECT_TRUE(present(at(QStringLiteral("Applications/Quillary/Read Me.txt")))) << "only the package went";
    EXPECT_EQ(list().ListCount(), 8);
}

TEST_F(TrashInSampleHome, refusedPieces_stayInPlace_andOneMessageTellsWhichAndWhy)
{
    const QString locked = QStringLiteral("Library/Preferences/動かせない フォルダ");
    ASSERT_TRUE(testsupport::writeFile(at(locked + QStringLiteral("/設定 1.plist")), "bplist00"));
    ASSERT_TRUE(testsupport::makeFolder(at(locked + QStringLiteral("/設定 2"))));
    const int32_t file = piece(locked + QStringLiteral("/設定 1.plist"), "PL");
    const int32_t folder = piece(locked + QStringLiteral("/設定 2"), "P");
    const int32_t movable = piece(QStringLiteral("Library/Preferences/Tessolin初期設定"), "P");
    group("一", {file, movable, folder});
    group("二", {file});
    RefusingFolder refusing(at(locked));
    if (!refusing.refusing())
        GTEST_SKIP() << "this system lets no folder refuse a move here";

    runTrashThread();

    EXPECT_TRUE(present(at(locked + QStringLiteral("/設定 1.plist"))));
    EXPECT_TRUE(present(at(locked + QStringLiteral("/設定 2"))));
    EXPECT_FALSE(present(at(QStringLiteral("Library/Preferences/Tessolin初期設定"))));
    EXPECT_EQ(listedHere(), QStringList{at(QStringLiteral("Library/Preferences/Tessolin初期設定"))});

    ASSERT_EQ(messages.size(), 1) << messages.join(u"\n----\n").toStdString();
    const QStringList expected = {
        QStringLiteral("次の項目はゴミ箱に移動できず、元の場所に残っています。"),
        at(locked + QStringLiteral("/設定 1.plist")) + QStringLiteral("（ゴミ箱に移動できませんでした）"),
        at(locked + QStringLiteral("/設定 2")) + QStringLiteral("（ゴミ箱に移動できませんでした）"),
    };
    EXPECT_EQ(messages[0].toStdString(), expected.join(u'\n').toStdString());
    EXPECT_FALSE(toolbar().ToolItem5->Enabled());
}

TEST_F(TrashInSampleHome, collectUntickMoveConfirm_movesExactlyTheTickedPieces)
{
    App app;
    app.InitDictionary();

    click(toolbar().ToolItem1);
    waitUntilIdle();
    // The sample home's Ombrisk record names a documents folder that is gone: the user is told, the
    // chooser is cancelled, and the reader says it can't locate the folder.
    ASSERT_EQ(messages.size(), 3) << messages.join(u'\n').toStdString();
    EXPECT_TRUE(messages[0].endsWith(QStringLiteral("」が見つかりません。再指定して下さい。")));
    EXPECT_EQ(messages[2], QStringLiteral("必要なファイルの所在が不明なので、処理を続行できません。"));
    const qsizetype collecting = messages.size();
    ASSERT_GT(list().ListCount(), 6);

    // Untick "Ombrisk" as a click on its check box does.
    int ombrisk = -1;
    for (int row = 0; row < list().ListCount(); ++row) {
        if (list().Cell(row, 0) == "Ombrisk" && list().Cell(row, 1).isEmpty())
            ombrisk = row;
    }
    ASSERT_GE(ombrisk, 0);
    QAbstractItemModel *model = list().view()->model();
    QModelIndex checkBox;
    for (int row = 0; row < model->rowCount() && !checkBox.isValid(); ++row) {
        if (model->index(row, 0).data().toString() == QStringLiteral("Ombrisk"))
            checkBox = model->index(row, 0);
    }
    ASSERT_TRUE(checkBox.isValid());
    ASSERT_TRUE(model->setData(checkBox, Qt::Unchecked, Qt::CheckStateRole));

    std::set<QString> ticked;
    std::set<QString> unticked;
    for (int row = 0; row < list().ListCount(); ++row) {
        if (list().Cell(row, 1).isEmpty())
            continue;
        const int32_t index = fw::ToInt32(fw::Val(list().Cell(row, 5)));
        const QString path = window->pFI[index].Value("item").FolderItemValue().AbsolutePath().toQString();
        (list().CellCheck(row, 0) ? ticked : unticked).insert(path);
    }
    ASSERT_TRUE(unticked.count(at(QStringLiteral("Applications/Ombrisk"))));
    ASSERT_TRUE(unticked.count(at(QStringLiteral("Library/Preferences/Ombrisk初期設定"))));
    ASSERT_TRUE(ticked.count(at(QStringLiteral("Applications/Tessolin II"))));
    // Documents folders named in the products' records are pieces too.
    ASSERT_TRUE(ticked.count(at(QStringLiteral("Documents/Quillary"))));
    const int rows = list().ListCount();

    click(toolbar().ToolItem4);
    waitUntilIdle();

    const QStringList confirming = messages.mid(collecting);
    ASSERT_EQ(confirming.size(), 1) << confirming.join(u'\n').toStdString();
    EXPECT_EQ(confirming[0], QStringLiteral("本当にゴミ箱に移動しますか？"));
    const QStringList listed = listedHere();
    EXPECT_EQ(std::set<QString>(listed.begin(), listed.end()), ticked);
    for (const QString &path : ticked)
        EXPECT_FALSE(present(path)) << path.toStdString();
    for (const QString &path : unticked)
        EXPECT_TRUE(present(path)) << path.toStdString();
    for (const char *unrelated :
         {"Applications/Glimmer Notes.app", "Applications/Ombrisk Viewer/Viewer.app",
          "Applications/Utilities", "Library/Preferences/com.brightfold.glimmer.plist",
          "Library/Preferences/Quillary Dorven.plist", "Library/Application Support/Brightfold",
          "Documents/Shopping list.txt", "Desktop/Todo.txt", ".profile"})
        EXPECT_TRUE(present(at(QString::fromUtf8(unrelated)))) << unrelated;
    EXPECT_EQ(list().ListCount(), rows);
}

TEST_F(TrashInSampleHome, changedPieces_stayInPlace_andAreReported)
{
    const QString outside = QDir::cleanPath(home + QStringLiteral("/../outside"));
    ASSERT_TRUE(testsupport::writeFile(outside + QStringLiteral("/製品/残す"), "keep"));
    const QString swapped = QStringLiteral("Library/Application Support/製品");
    const QString replaced = QStringLiteral("Library/Preferences/Ombrisk.plist");
    ASSERT_TRUE(testsupport::makeFolder(at(swapped)));
    group("製品", {piece(swapped, "AS"), piece(replaced, "PL")});
    // After the collection the folder above one piece becomes a link out of the home, and another
    // piece a new file of the same name and kind.
    ASSERT_TRUE(
        QDir().rename(at(QStringLiteral("Library/Application Support")), at(QStringLiteral("Library/Was"))));
    ASSERT_TRUE(QFile::link(outside, at(QStringLiteral("Library/Application Support"))));
    ASSERT_TRUE(testsupport::writeFile(at(replaced) + QStringLiteral(".new"), "bplist00"));
    ASSERT_EQ(std::rename(QFile::encodeName(at(replaced) + QStringLiteral(".new")).constData(),
                          QFile::encodeName(at(replaced)).constData()),
              0);

    runTrashThread();

    EXPECT_TRUE(QFileInfo::exists(outside + QStringLiteral("/製品/残す")));
    EXPECT_TRUE(present(at(replaced)));
    EXPECT_EQ(listedHere(), QStringList());
    const QStringList expected = {
        QStringLiteral("次の項目はゴミ箱に移動できず、元の場所に残っています。"),
        at(swapped) + QStringLiteral("（見つけた後に変更されています）"),
        at(replaced) + QStringLiteral("（見つけた後に変更されています）"),
    };
    EXPECT_EQ(messages, QStringList{expected.join(u'\n')});
}

TEST_F(TrashInSampleHome, linkFileAndFolderPieces_goAsThemselves)
{
    const QString target = QDir::cleanPath(home + QStringLiteral("/../outside/対象"));
    ASSERT_TRUE(testsupport::writeFile(target + QStringLiteral("/残す"), "keep"));
    const QStringList pieces = {QStringLiteral("Library/Application Support/製品 リンク"),
                                QStringLiteral("Documents/製品 メモ.txt"),
                                QStringLiteral("Library/Preferences/jp.velloran.製品.plist")};
    ASSERT_TRUE(QFile::link(target, at(pieces[0])));
    ASSERT_TRUE(testsupport::writeFile(at(pieces[1]), "memo"));
    ASSERT_TRUE(testsupport::makeFolder(at(pieces[2])));
    group("製品", {piece(pieces[0], "AS"), piece(pieces[1], "DD"), piece(pieces[2], "PL")});

    runTrashThread();

    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    const QStringList listed = listedHere();
    for (const QString &relative : pieces) {
        EXPECT_FALSE(present(at(relative))) << relative.toStdString();
        EXPECT_TRUE(listed.contains(at(relative))) << relative.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/残す"))) << "a link goes, never its target";
}

TEST_F(TrashInSampleHome, unrecordedMoves_areUndone_andReported)
{
    // GLib moves an item on a full disk but leaves its info file empty; elsewhere a fault does that.
    const bool fullDisk = qEnvironmentVariableIsSet(kFullDiskMarker);
    fw::SetTrashFault(fullDisk ? fw::TrashFault::None : fw::TrashFault::EmptyInfo);
    const QStringList pieces = {QStringLiteral("Applications/Tessolin II"),
                                QStringLiteral("Library/Preferences/Tessolin初期設定"),
                                QStringLiteral("Library/Preferences/Ombrisk.plist")};
    group("製品", {piece(pieces[0], "AD"), piece(pieces[1], "P"), piece(pieces[2], "PL")});

    runTrashThread();
    fw::SetTrashFault(fw::TrashFault::None);

    QStringList expected = {QStringLiteral("次の項目はゴミ箱に移動できず、元の場所に残っています。")};
    for (const QString &relative : pieces) {
        EXPECT_TRUE(present(at(relative))) << relative.toStdString();
        expected << at(relative) + QStringLiteral("（ゴミ箱に記録できませんでした）");
    }
    EXPECT_EQ(messages, QStringList{expected.join(u'\n')});
    EXPECT_EQ(listedHere(), QStringList());
    EXPECT_EQ(QDir(home + QStringLiteral("/.local/share/Trash/info")).entryList(QDir::Files), QStringList());
    EXPECT_EQ(QDir(home + QStringLiteral("/.local/share/Trash/files"))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList());
}

TEST_F(TrashInSampleHome, strandedMove_isNamedWithItsPlaceInTheTrash)
{
    // An item of the same name in the Trash already: the piece's entry gets the next name.
    const QString plist = QStringLiteral("Library/Preferences/Ombrisk.plist");
    ASSERT_TRUE(testsupport::writeFile(at(QStringLiteral("Ombrisk.plist")), "bplist00"));
    ASSERT_EQ(fw::MoveToTrash(QFile::encodeName(at(QStringLiteral("Ombrisk.plist")))).outcome,
              fw::TrashOutcome::Moved);
    group("製品", {piece(plist, "PL")});
    fw::SetTrashFault(fw::TrashFault::PlaceTaken);

    runTrashThread();
    fw::SetTrashFault(fw::TrashFault::None);

    EXPECT_EQ(messages,
              QStringList{QStringLiteral("次の項目はゴミ箱に記録できず、元の場所にも戻せませんでした。\n") +
                          at(plist) + QStringLiteral(" → ") + home +
                          QStringLiteral("/.local/share/Trash/files/Ombrisk.2.plist")});
}

TEST_F(TrashInSampleHome, shiftJisPieces_listedReadably_goByTheirBytes_andTheirUtf8TwinStays)
{
    // "ツール" in Shift_JIS holding the product's application, beside the folder its bytes were once
    // decoded and encoded back to; and two plist files whose names differ only in a half-width katakana.
    const QByteArray tools = "\x83\x63\x81\x5B\x83\x8B";
    const QString twin = at(QStringLiteral("Applications/") + QString::fromUtf8(tools));
    ASSERT_TRUE(testsupport::writeFile(twin + QStringLiteral("/Read Me.txt")));
    ASSERT_FALSE(testsupport::makeAppPackage(at(QStringLiteral("Applications/tools")),
                                             QStringLiteral("Saltrine.app"), {"APPLWqs9"})
                     .isEmpty());
    QByteArrayList moved = {testsupport::renameToBytes(at(QStringLiteral("Applications/tools")), tools)};
    for (const char *name : {"\xB1Saltrine.plist", "\xB2Saltrine.plist"}) {
        ASSERT_TRUE(testsupport::writeFile(at(QStringLiteral("Library/Preferences/plist")), "bplist00"));
        moved << testsupport::renameToBytes(at(QStringLiteral("Library/Preferences/plist")), name);
    }
    fw::Dictionary product;
    for (const auto &[key, value] : {std::pair{"appLabel", "Saltrine"},
                                     {"appCount", "1"},
                                     {"appName1", "Saltrine"},
                                     {"appType1", "APPLWqs9"},
                                     {"plistNam", "Saltrine"}})
        product.Value(key, value);
    Globals::gItem = {product};

    click(toolbar().ToolItem1);
    waitUntilIdle();
    QStringList shown;
    for (int row = 0; row < list().ListCount(); ++row)
        shown << list().Cell(row, 0).toQString() + QLatin1Char(' ') + list().Cell(row, 4).toQString();
    EXPECT_EQ(shown,
              (QStringList{QStringLiteral("Saltrine "), QStringLiteral("ツール AD"),
                           QStringLiteral("ｱSaltrine.plist PL"), QStringLiteral("ｲSaltrine.plist PL")}));
    for (int32_t i = 0; i < window->pFI.size(); ++i)
        EXPECT_TRUE(window->pFI[i].Value("item").FolderItemValue().Exists());

    click(toolbar().ToolItem4);
    waitUntilIdle();
    EXPECT_EQ(messages, QStringList{QStringLiteral("本当にゴミ箱に移動しますか？")});
    struct stat status = {};
    for (const QByteArray &path : moved) {
        EXPECT_NE(::lstat(path.constData(), &status), 0) << path.toStdString();
        const QByteArray inTrash =
            QFile::encodeName(home) + "/.local/share/Trash/files" + path.mid(path.lastIndexOf('/'));
        EXPECT_EQ(::lstat(inTrash.constData(), &status), 0) << inTrash.toStdString();
    }
    EXPECT_TRUE(present(twin + QStringLiteral("/Read Me.txt")));
    // trash-list reads the original paths as UTF-8, with a replacement mark where they are not.
    QStringList expected;
    for (const QByteArray &path : moved)
        expected << QString::fromUtf8(path);
    QStringList listed = listedHere();
    listed.sort();
    expected.sort();
    EXPECT_EQ(listed, expected);
}

TEST_F(TrashInSampleHome, pipeInTheTrash_underThePiecesName_theMoveEnds_andThePieceIsInTheTrash)
{
    // The Trash's entry of the piece's name: a hard link of the piece, its info file a named pipe.
    const QString plist = QStringLiteral("Library/Preferences/Ombrisk.plist");
    ASSERT_TRUE(testsupport::makeFolder(QFile::decodeName(inTrash("files"))));
    ASSERT_TRUE(testsupport::makeFolder(QFile::decodeName(inTrash("info"))));
    const QByteArray pipe = inTrash("info/Ombrisk.plist.trashinfo");
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    ASSERT_EQ(::link(QFile::encodeName(at(plist)).constData(), inTrash("files/Ombrisk.plist").constData()),
              0);
    group("製品", {piece(plist, "PL")});

    runTrashThread();

    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    EXPECT_FALSE(present(at(plist)));
    ASSERT_EQ(::unlink(pipe.constData()), 0) << "trash-list would wait on it";
    EXPECT_EQ(listedHere(), QStringList{at(plist)});
}

TEST_F(TrashInSampleHome, manyEntriesOfThePiecesName_theWindowTurnsWhileThePieceMoves)
{
    const QString folder = at(QStringLiteral("Applications/Tessolin II"));
    const QString sidecar = at(QStringLiteral("Applications/._Tessolin II"));
    ASSERT_TRUE(testsupport::writeSidecar(folder, testsupport::finderInfo("fold", "MACS")));
    // "Tessolin II" and "Tessolin II.2" on in the Trash: links to one file, quickly made.
    ASSERT_TRUE(testsupport::writeFile(QFile::decodeName(inTrash("files/Tessolin II"))));
    ASSERT_TRUE(testsupport::writeFile(
        QFile::decodeName(inTrash("info/Tessolin II.trashinfo")),
        "[Trash Info]\nPath=/elsewhere/Tessolin II\nDeletionDate=2024-01-01T10:00:00\n"));
    for (int n = 2; n <= 5000; ++n) {
        for (const char *entry : {"files/Tessolin II", "info/Tessolin II.trashinfo"}) {
            const QByteArray numbered = QByteArray(entry).replace("II", "II." + QByteArray::number(n));
            ASSERT_EQ(::link(inTrash(entry).constData(), inTrash(numbered).constData()), 0);
        }
    }
    group("製品", {piece(QStringLiteral("Applications/Tessolin II"), "AD")});
    // Turns of the window while the piece has left and its sidecar, which goes right after it, has not.
    int turnsMidMove = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { turnsMidMove += !present(folder) && present(sidecar); });
    probe.start(0);

    runTrashThread();

    EXPECT_GT(turnsMidMove, 0) << "the window waited for the whole move";
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    QStringList listed = listedHere();
    listed.sort();
    EXPECT_EQ(listed, (QStringList{sidecar, folder}));
}

} // namespace
