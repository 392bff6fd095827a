#include "bench/programbench.h"

#include "app/app.h"
#include "bench/benchsupport.h"
#include "catalogue/catalogue.h"
#include "framework/resources.h"
#include "ui/window1.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace bench {

StallProbe::StallProbe()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        const int64_t gap = std::max<int64_t>(0, m_sinceTick.nsecsElapsed() - 1'000'000);
        if (m_firstNs < 0)
            m_firstNs = gap;
        if (gap > m_largestNs) {
            m_largestNs = gap;
            m_largestAtNs = m_sinceStart.nsecsElapsed() - m_sinceTick.nsecsElapsed();
        }
        m_sinceTick.restart();
    });
}

void StallProbe::start()
{
    m_largestNs = 0;
    m_firstNs = -1;
    m_largestAtNs = 0;
    m_sinceStart.start();
    m_sinceTick.start();
    m_timer.start(1);
}

void StallProbe::stop()
{
    m_timer.stop();
}

void RunFigures::start()
{
    resetPeak();
    m_rssAtStart = residentKiB();
    m_cpuAtStart = cpuSeconds();
    m_probe.start();
    m_clock.start();
}

void RunFigures::finish()
{
    QCoreApplication::processEvents();
    m_seconds = static_cast<double>(m_clock.nsecsElapsed()) / 1e9;
    m_cpuSeconds = cpuSeconds() - m_cpuAtStart;
    m_probe.stop();
}

void RunFigures::print() const
{
    bench::print("seconds", m_seconds);
    bench::print("cpu_seconds", m_cpuSeconds);
    bench::print("stall_ms", m_probe.largestMs());
    bench::print("stall_at_ms", m_probe.largestAtMs());
    bench::print("first_slice_ms", m_probe.firstMs());
    bench::print("rss_start_kib", m_rssAtStart);
    bench::print("rss_end_kib", residentKiB());
    bench::print("peak_kib", peakResidentKiB());
}

OnShow::OnShow(QWidget *widget, std::function<void()> shown) : m_shown(std::move(shown))
{
    widget->installEventFilter(this);
}

bool OnShow::eventFilter(QObject * /*watched*/, QEvent *event)
{
    if (event->type() == QEvent::Show)
        m_shown();
    return false;
}

void loadCatalogue(const QString &file)
{
    const QFileInfo info(file);
    if (info.fileName() != QLatin1String("appList.txt") || !info.isFile() ||
        !QDir::setCurrent(info.absolutePath())) {
        std::fprintf(stderr, "error: %s is no catalogue file named appList.txt\n", qPrintable(file));
        std::exit(2);
    }
    if (!App().LoadFile() || Globals::gItem.empty()) {
        std::fprintf(stderr, "error: the catalogue %s gave no products\n", qPrintable(file));
        std::exit(2);
    }
}

Window1 *openWindowInHome(const QString &catalogue, const QString &job, int argc, char **argv)
{
    const QString home = qEnvironmentVariable("HOME");
    startWatchdog(timeLimit(argc, argv, 600), qPrintable(job + " in " + home));
    if (!QDir(home + QStringLiteral("/Applications")).exists()) {
        std::fprintf(stderr, "error: the home %s has no Applications folder\n", qPrintable(home));
        std::exit(2);
    }
    loadCatalogue(catalogue);
    fw::SetResourcesFolder(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources"));
    return Window1::instance();
}

} // namespace bench
