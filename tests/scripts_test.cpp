#include "framework/exceptions.h"
#include "framework/scripts.h"
#include "framework/thread.h"
#include "tests/support/trashlist.h"
#include "tests/support/wait.h"
#include "workers/finderscripts.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

// Qt's "signals" keyword would clash with a field name in the GIO headers.
#pragma push_macro("signals")
#undef signals
#include <glib.h>
#pragma pop_macro("signals")

#include <memory>
#include <vector>

namespace {

struct ScriptRun
{
    int32_t id;
    std::vector<fw::ScriptParameter> parameters;
};

// Catches the runs instead of carrying them out.
class BridgeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fw::SetScriptRunHook([this](int32_t id, const std::vector<fw::ScriptParameter> &parameters) {
            runs.push_back({id, parameters});
        });
    }
    void TearDown() override
    {
        fw::SetScriptRunHook({});
        fw::KillAllThreads();
    }

    std::vector<ScriptRun> runs;
};

TEST_F(BridgeTest, eachFunction_runsItsOwnScript)
{
    deleteFile({"/a"});
    deleteFolder({"/b"});
    revealFile({"/c"});
    ASSERT_EQ(runs.size(), 3U);
    EXPECT_EQ(runs[0].id, 168);
    EXPECT_EQ(runs[1].id, 169);
    EXPECT_EQ(runs[2].id, 170);
}

TEST_F(BridgeTest, emptyArray_runsTheScriptOnceWithoutParameters)
{
    deleteFolder({});
    ASSERT_EQ(runs.size(), 1U);
    EXPECT_EQ(runs[0].id, 169);
    EXPECT_TRUE(runs[0].parameters.empty());
}

TEST_F(BridgeTest, onePath_reachesTheScriptExactly)
{
    const fw::String path = "/home/user/Library/Preferences/設定 100% 済み";
    deleteFile({fw::Variant(path)});
    ASSERT_EQ(runs.size(), 1U);
    ASSERT_EQ(runs[0].parameters.size(), 1U);
    EXPECT_EQ(std::get<fw::String>(runs[0].parameters[0]), path);
}

TEST_F(BridgeTest, integersStayIntegers_otherValuesGoAsText_inArrayOrder)
{
    revealFile({fw::Variant(int32_t(7)), fw::Variant(2.5), fw::Variant(true), fw::Variant("7")});
    ASSERT_EQ(runs.size(), 1U);
    const auto &parameters = runs[0].parameters;
    ASSERT_EQ(parameters.size(), 4U);
    ASSERT_TRUE(std::holds_alternative<int32_t>(parameters[0]));
    EXPECT_EQ(std::get<int32_t>(parameters[0]), 7);
    EXPECT_EQ(std::get<fw::String>(parameters[1]), fw::Variant(2.5).StringValue());
    EXPECT_EQ(std::get<fw::String>(parameters[2]), fw::String("True"));
    ASSERT_TRUE(std::holds_alternative<fw::String>(parameters[3]));
    EXPECT_EQ(std::get<fw::String>(parameters[3]), fw::String("7"));
}

class TestThread : public fw::Thread
{
public:
    explicit TestThread(std::function<void()> body) : m_body(std::move(body)) {}

protected:
    void Event_Run() override { m_body(); }

private:
    std::function<void()> m_body;
};

TEST_F(BridgeTest, eachParameter_yieldsToTheOtherThreads)
{
    int otherSteps = 0;
    bool stop = false;
    int stepsAtRun = -1;
    fw::SetScriptRunHook([&](int32_t, const std::vector<fw::ScriptParameter> &) { stepsAtRun = otherSteps; });
    auto other = std::make_shared<TestThread>([&] {
        while (!stop) {
            ++otherSteps;
            fw::Yield();
        }
    });
    auto bridge = std::make_shared<TestThread>([&] {
        deleteFile({"/a", "/b", "/c"});
        stop = true;
    });
    other->Run();
    bridge->Run();
    EXPECT_TRUE(testsupport::waitUntil([&] { return !other->isRunning() && !bridge->isRunning(); }));
    EXPECT_GE(stepsAtRun, 3);
}

TEST(ScriptLayerTest, unknownScriptOrHandle_isReportedClearly)
{
    EXPECT_THROW(fw::ScriptExecute(171), fw::RuntimeException);
    EXPECT_THROW(fw::StartParamScript(0), fw::RuntimeException);
    EXPECT_THROW(fw::AddStringScriptParam(-5, "/x"), fw::RuntimeException);
    const int32_t handle = fw::StartParamScript(168);
    fw::SetScriptRunHook([](int32_t, const std::vector<fw::ScriptParameter> &) {});
    fw::CompleteParamScriptExecute(handle);
    fw::SetScriptRunHook({});
    EXPECT_THROW(fw::CompleteParamScriptExecute(handle), fw::RuntimeException) << "a run completes once";
}

// GLib reads HOME and XDG_DATA_HOME once per process and keeps them, so the real moves run in a child
// process of this test program that starts with a home of its own.
constexpr const char *kChildMarker = "VELLORAN_TRASH_CHILD";

TEST(TrashTest, realMoves_runInAChildProcessWithAHomeOfItsOwn)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcess child;
    child.setProcessEnvironment(testsupport::trashChildEnvironment(home.path(), kChildMarker));
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=TrashInOwnHome.*")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ]"))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("[  PASSED  ] 0 tests"))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("[  SKIPPED ]"))) << output.toStdString();
}

class TrashInOwnHome : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet(kChildMarker))
            GTEST_SKIP() << "runs inside TrashTest.realMoves_runInAChildProcessWithAHomeOfItsOwn";
        home = qEnvironmentVariable("HOME");
        // Guards against moving into the real Trash of whoever runs the tests.
        ASSERT_EQ(QString::fromUtf8(g_get_user_data_dir()), home + QStringLiteral("/.local/share"));
        work = std::make_unique<QTemporaryDir>(home + QStringLiteral("/workXXXXXX"));
        ASSERT_TRUE(work->isValid());
        fw::TakeScriptFailures();
    }

    QString make(const QString &relative, bool folder = false) const
    {
        QString path = work->filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (folder) {
            QDir().mkpath(path);
        } else {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("data");
        }
        return path;
    }

    static std::vector<fw::Variant> pathArgs(const QString &path) { return {fw::Variant(fw::String(path))}; }

    static bool present(const QString &path)
    {
        return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
    }

    QString home;
    std::unique_ptr<QTemporaryDir> work;
};

TEST_F(TrashInOwnHome, filesFoldersApplicationsAndLinks_goToTheTrash_restorableByPath)
{
    const QString document = make(QStringLiteral("書類 100%.txt"));
    const QString sidecar = make(QStringLiteral("._書類 100%.txt"));
    const QString folder = make(QStringLiteral("設定 フォルダ"), true);
    make(QStringLiteral("設定 フォルダ/中身.plist"));
    const QString application = make(QStringLiteral("ツール.app"), true);
    make(QStringLiteral("ツール.app/Contents/PkgInfo"));
    const QString target = make(QStringLiteral("本物"), true);
    make(QStringLiteral("本物/残す"));
    const QString link = work->filePath(QStringLiteral("リンク"));
    ASSERT_TRUE(QFile::link(target, link));

    deleteFile(pathArgs(document));
    deleteFolder(pathArgs(folder));
    deleteFile(pathArgs(application));
    deleteFile(pathArgs(link));

    const std::vector<fw::ScriptFailure> failures = fw::TakeScriptFailures();
    for (const auto &failure : failures)
        ADD_FAILURE() << failure.path.toStdString() << ": " << static_cast<int>(failure.reason);
    for (const QString &path : {document, sidecar, folder, application, link})
        EXPECT_FALSE(present(path)) << path.toStdString();
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/残す"))) << "a link goes, never its target";

    const QStringList listed = testsupport::trashListedPaths();
    for (const QString &path : {document, sidecar, folder, application, link})
        EXPECT_TRUE(listed.contains(path)) << path.toStdString() << " not in\n"
                                           << listed.join(u'\n').toStdString();
}

TEST_F(TrashInOwnHome, itemsThatFailTheirCheck_stayInPlace_andAreReported)
{
    const QString file = make(QStringLiteral("ファイル"));
    const QString folder = make(QStringLiteral("フォルダ"), true);
    const QString link = work->filePath(QStringLiteral("フォルダへのリンク"));
    ASSERT_TRUE(QFile::link(folder, link));
    const QString gone = work->filePath(QStringLiteral("消えた"));
    const QString preferences = home + QStringLiteral("/Library/Preferences");
    QDir().mkpath(preferences);
    const QString dotted = work->path() + QStringLiteral("/フォルダ/../ファイル");

    deleteFile(pathArgs(gone));
    deleteFolder(pathArgs(file));
    deleteFile(pathArgs(folder));
    deleteFolder(pathArgs(link));
    deleteFolder(pathArgs(home));
    deleteFolder(pathArgs(preferences));
    deleteFile(pathArgs(QStringLiteral("ファイル")));
    deleteFile(pathArgs(dotted));

    const std::vector<std::pair<QString, fw::MoveFailure>> expected = {
        {gone, fw::MoveFailure::NotFound},
        {file, fw::MoveFailure::KindChanged},
        {folder, fw::MoveFailure::KindChanged},
        {link, fw::MoveFailure::KindChanged},
        {home, fw::MoveFailure::Protected},
        {preferences, fw::MoveFailure::Protected},
        {QStringLiteral("ファイル"), fw::MoveFailure::BadPath},
        {dotted, fw::MoveFailure::BadPath},
    };
    const std::vector<fw::ScriptFailure> failures = fw::TakeScriptFailures();
    ASSERT_EQ(failures.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(failures[i].path.toQString(), expected[i].first);
        EXPECT_EQ(failures[i].reason, expected[i].second) << expected[i].first.toStdString();
    }
    for (const QString &path : {file, folder, link, preferences})
        EXPECT_TRUE(present(path)) << path.toStdString();
    EXPECT_TRUE(fw::TakeScriptFailures().empty()) << "failures are handed over once";
    EXPECT_TRUE(testsupport::trashListedPaths().filter(work->path()).isEmpty());
}

TEST_F(TrashInOwnHome, refusedMove_leavesTheItemInPlace_andIsReported)
{
    const QString file = make(QStringLiteral("残る書類"));
    // A file where the Trash folder should be: the move itself fails, even for root.
    const QString trash = home + QStringLiteral("/.local/share/Trash");
    const QString saved = trash + QStringLiteral(".saved");
    QDir().mkpath(trash);
    ASSERT_TRUE(QDir().rename(trash, saved));
    QFile blocker(trash);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    deleteFile(pathArgs(file));

    ASSERT_TRUE(QFile::remove(trash));
    ASSERT_TRUE(QDir().rename(saved, trash));
    EXPECT_TRUE(QFileInfo::exists(file));
    const std::vector<fw::ScriptFailure> failures = fw::TakeScriptFailures();
    ASSERT_EQ(failures.size(), 1U);
    EXPECT_EQ(failures[0].path.toQString(), file);
    EXPECT_EQ(failures[0].reason, fw::MoveFailure::TrashRefused);
}

// Receives what the desktop is asked to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

TEST_F(TrashInOwnHome, revealWithoutFileManager_opensTheFolderThatHoldsTheItem)
{
    const QString item = make(QStringLiteral("見せる/書類"));
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    revealFile(pathArgs(item));
    revealFile(pathArgs(work->filePath(QStringLiteral("ない"))));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(catcher.urls.size(), 1) << "a missing item shows nothing";
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(work->filePath(QStringLiteral("見せる"))));
    EXPECT_TRUE(QFileInfo::exists(item));
    EXPECT_TRUE(fw::TakeScriptFailures().empty());
}

} // namespace

#include "scripts_test.moc"
