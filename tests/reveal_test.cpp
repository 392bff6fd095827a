#include "framework/variant.h"
#include "tests/support/launches.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "workers/finderscripts.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The reveal runs in a child process of this test program whose session bus is a bus of its own:
// Qt connects to the session bus once per process.
constexpr const char *kChildMarker = "VELLORAN_REVEAL_CHILD";

TEST(RevealTest, runsInAChildProcessWithASessionBusOfItsOwn)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    ASSERT_FALSE(daemon.isEmpty()) << "dbus-daemon is missing (scripts/setup.sh installs it)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The session bus's policy, on a bus that activates no service: no file manager can start on it.
    QFile config(dir.filePath(QStringLiteral("bus.conf")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("<busconfig><type>session</type><listen>unix:dir=" + dir.path().toUtf8() +
                 "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
                 "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
    config.close();
    QProcess bus;
    bus.start(daemon, {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                       QStringLiteral("--config-file=") + config.fileName()});
    ASSERT_TRUE(bus.waitForReadyRead(10000)) << bus.readAllStandardError().toStdString();
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QString::fromLatin1(kChildMarker), QStringLiteral("1"));
    // No desktop opener on the way either: where no file manager answers, nothing can show the item.
    environment.insert(QStringLiteral("PATH"), dir.path());
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=RevealOnOwnBus*")});
    ASSERT_TRUE(child.waitForFinished(60000));
    bus.kill();
    bus.waitForFinished();
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 2 tests"))) << output.toStdString();
}

// A file manager on the bus that never answers.
class SilentFileManager : public QDBusVirtualObject
{
public:
    QStringList asked;

    QString introspect(const QString & /*path*/) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection & /*connection*/) override
    {
        asked << message.arguments().value(0).toStringList();
        return true; // taken, and left without an answer
    }
};

// Turns the event loop until the condition holds, at most 10 s.
template <typename Condition> bool waitFor(Condition condition)
{
    const QDeadlineTimer deadline(10000);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

TEST(RevealOnOwnBus, silentFileManager_revealReturnsAtOnce_andTheFolderOpensAfterAWhile)
{
    if (!qEnvironmentVariableIsSet(kChildMarker))
        GTEST_SKIP() << "runs inside RevealTest.runsInAChildProcessWithASessionBusOfItsOwn";
    QDBusConnection connection = QDBusConnection::connectToBus(
        qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("file manager"));
    SilentFileManager fileManager;
    ASSERT_TRUE(
        connection.registerVirtualObject(QStringLiteral("/org/freedesktop/FileManager1"), &fileManager));
    ASSERT_TRUE(connection.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    QTemporaryDir dir;
    QFile item(dir.filePath(QStringLiteral("item")));
    ASSERT_TRUE(item.open(QIODevice::WriteOnly));
    testsupport::Launches desktop;

    revealFile({fw::Variant(fw::String(item.fileName()))});
    EXPECT_TRUE(desktop.opened.isEmpty()) << "the reveal waited for the file manager";
    ASSERT_TRUE(waitFor([&] { return fileManager.asked.size() == 1; }));
    EXPECT_TRUE(desktop.opened.isEmpty());
    ASSERT_TRUE(waitFor([&] { return !desktop.opened.isEmpty(); }));
    EXPECT_EQ(desktop.opened, QStringList{dir.path()});
}

class RevealOnOwnBusWindow : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet(kChildMarker))
            GTEST_SKIP() << "runs inside RevealTest.runsInAChildProcessWithASessionBusOfItsOwn";
        MainWindowTest::SetUp();
    }
};

TEST_F(RevealOnOwnBusWindow, noFileManager_andNoOpener_tellTheUserWhichFolderCouldNotBeOpened)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("見せる"));
    QFile item(folder + QStringLiteral("/書類.tmx"));
    ASSERT_TRUE(QDir().mkpath(folder) && item.open(QIODevice::WriteOnly));
    list().AddRow("書類.tmx");
    list().setCell(0, 2, "Tessolin II（書類）");
    list().setCell(0, 4, "DFS");
    list().setCell(0, 5, item.fileName());
    list().setListIndex(0);
    const testsupport::ModalAnswers answers;

    click(toolbar().ToolItem8);

    ASSERT_TRUE(waitFor([&] { return !answers.seen().isEmpty(); }));
    EXPECT_EQ(answers.seen(),
              QStringList{QStringLiteral("「") + folder + QStringLiteral("」を開けませんでした。")});
}

} // namespace
