#include "app/app.h"
#include "catalogue/catalogue.h"
#include "framework/thread.h"
#include "tests/support/fixtures.h"
#include "tests/support/launches.h"
#include "tests/support/machome.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "ui/aboutpanel.h"
#include "ui/menubar1.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

// The program as main() puts it together, on a home of its own holding enough applications that a
// collection takes many steps.
class RunningApp : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        for (int i = 0; i < 40; ++i)
            testsupport::makeAppPackage(home.applications() + QStringLiteral("/Other %1").arg(i),
                                        "Other.app");
        app.setMenuBar(MenuBar1::instance());
        fw::RuntimeRegisterAppObject(&app);
        app.AddMenuHandler("AppleAbout", [this] { return app._AppleAbout_Action(); });
        app.AddMenuHandler("HelpManual", [this] { return app._HelpManual_Action(); });
        app.AddMenuHandler("HelpReadMe", [this] { return app._HelpReadMe_Action(); });
        MainWindowTest::SetUp();
        app.InitDictionary();
    }

    void TearDown() override
    {
        fw::KillAllThreads();
        MainWindowTest::TearDown();
        MenuBar1::release();
        fw::RuntimeRegisterAppObject(nullptr);
    }

    testsupport::MacHome home;
    App app;
};

TEST_F(RunningApp, aboutWhileCollecting_showsThePanel_andTheCollectionGoesOn)
{
    click(toolbar().ToolItem1);
    ASSERT_TRUE(running());

    bool finishedWhileShown = false;
    const testsupport::ModalAnswers answers({[&](QWidget *modal) {
        if (dynamic_cast<AboutPanel *>(modal) == nullptr)
            return false;
        waitUntilIdle();
        finishedWhileShown = !running();
        const QPoint corner(5, 5);
        QMouseEvent press(QEvent::MouseButtonPress, corner, modal->mapToGlobal(QPointF(corner)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(modal, &press);
        return true;
    }});
    AppleAbout().action()->trigger();

    EXPECT_TRUE(answers.allAnswered());
    EXPECT_EQ(answers.unexpected(), QStringList());
    EXPECT_TRUE(finishedWhileShown);
    EXPECT_FALSE(running());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(RunningApp, helpWhileCollecting_opensTheDocument_andTheCollectionGoesOn)
{
    const testsupport::Launches launches;
    fw::Application::setExecutableFile(
        fw::FolderItem::fromPath(QStringLiteral(VELLORAN_SOURCE_DIR "/bin/program")));
    click(toolbar().ToolItem1);
    ASSERT_TRUE(running());

    HelpManual().action()->trigger();
    HelpReadMe().action()->trigger();
    fw::Application::setExecutableFile({});

    EXPECT_EQ(launches.opened, QStringList({QStringLiteral(VELLORAN_SOURCE_DIR "/Resources/manual.rtf"),
                                            QStringLiteral(VELLORAN_SOURCE_DIR "/Resources/readme.rtf")}));
    EXPECT_TRUE(running());
    waitUntilIdle();
}

} // namespace
