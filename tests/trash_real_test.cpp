#include "app/app.h"
#include "catalogue/catalogue.h"
#include "framework/folderitem.h"
#include "framework/listbox.h"
#include "framework/resources.h"
#include "framework/scripts.h"
#include "framework/thread.h"
#include "tests/support/fixtures.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "tests/support/trashlist.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"
#include "workers/thread1.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
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
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <set>

namespace {

// GLib reads HOME and XDG_DATA_HOME once per process, so every case runs in a child process of this
// test program whose home is a fresh sample home.
constexpr char kChildMarker[] = "VELLORAN_REAL_TRASH_CHILD";

void runInSampleHome(const char *childTest)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString home = root.filePath(QStringLiteral("home"));
    QProcess sample;
    sample.start(QString::fromUtf8(VELLORAN_SAMPLEHOME), {home});
    ASSERT_TRUE(sample.waitForFinished(60000));
    ASSERT_EQ(sample.exitCode(), 0) << sample.readAllStandardError().toStdString();

    QProcess child;
    child.setProcessEnvironment(testsupport::trashChildEnvironment(home, kChildMarker));
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=TrashInSampleHome.") + QString::fromLatin1(childTest)});
    ASSERT_TRUE(child.waitForFinished(120000));
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
        Globals::gItem.clear();
    }

    QString at(const QString &relative) const { return home + QLatin1Char('/') + relative; }
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
        const QDeadlineTimer deadline(60000);
        while (thread->isRunning() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_FALSE(thread->isRunning());
    }

    // Clicks the tool item's button in the toolbar, as the user does.
    void click(fw::ToolButton *item)
    {
        auto *button = qobject_cast<QToolButton *>(toolbar().toolBar()->widgetForAction(item->action()));
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        button->click();
    }
    void waitUntilIdle()
    {
        const QDeadlineTimer deadline(60000);
        while (!toolbar().ToolItem1->Enabled() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_TRUE(toolbar().ToolItem1->Enabled()) << "the worker did not end";
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
    const QStringList listed = testsupport::trashListedPaths();
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
    EXPECT_EQ(testsupport::trashListedPaths(),
              QStringList{at(QStringLiteral("Library/Preferences/Tessolin初期設定"))});

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
    Globals::gItem.clear();
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
    const QStringList listed = testsupport::trashListedPaths();
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

} // namespace
