// The main window's list at scale: a thread adds search rows as the folder search writes them (row
// icon, date, label, kind code, path; a yield after each), then the list is cleared as Clear List does.
// Reports, per run: the time until the view shows every row, the list's memory per row (bytes in use
// by malloc, and resident pages), the largest event-loop delay while listing, and for the clearing
// the time of the call, the largest event-loop delay until the memory is back, and what came back.
//   list_bench [rows] [runs]      (100000 rows, 3 runs by default)
#include "framework/folderitem.h"
#include "framework/listbox.h"
#include "framework/resources.h"
#include "framework/thread.h"
#include "ui/kindcodes.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"
#include "util/globals.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <malloc.h>
#include <unistd.h>

namespace {

constexpr int kDistinctItems = 2000;
constexpr qint64 kTimeLimitMs = 600'000;

// Bytes that malloc has handed out and not taken back.
long long inUse()
{
    return static_cast<long long>(mallinfo2().uordblks);
}

long long resident()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// The items the rows show: documents with and without extensions and application packages.
std::vector<fw::FolderItem> makeItems(const QString &root)
{
    const std::array<const char *, 5> names = {"Letter %1.tsl", "Memo %1", "Notes %1.txt",
                                               "Settings %1.plist", "Tool %1.app"};
    std::vector<fw::FolderItem> items;
    for (int i = 0; i < kDistinctItems; ++i) {
        const QString path = root + QLatin1Char('/') + QString::fromLatin1(names[i % 5]).arg(i);
        const bool ok = path.endsWith(QLatin1String(".app")) ? QDir().mkpath(path) : [&] {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
        }();
        if (!ok)
            return {};
        items.push_back(fw::FolderItem::fromPath(path));
    }
    return items;
}

class Lister : public fw::Thread
{
public:
    Lister(Window1 *window, const std::vector<fw::FolderItem> &items, int rows)
        : m_window(window), m_items(items), m_rows(rows)
    {
    }
    bool done = false;

protected:
    void Event_Run() override
    {
        fw::Listbox &list = m_window->Listbox1();
        for (int i = 0; i < m_rows; ++i) {
            const fw::FolderItem &item = m_items[static_cast<size_t>(i) % m_items.size()];
            list.AddRow(item.Name());
            const int row = list.LastIndex();
            const fw::FolderItem::Status status = item.ReadStatus();
            list.setRowPicture(row, m_window->MakeListFolIcon(item, status));
            list.setCell(row, Window1::DateColumn, Globals::gDateTime(status.modified));
            list.setCell(row, Window1::KindCaptionColumn, fw::String("Tessolin II") + fw::String("（書類）"));
            list.setCell(row, Window1::KindCodeColumn, KindCode::SearchResult);
            list.setCell(row, Window1::ReferenceColumn, item.AbsolutePath());
            fw::Yield();
        }
        // The run's end, as the folder search's: the window goes back to its idle state.
        m_window->showIdle(Window1::MoveToTrash::Off);
        done = true;
    }

private:
    Window1 *m_window;
    const std::vector<fw::FolderItem> &m_items;
    int m_rows;
};

// The longest wait between two turns of the event loop beyond a 1 ms timer's own interval.
class Probe
{
public:
    Probe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_largestNs = std::max(m_largestNs, m_since.nsecsElapsed() - 1'000'000);
            m_since.restart();
        });
    }
    void start()
    {
        m_largestNs = 0;
        m_since.start();
        m_timer.start(1);
    }
    double stopMs()
    {
        m_timer.stop();
        return static_cast<double>(std::max<qint64>(m_largestNs, m_since.nsecsElapsed() - 1'000'000)) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_largestNs = 0;
};

struct Figures
{
    double listMs, listDelayMs, bytesPerRow, residentPerRow, clearCallMs, clearDelayMs, keptPerRow,
        residentKeptPerRow;
};

void print(const char *what, std::vector<double> values, const char *unit)
{
    std::sort(values.begin(), values.end());
    std::printf("%-40s median %9.1f %s  (min %.1f, max %.1f)\n", what, values[values.size() / 2], unit,
                values.front(), values.back());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;

    QTemporaryDir folder;
    const std::vector<fw::FolderItem> items =
        folder.isValid() ? makeItems(folder.path()) : std::vector<fw::FolderItem>{};
    if (items.empty()) {
        std::fprintf(stderr, "list_bench: could not write the items in a temporary folder\n");
        return 1;
    }
    fw::SetResourcesFolder(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources"));
    Window1 *window = Window1::instance();
    window->resize(900, 600);
    QApplication::processEvents();
    fw::Listbox &list = window->Listbox1();
    QAbstractItemModel *model = list.view()->model();
    const auto limitReached = [](const QElapsedTimer &clock) {
        if (clock.elapsed() < kTimeLimitMs)
            return false;
        std::fprintf(stderr, "list_bench: over the time limit of %lld s\n", kTimeLimitMs / 1000);
        return true;
    };

    Probe probe;
    std::vector<Figures> figures;
    for (int run = 0; run < runs; ++run) {
        Figures f{};
        const long long memoryBefore = inUse();
        const long long residentBefore = resident();

        probe.start();
        QElapsedTimer clock;
        clock.start();
        auto lister = std::make_shared<Lister>(window, items, rows);
        lister->Run();
        while (!lister->done || model->rowCount() != list.ListCount()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (limitReached(clock))
                return 1;
        }
        QApplication::processEvents(); // the layout and paint of the last rows
        f.listMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        f.listDelayMs = probe.stopMs();
        f.bytesPerRow = static_cast<double>(inUse() - memoryBefore) / rows;
        f.residentPerRow = static_cast<double>(resident() - residentBefore) / rows;

        probe.start();
        clock.restart();
        list.DeleteAllRows();
        f.clearCallMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        // Whatever the list frees later, it frees within half a second.
        while (clock.elapsed() < 500)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        f.clearDelayMs = std::max(f.clearCallMs, probe.stopMs());
        f.keptPerRow = static_cast<double>(inUse() - memoryBefore) / rows;
        f.residentKeptPerRow = static_cast<double>(resident() - residentBefore) / rows;
        std::printf(
            "run %d: listed %d rows in %.0f ms (largest delay %.1f ms), %.0f B/row in use, %.0f B/row "
            "resident; cleared: call %.1f ms, largest delay %.1f ms, %.0f B/row still in use, %.0f "
            "B/row still resident\n",
            run + 1, rows, f.listMs, f.listDelayMs, f.bytesPerRow, f.residentPerRow, f.clearCallMs,
            f.clearDelayMs, f.keptPerRow, f.residentKeptPerRow);
        figures.push_back(f);
    }
    const auto column = [&](double Figures::*field) {
        std::vector<double> values;
        values.reserve(figures.size());
        for (const Figures &f : figures)
            values.push_back(f.*field);
        return values;
    };
    std::printf("%d rows, %d runs\n", rows, runs);
    print("listing, until the view shows every row", column(&Figures::listMs), "ms");
    print("largest event-loop delay while listing", column(&Figures::listDelayMs), "ms");
    print("memory in use per row", column(&Figures::bytesPerRow), "B");
    print("resident memory per row", column(&Figures::residentPerRow), "B");
    print("clearing: the call itself", column(&Figures::clearCallMs), "ms");
    print("clearing: largest event-loop delay", column(&Figures::clearDelayMs), "ms");
    print("after clearing: still in use per row", column(&Figures::keptPerRow), "B");
    print("after clearing: still resident per row", column(&Figures::residentKeptPerRow), "B");

    Window1::release();
    ReleaseToolbarPictures();
    return 0;
}
