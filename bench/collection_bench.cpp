// One automatic collection in the home that $HOME names, with the products of a catalogue file.
//   collection_bench CATALOGUE [--time-limit SECONDS] [--stop-after MS | --stop-in-expansion MS]
// Prints "key value" lines (bench/run_all.sh gathers them): seconds, from the click on "自動で取得" to the
// idle toolbar and the events the run left; expand_seconds, the part of it from the first group row
// expanded on; stall_ms, the event loop's longest wait meanwhile; rows and pieces, to check against
// the reference; memory from the kernel's peak. With --stop-after, "中止" is clicked MS milliseconds
// after the start (with --stop-in-expansion, after the expansion began), and stop_ms is the time from
// that click to the idle toolbar.
#include "bench/benchsupport.h"
#include "bench/programbench.h"
#include "framework/listbox.h"
#include "framework/resources.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QToolButton>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The catalogue, then options, each with its value.
    const QStringList args = QApplication::arguments();
    qint64 stopAfterMs = -1;
    bool fromExpansion = false;
    bool usage = args.size() < 2 || args.size() % 2 != 0;
    for (qsizetype i = 2; i + 1 < args.size(); i += 2) {
        bool ok = args[i] == QLatin1String("--time-limit");
        if (args[i] == QLatin1String("--stop-after") || args[i] == QLatin1String("--stop-in-expansion")) {
            stopAfterMs = args[i + 1].toLongLong(&ok);
            fromExpansion = args[i] == QLatin1String("--stop-in-expansion");
        }
        usage = usage || !ok || stopAfterMs < -1;
    }
    if (usage) {
        std::fprintf(
            stderr, "usage: HOME=FOLDER collection_bench CATALOGUE [--time-limit SECONDS] [--stop-after MS | "
                    "--stop-in-expansion MS]\n");
        return 2;
    }

    Window1 *window = bench::openWindowInHome(args[1], QStringLiteral("the collection"), argc, argv);
    QApplication::processEvents();
    auto &toolbar = window->Toolbar11();
    auto *collect = qobject_cast<QToolButton *>(toolbar.ToolItem1->action()->associatedObjects().last());

    const fw::Listbox &list = window->Listbox1();
    auto *stop = qobject_cast<QToolButton *>(toolbar.ToolItem5->action()->associatedObjects().last());

    bench::RunFigures run;
    QElapsedTimer clock;
    run.start();
    clock.start();
    collect->click();
    qint64 expandStartNs = -1;
    qint64 stopNs = -1;
    while (toolbar.ToolItem5->Enabled()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // The expansion begins with the last group row: its pieces' rows come last.
        const int last = list.ListCount() - 1;
        if (expandStartNs < 0 && last >= 0 && !list.Cell(last, Window1::KindCodeColumn).isEmpty())
            expandStartNs = clock.nsecsElapsed();
        // Before the expansion began, no moment counted from it.
        const qint64 stopFrom = !fromExpansion ? 0 : expandStartNs < 0 ? -1 : expandStartNs / 1'000'000;
        if (stopNs < 0 && stopAfterMs >= 0 && stopFrom >= 0 && clock.elapsed() >= stopFrom + stopAfterMs) {
            stopNs = clock.nsecsElapsed();
            stop->click();
        }
    }
    const qint64 endNs = clock.nsecsElapsed();
    run.finish();
    run.print();
    if (expandStartNs >= 0)
        bench::print("expand_seconds", static_cast<double>(endNs - expandStartNs) / 1e9);
    if (stopNs >= 0)
        bench::print("stop_ms", static_cast<double>(endNs - stopNs) / 1e6);
    bench::print("rows", long{window->Listbox1().ListCount()});
    bench::print("pieces", static_cast<long>(window->pFI.size()));

    Window1::release();
    ReleaseToolbarPictures();
    return 0;
}
