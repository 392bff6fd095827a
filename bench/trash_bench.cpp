// One automatic collection in the home that $HOME names, then Move to Trash of every piece it found,
// confirmed as the user does.
//   trash_bench CATALOGUE [--list] [--time-limit SECONDS]
// Prints "key value" lines (bench/run_all.sh gathers them): seconds, from the progress wheel's showing
// after the confirmation to the idle toolbar and the events the run left; stall_ms, the event loop's
// longest wait meanwhile; pieces, the registry's; trashed, the entries the home Trash gained;
// messages, the windows the run showed besides its confirmation. With --list it prints instead the
// pieces' paths, one a line, and moves nothing: what the reference hands `gio trash`.
#include "bench/benchsupport.h"
#include "bench/programbench.h"
#include "framework/progresswheel.h"
#include "framework/resources.h"
#include "tests/support/modal.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace {

long trashEntries(const QString &home)
{
    return static_cast<long>(QDir(home + QStringLiteral("/.local/share/Trash/info")).count());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QStringList args = QApplication::arguments();
    const bool list = args.removeAll(QStringLiteral("--list")) > 0;
    if (args.size() != 2 && !(args.size() == 4 && args[2] == QLatin1String("--time-limit"))) {
        std::fprintf(stderr, "usage: HOME=FOLDER trash_bench CATALOGUE [--list] [--time-limit SECONDS]\n");
        return 2;
    }
    Window1 *window = bench::openWindowInHome(args[1], QStringLiteral("the move"), argc, argv);
    auto &toolbar = window->Toolbar11();
    const auto waitUntilIdle = [&] {
        while (toolbar.ToolItem5->Enabled())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    // Every window is answered with its first button: the confirmation goes ahead.
    const testsupport::ModalAnswers answers;
    QApplication::processEvents();
    toolbar.ToolItem1->action()->trigger();
    waitUntilIdle();
    const qsizetype collecting = answers.seen().size();
    if (list) {
        for (int32_t i = 0; i < window->pFI.size(); ++i)
            std::printf("%s\n", window->pFI[i].Value("item").FolderItemValue().nativePath().constData());
        Window1::release();
        ReleaseToolbarPictures();
        return 0;
    }

    const QString home = qEnvironmentVariable("HOME");
    const long before = trashEntries(home);
    bench::RunFigures run;
    bench::OnShow moveStart(window->ProgressWheel1().widget(), [&] { run.start(); });
    toolbar.ToolItem4->action()->trigger();
    waitUntilIdle();
    run.finish();
    run.print();
    bench::print("pieces", static_cast<long>(window->pFI.size()));
    bench::print("trashed", trashEntries(home) - before);
    bench::print("messages", static_cast<long>(answers.seen().size() - collecting - 1));

    Window1::release();
    ReleaseToolbarPictures();
    return 0;
}
