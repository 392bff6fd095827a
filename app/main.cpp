#include "app/app.h"
#include "catalogue/catalogue.h"
#include "framework/thread.h"
#include "ui/menubar1.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QCoreApplication>

#include <memory>

int main(int argc, char **argv)
{
    fw::RuntimeInit(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("VelloranUninstaller"));
    fw::SetUnhandledExceptionMessage("Velloran", "予期しないエラーが発生しました。");
    auto app = std::make_unique<App>();

    fw::RunMain([&app] {
        app->setMenuBar(MenuBar1::instance());
        fw::RuntimeRegisterAppObject(app.get());
        App *handlers = app.get();
        app->AddMenuHandler("AppleAbout", [handlers] { return handlers->_AppleAbout_Action(); });
        app->AddMenuHandler("HelpManual", [handlers] { return handlers->_HelpManual_Action(); });
        app->AddMenuHandler("HelpReadMe", [handlers] { return handlers->_HelpReadMe_Action(); });
        Window1::instance();
        fw::RuntimeRun();
    });

    // Teardown: no worker may outlive the window it writes into.
    fw::KillAllThreads();
    Window1::release();
    ReleaseToolbarPictures();
    MenuBar1::release();
    Globals::gItem.clear();
    fw::RuntimeRegisterAppObject(nullptr);
    app.reset();
    return fw::RuntimeExit();
}
