// Hostile inputs at their bounds. The catalogue: the largest "appList.txt" read (16 MiB) in the shapes
// that cost most, with the time of App::LoadFile and its peak memory. The preference records: the
// largest read (1 MiB) in the shapes that take longest, with the time of a collection that reads one,
// and the longest delay from Stop, pressed at each tenth of that time, to the end of the run. Wide
// folders: 300,000 entries in the Applications folder in a collection, 1,000,000 files in the folder a
// search is given, with the time of their listing and the longest delay from Stop, pressed at each
// tenth of it, to the end of the run.
//   bounds_bench [wide]   (wide: the wide folders only)
#include "app/app.h"
#include "bench/programbench.h"
#include "catalogue/catalogue.h"
#include "framework/progresswheel.h"
#include "framework/resources.h"
#include "tests/support/fixtures.h"
#include "tests/support/machome.h"
#include "tests/support/productrow.h"
#include "tests/support/records.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace testsupport;

namespace {

constexpr qint64 kCatalogueBytes = qint64{16} * 1024 * 1024;
constexpr qint64 kRecordBytes = qint64{1024} * 1024;

// The process's peak resident memory so far, in MB.
double peakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// The shapes of the largest catalogue read (16 MiB) that cost most: as many rows as may be read, rows
// whose counts promise as many lines as may be read, an absurd count, long lines.
struct CatalogueShape
{
    const char *name;
    QByteArray head;
    QByteArray body; // repeated up to the size of the largest catalogue read
};

const auto kShapes = std::to_array<CatalogueShape>({
    {"products of 9 lines",
     {},
     "Quillary\n1\nQuillary\nAPPLWqj5\n1\nQvayWqj5\nQuillary初期設定\nQuillary\nQuillary\n"},
    {"rows of 10,000 applications and document types",
     {},
     "P\n10000\n" + QByteArray("x\n").repeated(20000) + "10000\n" + QByteArray("x\n").repeated(10000) +
         "p\nq\nr\n"},
    {"a count of 2147483647, short lines", "P\n2147483647\n", "x\n"},
    {"a count of 2147483647, lines of 8 KiB", "P\n2147483647\n", QByteArray(8192, 'x') + '\n'},
});

bool writeCatalogue(const QString &path, const CatalogueShape &shape)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(shape.head) != shape.head.size())
        return false;
    QByteArray chunk;
    while (chunk.size() + shape.body.size() <= qsizetype{1024} * 1024)
        chunk += shape.body;
    qint64 size = shape.head.size();
    for (; size + chunk.size() <= kCatalogueBytes; size += chunk.size())
        file.write(chunk);
    for (; size + shape.body.size() <= kCatalogueBytes; size += shape.body.size())
        file.write(shape.body);
    return file.error() == QFileDevice::NoError;
}

// Loads one shape; run in a process of its own, so that the peak memory is the load's.
void benchCatalogue(size_t shape)
{
    QTemporaryDir root;
    const QString catalogueFile = root.filePath(QStringLiteral("Resources/appList.txt"));
    if (!makeFolder(root.filePath(QStringLiteral("Resources"))) ||
        !writeCatalogue(catalogueFile, kShapes[shape]) ||
        !writeFile(root.filePath(QStringLiteral("bin/VelloranUninstaller"))))
        return;
    fw::Application::setExecutableFile(
        fw::FolderItem::fromPath(root.filePath(QStringLiteral("bin/VelloranUninstaller"))));
    const double before = peakMemoryMb();
    QElapsedTimer clock;
    clock.start();
    App().LoadFile();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::printf("catalogue of %.1f MiB, %s: %.0f ms, peak memory +%.0f MB, %zu rows\n",
                static_cast<double>(QFileInfo(catalogueFile).size()) / (1024 * 1024), kShapes[shape].name, ms,
                peakMemoryMb() - before, Globals::gItem.size());
}

// The largest records read (1 MiB), costly to read: one of entries only, one with a long field.
struct RecordShape
{
    const char *name;
    const char *docType1;
    const char *prefsFolder;
    const char *fileName;
    QByteArray bytes;
};

QByteArray bigEndian32(qint64 value)
{
    QByteArray bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xff);
    return bytes;
}

std::vector<RecordShape> recordShapes()
{
    PrefRecord entries;
    entries.fields = QList<QByteArray>(20);
    // A plain entry of one digit takes two bytes.
    entries.entries = QList<int>(static_cast<qsizetype>(kRecordBytes - prefRecord(entries).size()) / 2, 0);
    // Field 17 (never resolved by this reader) as long as the record allows: alphabet characters that
    // the reader deciphers two by two, as a hostile file may hold them.
    PrefRecord empty;
    empty.fields = QList<QByteArray>(20);
    QByteArray longField = pref2Record(empty).chopped(12); // without the three empty long fields
    const qint64 length = kRecordBytes - longField.size() - 12;
    longField += bigEndian32(length) + QByteArray(length, 'e') + bigEndian32(0) + bigEndian32(0);
    return {{"entries only", "QvayWqj5", "Quillary初期設定", "pref", prefRecord(entries)},
            {"one long field", "Tmx1Wqj1", "Tessolin初期設定", "pref2", longField}};
}

// Runs a collection to its end, and gives its time. With `stopAfterMs`, Stop is pressed then, and the
// time from Stop to the end of the run is given; nothing when the run ended first.
std::optional<double> collect(Toolbar1 &toolbar, std::optional<int> stopAfterMs = {})
{
    QElapsedTimer clock;
    clock.start();
    bool stopped = false;
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, [&] {
        stopped = true;
        clock.restart();
        toolbar.ToolItem5->action()->trigger();
    });
    if (stopAfterMs)
        stop.start(*stopAfterMs);
    toolbar.ToolItem1->action()->trigger();
    while (!toolbar.ToolItem1->Enabled())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (stopAfterMs && !stopped)
        return std::nullopt;
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void benchStopDuringRecord(const RecordShape &shape)
{
    MacHome home;
    const QString record = home.preferences() + QLatin1Char('/') + QString::fromUtf8(shape.prefsFolder) +
                           QLatin1Char('/') + QLatin1String(shape.fileName);
    if (!home.isValid() || shape.bytes.size() > kRecordBytes || !writeFile(record, shape.bytes))
        return;
    Globals::gItem.clear();
    fw::Dictionary row;
    for (const char *key : {"prefName", "plistNam", "apSpName"})
        row.Value(key, "");
    row.Value("appLabel", "Product");
    row.Value("appCount", "0");
    row.Value("docType1", shape.docType1);
    Globals::gItem.push_back(row);

    Window1 *window = Window1::instance();
    QApplication::processEvents();
    auto &toolbar = window->Toolbar11();
    const double whole = *collect(toolbar);
    double largestDelay = 0;
    for (int tenth = 1; tenth < 10; ++tenth)
        largestDelay =
            std::max(largestDelay, collect(toolbar, static_cast<int>(whole * tenth / 10)).value_or(0));
    std::printf("record of %.2f MiB, %s: read in %.0f ms; Stop pressed at each tenth of the read: the run "
                "ended at most %.1f ms after it\n",
                static_cast<double>(shape.bytes.size()) / (1024 * 1024), shape.name, whole, largestDelay);
    Window1::release();
    ReleaseToolbarPictures();
    Globals::gItem.clear();
}

// Writes `count` empty files into the folder: links of one file per 50,000, quick to make and within
// any file system's count of links.
bool writeWideFolder(const QString &folder, int count)
{
    if (!makeFolder(folder))
        return false;
    const QByteArray path = QFile::encodeName(folder) + '/';
    for (int i = 0; i < count; ++i) {
        const QByteArray name = path + QByteArray::number(i);
        const QByteArray first = path + QByteArray::number(i - i % 50000);
        const int made = i % 50000 == 0 ? ::close(::creat(name.constData(), 0644))
                                        : ::link(first.constData(), name.constData());
        if (made != 0)
            return false;
    }
    return true;
}

// Runs what `start` begins and presses Stop `stopAfterMs` after the progress wheel shows; the time from
// Stop to the idle toolbar, or nothing when the run ended first. A folder chooser is given `folder`.
std::optional<double> stopAfter(const std::function<void()> &start, int stopAfterMs, const QString &folder)
{
    Window1 *window = Window1::instance();
    Toolbar1 &toolbar = window->Toolbar11();
    QElapsedTimer clock;
    bool stopped = false;
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, [&] {
        stopped = true;
        clock.start();
        toolbar.ToolItem5->action()->trigger();
    });
    const bench::OnShow shown(window->ProgressWheel1().widget(), [&] { stop.start(stopAfterMs); });
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            answer.stop();
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(folder);
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        }
    });
    answer.start(5);
    start();
    while (!toolbar.ToolItem1->Enabled())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!stopped)
        return std::nullopt;
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Stop pressed at each tenth of the wide folder's listing (timed apart, on the event loop's thread).
void benchStopWhileListing(const char *job, const QString &wide, const std::function<void()> &start,
                           const QString &chosen = {})
{
    QElapsedTimer clock;
    clock.start();
    const int count = fw::FolderItem::fromPath(wide).Count();
    const double listingMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::vector<double> delays;
    for (int tenth = 0; tenth < 10; ++tenth) {
        if (const std::optional<double> delay =
                stopAfter(start, static_cast<int>(listingMs * tenth / 10), chosen))
            delays.push_back(*delay);
    }
    std::sort(delays.begin(), delays.end());
    std::printf("%s, %d entries listed in %.0f ms; Stop pressed at each tenth of the listing: the run ended "
                "%.1f ms after it at most, %.1f ms in the median (%zu of 10 stopped)\n",
                job, count, listingMs, delays.empty() ? -1.0 : delays.back(),
                delays.empty() ? -1.0 : delays[delays.size() / 2], delays.size());
}

void benchStopInWideFolders()
{
    MacHome home;
    const QString search = home.path() + QStringLiteral("/Search");
    if (!home.isValid() || !writeWideFolder(home.applications(), 300000) ||
        !writeWideFolder(search, 1000000)) {
        std::fprintf(stderr, "error: the wide folders could not be written in %s\n", qPrintable(home.path()));
        return;
    }
    Globals::gItem = {productRow("Tessolin", {{"Tessolin", "APPLWqj1"}}, "", "", "", {".alp"})};
    Toolbar1 &toolbar = Window1::instance()->Toolbar11();
    QApplication::processEvents();
    // The search first: after a collection, a search would ask before it empties the list.
    benchStopWhileListing(
        "search", search, [&] { toolbar.ToolItem6->action()->trigger(); }, search);
    benchStopWhileListing("collection, Applications folder", home.applications(),
                          [&] { toolbar.ToolItem1->action()->trigger(); });
    Window1::release();
    ReleaseToolbarPictures();
    Globals::gItem.clear();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc > 1 && QByteArrayView(argv[1]) == "wide") {
        fw::SetResourcesFolder(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources"));
        benchStopInWideFolders();
        return 0;
    }
    if (argc > 2 && QByteArrayView(argv[1]) == "catalogue") {
        benchCatalogue(static_cast<size_t>(atoi(argv[2])));
        return 0;
    }
    for (size_t shape = 0; shape < kShapes.size(); ++shape) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("catalogue"), QString::number(shape)});
        child.waitForFinished(-1);
    }
    fw::SetResourcesFolder(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources"));
    for (const RecordShape &shape : recordShapes())
        benchStopDuringRecord(shape);
    benchStopInWideFolders();
    return 0;
}
