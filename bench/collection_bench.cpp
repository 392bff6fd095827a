// One automatic collection in the home that $HOME names, with the products of a catalogue file.
//   collection_bench CATALOGUE [--time-limit SECONDS]
// Prints "key value" lines (bench/run_all.sh gathers them): seconds, from the click on "自動で取得" to the
// idle toolbar and the events the run left; stall_ms, the event loop's longest wait meanwhile; rows and
// pieces, to check against the reference; memory from the kernel's peak.
#include "bench/benchsupport.h"
#include "bench/programbench.h"
#include "framework/listbox.h"
#include "framework/resources.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QToolButton>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2 && !(args.size() == 4 && args[2] == QLatin1String("--time-limit"))) {
        std::fprintf(stderr, "usage: HOME=FOLDER collection_bench CATALOGUE [--time-limit SECONDS]\n");
        return 2;
    }
    const QString home = qEnvironmentVariable("HOME");
    bench::startWatchdog(bench::timeLimit(argc, argv, 600), qPrintable("the collection in " + home));
    if (!QDir(home + QStringLiteral("/Applications")).exists()) {
        std::fprintf(stderr, "error: the home %s has no Applications folder\n", qPrintable(home));
        return 2;
    }
    bench::loadCatalogue(args[1]);
    fw::SetResourcesFolder(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources"));
    Window1 *window = Window1::instance();
    QApplication::processEvents();
    auto &toolbar = window->Toolbar11();
    auto *collect = qobject_cast<QToolButton *>(toolbar.ToolItem1->action()->associatedObjects().last());

    bench::RunFigures run;
    run.start();
    collect->click();
    while (toolbar.ToolItem5->Enabled())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    run.finish();
    run.print();
    bench::print("rows", long{window->Listbox1().ListCount()});
    bench::print("pieces", static_cast<long>(window->pFI.size()));

    Window1::release();
    ReleaseToolbarPictures();
    return 0;
}
