// One folder search as the user runs it: the toolbar starts it, the folder is chosen in the real
// chooser, the walk runs as a cooperative thread beside the event loop. Then the rows are cleared.
//   search_bench FOLDER CATALOGUE [--time-limit SECONDS]
// CATALOGUE is a catalogue file (appList.txt). Prints "key value" lines (bench/run_all.sh gathers them):
// seconds, from the chooser's end to the idle toolbar and the events the run left; chooser_ms, the
// chooser's closing, apart; stall_ms, the event loop's longest wait in the run, first_slice_ms the
// first of them (the walk's start); memory from the kernel's peak; clear_ms and clear_stall_ms, the
// clearing of the rows.
#include "bench/benchsupport.h"
#include "bench/programbench.h"
#include "framework/listbox.h"
#include "framework/progresswheel.h"
#include "framework/resources.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void chooserFailed(const QString &folder, const QString &why)
{
    std::fprintf(stderr, "error: the folder chooser did not take %s: %s\n", qPrintable(folder),
                 qPrintable(why));
    std::exit(2);
}

// Every cell of every row, in order: what a faster search must leave unchanged.
QByteArray rowsDigest(const fw::Listbox &list)
{
    QCryptographicHash digest(QCryptographicHash::Sha1);
    for (int row = 0; row < list.ListCount(); ++row) {
        for (int column = 0; column < 6; ++column) {
            digest.addData(list.Cell(row, column).bytes());
            digest.addData("\t");
        }
        digest.addData("\n");
    }
    return digest.result().toHex();
}

int search(const QString &folder)
{
    fw::SetResourcesFolder(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources"));
    Window1 *window = Window1::instance();
    Toolbar1 &toolbar = window->Toolbar11();
    fw::Listbox &list = window->Listbox1();
    QApplication::processEvents();

    bench::RunFigures run;
    QElapsedTimer sinceAccept;
    bool walking = false;
    double chooserMs = 0;
    QTimer answer;
    // The chooser is answered from the event loop. The walk begins when the progress wheel shows, after
    // the chooser has gone; so does the measuring. A chooser that stays, or any other window, is an error.
    bench::OnShow walkStart(window->ProgressWheel1().widget(), [&] {
        answer.stop();
        chooserMs = double(sinceAccept.nsecsElapsed()) / 1e6;
        walking = true;
        run.start();
    });
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (sinceAccept.isValid()) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                chooserFailed(folder, box->text());
            if (sinceAccept.elapsed() > 5000)
                chooserFailed(folder, QStringLiteral("it stayed open"));
            return;
        }
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (modal != nullptr && dialog == nullptr)
            chooserFailed(folder, QStringLiteral("another window came first: ") + modal->windowTitle());
        if (dialog == nullptr)
            return;
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(folder);
        sinceAccept.start();
        // Queued: a message box that the chooser opens instead must find this timer free to see it.
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    answer.start(5);

    toolbar.ToolItem6->action()->trigger();
    while (!(sinceAccept.isValid() && toolbar.ToolItem6->Enabled()))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!walking)
        chooserFailed(folder, QStringLiteral("it gave no folder"));
    run.finish();
    run.print();
    bench::print("chooser_ms", chooserMs);
    bench::print("rows", long{list.ListCount()});
    bench::print("rows_digest", rowsDigest(list).constData());

    // Clearing the rows, as "リストをクリア" does once its question is answered.
    bench::StallProbe probe;
    probe.start();
    QElapsedTimer clock;
    clock.start();
    list.DeleteAllRows();
    QApplication::processEvents();
    bench::print("clear_ms", double(clock.nsecsElapsed()) / 1e6);
    while (clock.elapsed() < 100)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    probe.stop();
    bench::print("clear_stall_ms", probe.largestMs());
    bench::print("rss_cleared_kib", bench::residentKiB());

    Window1::release();
    ReleaseToolbarPictures();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3 && !(args.size() == 5 && args[3] == QLatin1String("--time-limit"))) {
        std::fprintf(stderr, "usage: search_bench FOLDER CATALOGUE [--time-limit SECONDS]\n");
        return 2;
    }
    const QString folder = QFileInfo(args[1]).absoluteFilePath();
    bench::startWatchdog(bench::timeLimit(argc, argv, 600), qPrintable("the search of " + folder));
    if (!QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "error: %s is no folder that the chooser could take\n", qPrintable(folder));
        return 2;
    }
    bench::loadCatalogue(args[2]);
    return search(folder);
}
