// The folder search over a large tree, as the user runs it: the toolbar starts it, the folder is
// chosen in the real dialog, the walk runs as a thread beside the event loop.
//   search_bench --make-tree FOLDER [ENTRIES]   writes the tree (about ENTRIES entries, 200000 by default)
//   search_bench --search FOLDER                 searches it and prints the figures
#include "catalogue/catalogue.h"
#include "framework/listbox.h"
#include "tests/support/fixtures.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iostream>

#include <unistd.h>

namespace {

using testsupport::finderInfo;

// A catalogue of the size the maker ships: six products, a few applications and document types.
void loadCatalogue()
{
    struct Product
    {
        const char *label;
        std::vector<std::pair<const char *, const char *>> applications;
        std::vector<const char *> documentTypes;
    };
    const std::vector<Product> products = {
        {"Tessolin II",
         {{"Tessolin", "APPLWqj1"}, {"Parvella", "APPLWqj2"}},
         {"Tmx3Wqj1", "Vhe3Wqj1", ".tsl"}},
        {"Ombrisk", {{"Ombrisk", "APPLWqj4"}}, {"ZorpWqj4"}},
        {"Quillary", {{"Quillary", "APPL----"}}, {"QvayWqj5"}},
        {"Dromaxe mini", {{"Dromaxe", "APPLWqjk"}}, {}},
        {"Lunvick", {{"Lunvick", "APPLWqjm"}}, {}},
        {"Sorbeline nano", {{"sorbeline", "APPLWqjr"}}, {}},
    };
    for (const Product &product : products) {
        fw::Dictionary row;
        row.Value("appLabel", product.label);
        row.Value("appCount", fw::Str(int64_t(product.applications.size())));
        int64_t n = 0;
        for (const auto &[name, type] : product.applications) {
            ++n;
            row.Value(fw::String("appName") + fw::Str(n), name);
            row.Value(fw::String("appType") + fw::Str(n), type);
        }
        row.Value("docCount", fw::Str(int64_t(product.documentTypes.size())));
        n = 0;
        for (const char *type : product.documentTypes)
            row.Value(fw::String("docType") + fw::Str(++n), type);
        Globals::gItem.push_back(row);
    }
}

// Folders of files, a quarter of them with an AppleDouble sidecar, an application package in each
// folder, and now and then one of the maker's applications or documents. Every entry counts,
// sidecars and the packages' insides included, as `find` would list them.
int makeTree(const QString &root, long wanted)
{
    long entries = 0;
    long matches = 0;
    auto file = [&](const QString &path, const QByteArray &typeCreator = {}) {
        if (!testsupport::writeFile(path, "x"))
            return false;
        ++entries;
        if (!typeCreator.isEmpty()) {
            if (!testsupport::writeSidecar(path, finderInfo(typeCreator.left(4), typeCreator.mid(4))))
                return false;
            ++entries;
        }
        return true;
    };
    for (int top = 0; entries < wanted; ++top) {
        const QString topFolder = root + QStringLiteral("/Folder %1").arg(top);
        ++entries;
        for (int sub = 0; sub < 40 && entries < wanted; ++sub) {
            const QString folder = topFolder + QStringLiteral("/sub%1").arg(sub);
            ++entries;
            const bool maker = (top * 40 + sub) % 97 == 0;
            testsupport::AppPackageOptions options;
            options.pkgInfo = maker ? "APPLWqj1" : "APPLzzzz";
            options.maker = maker ? QStringLiteral("Velloran Software") : QStringLiteral("Someone");
            if (testsupport::makeAppPackage(folder, maker ? "Tessolin.app" : "Tool.app", options).isEmpty())
                return 1;
            entries += 6; // the package, Contents, PkgInfo, Info.plist, MacOS and its executable
            for (int i = 0; i < 80; ++i) {
                const QString name = folder + QStringLiteral("/file%1.txt").arg(i);
                const bool document = maker && i == 0;
                if (!file(name, document ? "Tmx3Wqj1" : (i % 4 == 0 ? "TEXTttxt" : QByteArray())))
                    return 1;
                matches += document ? 1 : 0;
            }
            if (maker) {
                if (!file(folder + QStringLiteral("/drawing.tsl")))
                    return 1;
                matches += 2; // the package and the drawing
            }
        }
    }
    std::cout << "entries " << entries << "\nmatches " << matches << std::endl;
    return 0;
}

// The processor time of the process: on a loaded machine a steadier measure than the clock on the wall.
double cpuSeconds()
{
    timespec now = {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The resident memory, from /proc/self/statm: cheap enough to read while the walk runs, unlike
// /proc/self/status, whose reading would add to the time measured.
long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() < 2 ? -1 : fields[1].toLong() * (::sysconf(_SC_PAGESIZE) / 1024);
}

int search(const QString &root)
{
    loadCatalogue();
    Window1 *window = Window1::instance();
    Toolbar1 &toolbar = window->Toolbar11();
    QApplication::processEvents();

    QElapsedTimer clock;
    bool started = false;
    qint64 lastTick = 0;
    qint64 largestDelay = 0;
    qint64 closingDelay = 0;
    double cpuAtStart = 0;
    long rssAtStart = 0;
    long rssLargest = 0;
    long ticks = 0;
    // A 1 ms timer: the longest gap between its firings is the longest the event loop was kept
    // waiting by the walk.
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (QWidget *modal = QApplication::activeModalWidget(); modal != nullptr && !started) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (dialog == nullptr)
                return;
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(root);
            QMetaObject::invokeMethod(dialog, "accept");
            started = true;
            clock.start();
            cpuAtStart = cpuSeconds();
            lastTick = 0;
            rssAtStart = residentKiB();
            return;
        }
        if (!started)
            return;
        const qint64 now = clock.nsecsElapsed();
        if (lastTick == 0)
            closingDelay = now; // the chooser closing, before the walk's first step
        else
            largestDelay = std::max(largestDelay, now - lastTick);
        lastTick = now;
        // Every 16th tick is often enough to see whether memory grows.
        if (++ticks % 16 == 0)
            rssLargest = std::max(rssLargest, residentKiB());
    });
    probe.start(1);

    toolbar.ToolItem6->action()->trigger();
    while (!(started && toolbar.ToolItem6->Enabled()))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 elapsed = clock.nsecsElapsed();
    const double cpu = cpuSeconds() - cpuAtStart;
    probe.stop();

    std::printf("search_seconds %.3f\n", double(elapsed) / 1e9);
    std::printf("search_cpu_seconds %.3f\n", cpu);
    // Every cell of every row, in order: what a faster walk must leave unchanged.
    const fw::Listbox &list = window->Listbox1();
    QCryptographicHash digest(QCryptographicHash::Sha1);
    for (int row = 0; row < list.ListCount(); ++row) {
        for (int column = 0; column < Window1::ColumnCount; ++column) {
            digest.addData(list.Cell(row, column).bytes());
            digest.addData("\t");
        }
        digest.addData("\n");
    }
    std::printf("rows %d\n", list.ListCount());
    std::printf("rows_digest %s\n", digest.result().toHex().constData());
    std::printf("largest_event_loop_delay_ms %.1f\n", double(largestDelay) / 1e6);
    std::printf("chooser_closing_delay_ms %.1f\n", double(closingDelay) / 1e6);
    std::printf("rss_kib_at_start %ld\nrss_kib_largest %ld\n", rssAtStart, rssLargest);
    Window1::release();
    ReleaseToolbarPictures();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() >= 3 && args[1] == "--make-tree")
        return makeTree(QDir(args[2]).absolutePath(), args.size() > 3 ? args[3].toLong() : 200000);
    if (args.size() == 3 && args[1] == "--search")
        return search(QDir(args[2]).absolutePath());
    std::cerr << "usage: search_bench --make-tree FOLDER [ENTRIES] | --search FOLDER\n";
    return 2;
}
