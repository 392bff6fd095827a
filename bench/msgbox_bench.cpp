// The end-of-run message of a run that could move none of many pieces, shown as the move shows it.
//   msgbox_bench [LINES] [--time-limit SECONDS]        (4000 lines by default)
// Prints "key value" lines (bench/run_all.sh gathers them): stall_ms, the event loop's longest wait
// from the call until the box has been shown and drawn; box_height and screen_height, in pixels;
// fits, 1 when the whole box lies within the screen's available area.
#include "bench/benchsupport.h"
#include "bench/programbench.h"
#include "framework/application.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace {

// Notes the first dialog that is shown, and closes it a while after it was first drawn, so that
// the waits of its first turns are measured too.
class BoxWatcher : public QObject
{
public:
    QPointer<QDialog> box;
    QRect geometry;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (dialog == nullptr || (box != nullptr && box != dialog))
            return false;
        if (event->type() == QEvent::Show)
            box = dialog;
        if (event->type() == QEvent::Paint && box == dialog && geometry.isNull()) {
            geometry = dialog->frameGeometry();
            QTimer::singleShot(100, dialog, &QDialog::accept);
        }
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    bench::startWatchdog(bench::timeLimit(argc, argv, 120), "the message");
    const int lines = argc > 1 && argv[1][0] != '-' ? std::max(1, std::atoi(argv[1])) : 4000;

    // As the move words the pieces that were gone before it reached them.
    QString text = QStringLiteral("次の項目は元の場所に見つかりませんでした。");
    for (int i = 0; i < lines; ++i)
        text += QStringLiteral("\n/home/user/Applications/Tessolin II %1/Tessolin II %1.app").arg(i);

    QWidget window;
    window.resize(900, 600);
    window.show();
    window.activateWindow();
    QApplication::processEvents();

    BoxWatcher watcher;
    application.installEventFilter(&watcher);
    bench::StallProbe probe;
    QTimer::singleShot(0, [&] {
        probe.start();
        fw::MsgBox(fw::String(text));
        probe.stop();
        QApplication::quit();
    });
    QApplication::exec();

    const QRect screen = window.screen()->availableGeometry();
    bench::print("lines", static_cast<long>(lines));
    bench::print("stall_ms", probe.largestMs());
    bench::print("box_height", static_cast<long>(watcher.geometry.height()));
    bench::print("screen_height", static_cast<long>(screen.height()));
    bench::print("fits", static_cast<long>(screen.contains(watcher.geometry)));
    return 0;
}
