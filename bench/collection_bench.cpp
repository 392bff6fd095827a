// The automatic collection on a crowded home: the products' applications (each in a folder of its
// own, every tenth with a second application beside it), preferences folders, plist files and every
// third an Application Support folder, beside 1,000 other makers' application folders and 3,000 other
// items in Preferences. The catalogue names the products and, past them, rows that find nothing.
// Reports the time of each collection, from the click on "自動で取得" to the idle toolbar, and the
// event loop's largest delay meanwhile (a 1 ms timer probe).
//   velloran_collection_bench [runs] [products] [catalogue rows]
#include "catalogue/catalogue.h"
#include "framework/listbox.h"
#include "framework/resources.h"
#include "tests/support/fixtures.h"
#include "tests/support/machome.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace testsupport;

namespace {

constexpr int kOtherApplications = 1000;
constexpr int kPreferenceItems = 3000;

// Four letters and digits that tell the catalogue's rows apart.
QString creatorOf(int number)
{
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString creator;
    for (int i = 0; i < 4; ++i, number /= 36)
        creator.prepend(QLatin1Char(digits[number % 36]));
    return creator;
}

QString productName(int number)
{
    return QStringLiteral("Product%1").arg(number, 5, 10, QLatin1Char('0'));
}

fw::Dictionary catalogueRow(int number, bool twoApplications)
{
    const QString name = productName(number);
    fw::Dictionary row;
    row.Value("appLabel", fw::String(name));
    row.Value("appCount", fw::String(twoApplications ? "2" : "1"));
    row.Value("appName1", fw::String(name));
    row.Value("appType1", fw::String(QStringLiteral("APPL") + creatorOf(number * 2)));
    if (twoApplications) {
        row.Value("appName2", fw::String(name + QStringLiteral(" Helper")));
        row.Value("appType2", fw::String(QStringLiteral("APPL") + creatorOf(number * 2 + 1)));
    }
    row.Value("prefName", fw::String(name + QStringLiteral(" Prefs")));
    row.Value("plistNam", fw::String(name));
    row.Value("apSpName", fw::String(name));
    return row;
}

bool writeHome(const MacHome &home, int products, int rows)
{
    bool ok = true;
    Globals::gItem.clear();
    for (int number = 0; number < rows && ok; ++number) {
        const bool twoApplications = number % 10 == 0;
        Globals::gItem.push_back(catalogueRow(number, twoApplications));
        if (number >= products)
            continue;
        const QString name = productName(number);
        const QString folder = home.applications() + QLatin1Char('/') + name;
        ok = !makeAppPackage(folder, name + QStringLiteral(".app"),
                             {(QStringLiteral("APPL") + creatorOf(number * 2)).toLatin1(), {}, false})
                  .isEmpty() &&
             writeFile(folder + QStringLiteral("/Read Me.txt"));
        if (twoApplications)
            ok = ok &&
                 !makeAppPackage(folder, name + QStringLiteral(" Helper.app"),
                                 {(QStringLiteral("APPL") + creatorOf(number * 2 + 1)).toLatin1(), {}, false})
                      .isEmpty();
        ok = ok && makeFolder(home.preferences() + QLatin1Char('/') + name + QStringLiteral(" Prefs"));
        ok = ok && writeFile(home.preferences() + QStringLiteral("/jp.velloran.") + name +
                             QStringLiteral(".plist"));
        if (number % 3 == 0)
            ok = ok && makeFolder(home.applicationSupport() + QLatin1Char('/') + name);
    }
    // Other makers' applications, each in a folder of its own with a few more items.
    for (int i = 0; i < kOtherApplications && ok; ++i) {
        const QString folder =
            home.applications() + QStringLiteral("/Other %1").arg(i, 4, 10, QLatin1Char('0'));
        ok = !makeAppPackage(folder, QStringLiteral("Tool %1.app").arg(i), {"APPLOthr", {}, false})
                  .isEmpty() &&
             writeFile(folder + QStringLiteral("/Read Me.txt")) &&
             writeFile(folder + QStringLiteral("/License.txt"));
    }
    for (int i = 0; i < kPreferenceItems && ok; ++i)
        ok = writeFile(home.preferences() +
                       QStringLiteral("/com.example.item%1.plist").arg(i, 4, 10, QLatin1Char('0')));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int products = argc > 2 ? std::max(0, atoi(argv[2])) : 300;
    const int rows = argc > 3 ? std::max(products, atoi(argv[3])) : products;

    MacHome home;
    if (!home.isValid() || !writeHome(home, products, rows)) {
        std::fprintf(stderr, "could not write the home folder\n");
        return 1;
    }
    fw::SetResourcesFolder(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources"));
    Window1 *window = Window1::instance();
    QApplication::processEvents();
    auto &toolbar = window->Toolbar11();
    auto *collect = qobject_cast<QToolButton *>(toolbar.ToolItem1->action()->associatedObjects().last());

    // The probe: the longest wait between two turns of the event loop beyond the timer's own 1 ms.
    QElapsedTimer sinceProbe;
    qint64 largestDelayNs = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        largestDelayNs = std::max(largestDelayNs, sinceProbe.nsecsElapsed() - 1'000'000);
        sinceProbe.restart();
    });

    std::vector<double> times;
    qint64 largestOfAllNs = 0;
    for (int run = 0; run < runs; ++run) {
        largestDelayNs = 0;
        probe.start(1);
        sinceProbe.start();
        QElapsedTimer clock;
        clock.start();
        collect->click();
        while (toolbar.ToolItem5->Enabled())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        probe.stop();
        largestOfAllNs = std::max(largestOfAllNs, largestDelayNs);
        std::printf("run %d: %.1f ms, %d rows, %d pieces, largest event-loop delay %.1f ms\n", run + 1,
                    times.back(), window->Listbox1().ListCount(), window->pFI.size(),
                    static_cast<double>(largestDelayNs) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("collection of %d products, %d catalogue rows: best %.1f ms, median %.1f ms, worst %.1f ms\n",
                products, rows, times.front(), times[times.size() / 2], times.back());
    std::printf("largest event-loop delay: %.1f ms (aim: at most 20 ms)\n",
                static_cast<double>(largestOfAllNs) / 1e6);

    Window1::release();
    ReleaseToolbarPictures();
    return 0;
}
