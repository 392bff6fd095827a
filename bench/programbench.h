#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>

class Window1;

// What the benchmarks of the program share: the event loop's longest wait, the start of a run, the
// catalogue.
namespace bench {

// The longest the event loop was kept from running: a 1 ms timer, whose longest gap beyond its own
// 1 ms is that wait. start() measures from the moment it is called, so the first gap is whatever ran
// right after it.
class StallProbe
{
public:
    StallProbe();
    void start();
    void stop();
    double largestMs() const { return static_cast<double>(m_largestNs) / 1e6; }
    double firstMs() const { return static_cast<double>(m_firstNs) / 1e6; }         // the first gap
    double largestAtMs() const { return static_cast<double>(m_largestAtNs) / 1e6; } // since start()

private:
    QTimer m_timer;
    QElapsedTimer m_sinceStart;
    QElapsedTimer m_sinceTick;
    int64_t m_largestNs = 0;
    int64_t m_firstNs = -1;
    int64_t m_largestAtNs = 0; // when the longest wait began
};

// One run's figures, from start() to finish(), which lets the events the run left run first: the wall
// and processor seconds, the event loop's waits, the resident set at the start and the kernel's peak.
class RunFigures
{
public:
    void start();
    void finish();
    void print() const; // as "key value" lines

private:
    StallProbe m_probe;
    QElapsedTimer m_clock;
    double m_cpuAtStart = 0;
    double m_seconds = 0;
    double m_cpuSeconds = 0;
    long m_rssAtStart = 0;
};

// Calls `shown` each time the widget is shown: the moment a run shows its progress.
class OnShow : public QObject
{
public:
    OnShow(QWidget *widget, std::function<void()> shown);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_shown;
};

// Reads the catalogue file (named appList.txt) as the program reads its own, from the folder the
// program is started in; exits with a message when it cannot.
void loadCatalogue(const QString &file);

// What a run in the home that $HOME names starts from: the home checked (it must hold an Applications
// folder), the job's time limit set, the catalogue read and the main window made. Exits with a message
// when the home or the catalogue will not do.
Window1 *openWindowInHome(const QString &catalogue, const QString &job, int argc, char **argv);

} // namespace bench
