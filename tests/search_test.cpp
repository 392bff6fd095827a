#include "catalogue/catalogue.h"
#include "framework/listbox.h"
#include "framework/resources.h"
#include "framework/scripts.h"
#include "framework/statictext.h"
#include "tests/support/fixtures.h"
#include "tests/support/isolation.h"
#include "tests/support/machome.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "tests/support/productrow.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMouseEvent>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::cancelChooser;
using testsupport::choose;
using testsupport::finderInfo;
using testsupport::kChooser;
using testsupport::makeAppPackage;
using testsupport::makeFolder;
using testsupport::ModalAnswers;
using testsupport::press;
using testsupport::productRow;
using testsupport::writeFile;
using testsupport::writeSidecar;

namespace {

const QString kQuestion = QStringLiteral("本処理を実行すると、自動取得リストはクリアされます。続けますか？");
const QString kCancel = QStringLiteral("キャンセル");
const QString kGoOn = QStringLiteral("OK");

void pause(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A left click as the mouse makes it: press and release at the point.
void mouseClick(QWidget *widget, QPoint at)
{
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, {}, {});
    QApplication::sendEvent(widget, &release);
}

struct Row
{
    QString name;
    QString caption;
    QString path;
    friend bool operator==(const Row &, const Row &) = default;
    friend std::ostream &operator<<(std::ostream &out, const Row &row)
    {
        return out << row.name.toStdString() << " | " << row.caption.toStdString() << " | "
                   << row.path.toStdString();
    }
};

class SearchTest : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        MainWindowTest::SetUp();
        Globals::gItem = {productRow("Alpha", {{"Alpha", "APPLAaaa"}}, "", "", "", {"DocAAaaa", ".alp"}),
                          productRow("Beta", {{"Beta", "APPL----"}}, "", "", "", {"DocAAaaa", "APPLAaaa"})};
        root = home.path() + QStringLiteral("/Search");
        ASSERT_TRUE(makeFolder(root));
    }

    // A file of the given type and creator, as the Finder leaves it on a foreign volume.
    QString typedFile(const QString &path, const QByteArray &typeCreator)
    {
        EXPECT_TRUE(writeFile(path, "data"));
        EXPECT_TRUE(writeSidecar(path, finderInfo(typeCreator.left(4), typeCreator.mid(4))));
        return path;
    }
    QString package(const QString &folder, const QString &name, const QByteArray &pkgInfo)
    {
        testsupport::AppPackageOptions options;
        options.pkgInfo = pkgInfo;
        QString path = makeAppPackage(folder, name, options);
        EXPECT_FALSE(path.isEmpty());
        return path;
    }

    // Starts a search from the toolbar and answers its dialogs; true when it ended as it should.
    bool search(std::deque<ModalAnswers::Answer> answers)
    {
        ModalAnswers modal(std::move(answers));
        click(toolbar().ToolItem6);
        waitUntilIdle();
        lastSeen = modal.seen();
        return !running() && modal.allAnswered() && modal.unexpected().isEmpty();
    }
    bool searchIn(const QString &folder) { return search({choose(folder)}); }

    std::vector<Row> rows() const
    {
        std::vector<Row> result;
        for (int row = 0; row < list().ListCount(); ++row) {
            EXPECT_EQ(list().Cell(row, 4).toQString(), "DFS");
            result.push_back({list().Cell(row, 0).toQString(), list().Cell(row, 2).toQString(),
                              list().Cell(row, 5).toQString()});
        }
        return result;
    }
    Row row(const QString &path, const QString &caption) const
    {
        return {path.mid(path.lastIndexOf('/') + 1), caption, path};
    }

    // The window as an automatic collection leaves it: a group row and a registered piece.
    void pretendCollection()
    {
        list().AddFolder("Alpha");
        list().setCell(0, 5, "0:");
        window->AddFIlist(fw::FolderItem::fromPath(home.preferences()), "P");
        window->pCountGet = 1;
        window->pCountFind = 0;
    }

    testsupport::MacHome home;
    QString root;
    QStringList lastSeen;
};

TEST_F(SearchTest, firstSearch_asksNothing_andListsEveryFindBelowTheFolder)
{
    const QString app = package(root, "Alpha.app", "APPLAaaa");
    const QString doc = typedFile(root + "/Deep/er/letter", "DocAAaaa");
    const QString byExtension = root + "/Deep/notes.alp";
    ASSERT_TRUE(writeFile(byExtension));
    typedFile(root + "/other", "TEXTttxt");
    ASSERT_TRUE(writeFile(root + "/plain.txt"));

    ASSERT_TRUE(searchIn(root));
    EXPECT_EQ(lastSeen, QStringList{kChooser});
    EXPECT_EQ(rows(), (std::vector<Row>{row(app, "Alpha（アプリ）"), row(app, "Beta（書類）"),
                                        row(doc, "Alpha（書類）"), row(byExtension, "Alpha（書類）")}));
    EXPECT_EQ(window->pCountFind, 1);
    EXPECT_EQ(window->pCountGet, 0);
    EXPECT_TRUE(window->pFI.empty());
    for (int r = 0; r < list().ListCount(); ++r) {
        EXPECT_EQ(list().CellType(r, 0), fw::Listbox::TypeDefault);
        EXPECT_FALSE(list().Cell(r, 1).isEmpty());
    }
    EXPECT_FALSE(toolbar().ToolItem4->Enabled());
    EXPECT_FALSE(window->StaticText1().Visible());
}

TEST_F(SearchTest, afterACollection_theSearchAsks_andCancelKeepsEverything)
{
    typedFile(root + "/letter", "DocAAaaa");
    pretendCollection();

    ASSERT_TRUE(search({press(kCancel)}));
    EXPECT_EQ(lastSeen, QStringList{kQuestion});
    EXPECT_EQ(list().ListCount(), 1);
    EXPECT_EQ(list().Cell(0, 0).toQString(), "Alpha");
    EXPECT_EQ(window->pFI.size(), 1U);
    EXPECT_EQ(window->pCountGet, 1);
    EXPECT_EQ(window->pCountFind, 0);

    ASSERT_TRUE(search({press(kGoOn), choose(root)}));
    EXPECT_EQ(rows(), (std::vector<Row>{row(root + "/letter", "Alpha（書類）")}));
    EXPECT_TRUE(window->pFI.empty());
    EXPECT_EQ(window->pCountGet, 1);
    EXPECT_EQ(window->pCountFind, 1);
}

TEST_F(SearchTest, asksForTheFolderFromDocuments_andSaysWhileItWalksThatItMayTakeMinutes)
{
    typedFile(root + "/letter", "DocAAaaa");
    QString prompt;
    QString start;
    QString statusWhileWalking;
    const ModalAnswers modal({[&](QWidget *modal) {
        auto *chooser = qobject_cast<QFileDialog *>(modal);
        if (chooser == nullptr)
            return false;
        prompt = chooser->windowTitle();
        start = chooser->directory().absolutePath();
        return choose(root)(chooser);
    }});
    click(toolbar().ToolItem6);
    ASSERT_TRUE(testsupport::waitUntil([&] {
        if (status().Visible())
            statusWhileWalking = status().Text().toQString();
        return !running();
    }));
    EXPECT_EQ(prompt, QStringLiteral("検索を開始するフォルダを指定して下さい。"));
    EXPECT_EQ(start, home.documents());
    EXPECT_EQ(statusWhileWalking,
              QStringLiteral("取得中...（検索範囲によっては数分かかる場合があります。）"));
    EXPECT_EQ(rows().size(), 1U);
}

TEST_F(SearchTest, aCollectionAfterSearches_startsTheirCountAgain_soTheNextSearchAsks)
{
    typedFile(root + "/letter", "DocAAaaa");
    ASSERT_TRUE(searchIn(root));
    {
        const ModalAnswers none;
        collect();
        EXPECT_TRUE(none.seen().isEmpty());
    }
    EXPECT_EQ(window->pCountGet, 1);
    EXPECT_EQ(window->pCountFind, 0);
    ASSERT_TRUE(search({press(kGoOn), choose(root)}));
    EXPECT_EQ(rows().size(), 1U);
}

TEST_F(SearchTest, cancellingTheFolderChooser_changesNothing)
{
    typedFile(root + "/letter", "DocAAaaa");
    ASSERT_TRUE(search({cancelChooser()}));
    EXPECT_EQ(list().ListCount(), 0);
    EXPECT_EQ(window->pCountFind, 0);

    ASSERT_TRUE(searchIn(root));
    ASSERT_TRUE(search({cancelChooser()}));
    EXPECT_EQ(rows().size(), 1U);
    EXPECT_EQ(window->pCountFind, 1);
}

TEST_F(SearchTest, laterSearches_appendTheirRows_andTheSameFolderTwiceListsEveryFindTwice)
{
    const QString letter = typedFile(root + "/letter", "DocAAaaa");
    const QString other = home.path() + QStringLiteral("/Other");
    const QString memo = other + QStringLiteral("/memo.alp");
    ASSERT_TRUE(writeFile(memo));
    pretendCollection();

    ASSERT_TRUE(search({press(kGoOn), choose(root)}));
    ASSERT_TRUE(searchIn(other));
    ASSERT_TRUE(searchIn(root));
    EXPECT_EQ(lastSeen, QStringList{kChooser});
    const Row found = row(letter, "Alpha（書類）");
    EXPECT_EQ(rows(), (std::vector<Row>{found, row(memo, "Alpha（書類）"), found}));
    EXPECT_EQ(window->pCountFind, 3);
}

TEST_F(SearchTest, dotNamedAndInvisibleItems_areNeitherListedNorEntered)
{
    ASSERT_TRUE(writeFile(root + "/.hidden/inside.alp"));
    ASSERT_TRUE(writeFile(root + "/.dotted.alp"));
    ASSERT_TRUE(writeFile(root + "/Secret/inside.alp"));
    ASSERT_TRUE(writeSidecar(root + "/Secret", finderInfo("", "", testsupport::kInvisibleFlag)));
    ASSERT_TRUE(writeFile(root + "/unseen.alp"));
    ASSERT_TRUE(writeSidecar(root + "/unseen.alp", finderInfo("", "", testsupport::kInvisibleFlag)));
    const QString seen = root + "/seen.alp";
    ASSERT_TRUE(writeFile(seen));

    ASSERT_TRUE(searchIn(root));
    EXPECT_EQ(rows(), (std::vector<Row>{row(seen, "Alpha（書類）")}));
}

TEST_F(SearchTest, packagesAndExtensionMatchedFolders_areListedButNotEntered)
{
    const QString app = package(root, "Alpha.app", "APPLAaaa");
    ASSERT_TRUE(writeFile(app + "/Contents/Resources/inside.alp"));
    // A package of another kind is a folder like any other.
    const QString plugin = root + "/Tool.plugin/Contents/help.alp";
    ASSERT_TRUE(writeFile(plugin));
    const QString data = root + "/Data.alp";
    ASSERT_TRUE(writeFile(data + "/inside.alp"));

    ASSERT_TRUE(searchIn(root));
    EXPECT_EQ(rows(), (std::vector<Row>{row(app, "Alpha（アプリ）"), row(app, "Beta（書類）"),
                                        row(data, "Alpha（書類）"), row(plugin, "Alpha（書類）")}));
}

TEST_F(SearchTest, extensionTypes_lookAtTheLastDotOnly)
{
    Globals::gItem = {productRow("Dots", {}, "", "", "", {".gz"}), productRow("Bare", {}, "", "", "", {"."})};
    const QString several = root + "/backup.tar.gz";
    const QString bare = root + "/README";
    const QString trailing = root + "/notes.";
    for (const QString &name : {several, bare, trailing, root + "/gz", root + "/a.gz.txt"})
        ASSERT_TRUE(writeFile(name));

    ASSERT_TRUE(searchIn(root));
    EXPECT_EQ(rows(), (std::vector<Row>{row(several, "Dots（書類）"), row(root + "/gz", "Bare（書類）"),
                                        row(trailing, "Bare（書類）"), row(bare, "Bare（書類）")}));
}

TEST_F(SearchTest, anItemThatTwoProductsClaim_carriesTheEarlierLabel)
{
    Globals::gItem.insert(Globals::gItem.begin(), productRow("Gamma", {}, "", "", "", {"Other000", ".alp"}));
    const QString letter = typedFile(root + "/letter", "DocAAaaa");
    const QString memo = root + "/memo.alp";
    ASSERT_TRUE(writeFile(memo));

    ASSERT_TRUE(searchIn(root));
    EXPECT_EQ(rows(), (std::vector<Row>{row(letter, "Alpha（書類）"), row(memo, "Gamma（書類）")}));
}

TEST_F(SearchTest, applicationsByName_needTheMakerInTheirInfoPlist)
{
    testsupport::AppPackageOptions options;
    options.pkgInfo = "APPLbbbb";
    const QString made = makeAppPackage(root, "Beta Tool.app", options);
    options.maker = "Someone Else";
    ASSERT_FALSE(makeAppPackage(root, "Beta Copy.app", options).isEmpty());

    ASSERT_TRUE(searchIn(root));
    EXPECT_EQ(rows(), (std::vector<Row>{row(made, "Beta（アプリ）")}));
}

TEST_F(SearchTest, stop_keepsTheRowsFoundSoFar_andAddsNoMore)
{
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(writeFile(root + QStringLiteral("/f%1.alp").arg(i, 3, 10, QChar('0'))));

    // Stop is pressed at the first turn of the event loop that finds three rows listed.
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (list().ListCount() >= 3) {
            stopper.stop();
            toolbar().ToolItem5->action()->trigger();
        }
    });
    stopper.start(0);
    ModalAnswers modal({choose(root)});
    toolbar().ToolItem6->action()->trigger();
    waitUntilIdle();
    const int kept = list().ListCount();
    EXPECT_LT(kept, 200);
    EXPECT_EQ(rows().back().name, QStringLiteral("f%1.alp").arg(kept - 1, 3, 10, QChar('0')));
    EXPECT_EQ(status().Text().toQString(), "処理が中止されました。");
    EXPECT_TRUE(status().Visible());
    EXPECT_FALSE(wheel().Visible());
    // A stopped search leaves no piece to move.
    EXPECT_FALSE(toolbar().ToolItem4->Enabled());
    pause(50);
    EXPECT_EQ(list().ListCount(), kept);
    EXPECT_EQ(window->pCountFind, 1);
}

TEST_F(SearchTest, stopWhileAWideFolderIsListed_endsTheRunAtTheNextTurn)
{
    // 20,000 links of one file: the folder's listing takes a hundred turns of the event loop.
    const QByteArray wide = QFile::encodeName(root + "/Wide/");
    ASSERT_TRUE(writeFile(root + "/Wide/0"));
    for (int i = 1; i < 20000; ++i)
        ASSERT_EQ(::link((wide + "0").constData(), (wide + QByteArray::number(i)).constData()), 0);
    const auto step = [] { QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); };
    for (int moment = 1; moment < 150; moment += 5) {
        ModalAnswers modal({choose(root)});
        click(toolbar().ToolItem6);
        while (running() && !wheel().Visible())
            step();
        for (int turn = 0; turn < moment; ++turn)
            step();
        ASSERT_TRUE(running());
        click(toolbar().ToolItem5);
        int turns = 0;
        for (; running(); ++turns)
            step();
        EXPECT_EQ(turns, 1) << "Stop pressed at turn " << moment;
        EXPECT_EQ(status().Text().toQString(), "処理が中止されました。");
        EXPECT_EQ(list().ListCount(), 0);
    }
}

TEST_F(SearchTest, linksToFolders_areNotEntered_soACycleEnds)
{
    const QString memo = root + "/Sub/memo.alp";
    ASSERT_TRUE(writeFile(memo));
    ASSERT_TRUE(QFile::link(root, root + "/Sub/loop"));
    ASSERT_TRUE(QFile::link(root + "/Sub", root + "/Sub/self.alp"));

    ASSERT_TRUE(searchIn(root));
    // The link is an item like a file: listed when its name matches, never walked into.
    EXPECT_EQ(rows(),
              (std::vector<Row>{row(memo, "Alpha（書類）"), row(root + "/Sub/self.alp", "Alpha（書類）")}));
}

TEST_F(SearchTest, aLinkNamedLikeAnApplication_isNeverTakenForOne_whateverItsTargetHolds)
{
    // The target names the maker as a package's Info.plist does.
    const QString target = home.path() + "/Elsewhere/Beta Real";
    ASSERT_TRUE(writeFile(target + "/Contents/Info.plist", "Velloran Software"));
    ASSERT_TRUE(QFile::link(target, root + "/Beta Link"));
    ASSERT_TRUE(QFile::link(target, root + "/Beta Link.app"));

    ASSERT_TRUE(searchIn(root));
    EXPECT_EQ(rows(), std::vector<Row>{});
}

// A chain of folders of a long name, one in the other, far deeper than any path reaches, with a find
// at a depth a path still reaches and one at its end. Made and removed a level at a time by calls
// relative to the folder above or below, the only calls that reach its end.
class DeepChain
{
public:
    DeepChain(const QString &folder, int levels) : m_top(::open(QFile::encodeName(folder), O_RDONLY))
    {
        int at = ::dup(m_top);
        for (; m_levels < levels && at >= 0; ++m_levels) {
            if (m_levels == 10)
                ::close(::openat(at, "near.alp", O_CREAT | O_WRONLY, 0644));
            ::mkdirat(at, kName.data(), 0755);
            const int next = ::openat(at, kName.data(), O_RDONLY | O_DIRECTORY);
            ::close(at);
            at = next;
        }
        m_made = at >= 0 && ::close(::openat(at, "far.alp", O_CREAT | O_WRONLY, 0644)) == 0;
        ::close(at);
    }
    ~DeepChain()
    {
        // Down to the end, then up by "..", each level removed from the one above it.
        int at = ::dup(m_top);
        for (int next; (next = ::openat(at, kName.data(), O_RDONLY | O_DIRECTORY)) >= 0;) {
            ::close(at);
            at = next;
        }
        ::unlinkat(at, "far.alp", 0);
        for (int level = 0; level < m_levels; ++level) {
            ::unlinkat(at, "near.alp", 0);
            const int up = ::openat(at, "..", O_RDONLY | O_DIRECTORY);
            ::close(at);
            ::unlinkat(up, kName.data(), AT_REMOVEDIR);
            at = up;
        }
        ::close(at);
        ::close(m_top);
    }
    DeepChain(const DeepChain &) = delete;
    DeepChain &operator=(const DeepChain &) = delete;
    bool made() const { return m_made; }
    static QString path(const QString &folder, int levels)
    {
        return folder + QString::fromStdString("/" + kName).repeated(levels);
    }

private:
    static inline const std::string kName = std::string(100, 'd');
    int m_top;
    int m_levels = 0;
    bool m_made = false;
};

TEST_F(SearchTest, aChainOfFoldersBeyondThePathLimit_isSearchedToTheLimit_inLittleMemory)
{
    // The kernel's peak of the resident set, started afresh before the search so that what it grows by
    // is the search's own.
    const auto peakKiB = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
        const qsizetype at = text.indexOf("VmHWM:");
        return at < 0 ? -1L : text.mid(at + 6, text.indexOf("kB", at) - at - 6).trimmed().toLong();
    };
    const DeepChain chain(root, 2000);
    ASSERT_TRUE(chain.made());
    // Memory freed before, still resident, would serve the search unseen: it goes back first.
    ::malloc_trim(0);
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1 || !clearRefs.flush() ||
        peakKiB() < 0)
        GTEST_SKIP() << "the kernel does not let the peak of the resident set be started afresh";
    clearRefs.close();
    const long peakBefore = peakKiB();

    ASSERT_TRUE(searchIn(root));
    // The walk keeps what the levels it is in need, each path no longer than the limit.
    EXPECT_LT(peakKiB() - peakBefore, 96 * 1024);
    const QString near = DeepChain::path(root, 10);
    EXPECT_EQ(rows(), (std::vector<Row>{row(near + "/near.alp", "Alpha（書類）")}));
}

TEST_F(SearchTest, aFolderThatCannotBeRead_isSkippedWithoutAMessage)
{
    const QString locked = root + "/Locked";
    ASSERT_TRUE(writeFile(locked + "/inside.alp"));
    const QString after = root + "/after.alp";
    ASSERT_TRUE(writeFile(after));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);

    const bool ended = [&] {
        const testsupport::AsPlainUser plain;
        return searchIn(root);
    }();
    ::chmod(QFile::encodeName(locked).constData(), 0755);
    ASSERT_TRUE(ended);
    EXPECT_EQ(rows(), (std::vector<Row>{row(after, "Alpha（書類）")}));
}

TEST_F(SearchTest, aFolderNamedInShiftJis_isEntered_andItsFindsAreShownReadablyAndRevealedByTheirBytes)
{
    // "フォルダ", "書類" and "ｱ" in Shift_JIS, as archives from old Macs hold them, and bytes that are
    // text in no encoding.
    const QString folder = root + "/folder";
    typedFile(folder + "/letter", "DocAAaaa");
    ASSERT_TRUE(writeFile(folder + "/memo.alp"));
    ASSERT_TRUE(writeFile(folder + "/odd.alp"));
    const QByteArray letter = testsupport::renameToBytes(folder + "/letter", "\x8F\x91\x97\xDE");
    const QByteArray memo = testsupport::renameToBytes(folder + "/memo.alp", "\xB1.alp");
    const QByteArray odd = testsupport::renameToBytes(folder + "/odd.alp", "\x85\x40.alp");
    const QByteArray renamed = testsupport::renameToBytes(folder, "\x83\x74\x83\x48\x83\x8B\x83\x5F");
    ASSERT_FALSE(renamed.isEmpty());
    const auto inRenamed = [&](const QByteArray &path) { return renamed + path.mid(path.lastIndexOf('/')); };

    ASSERT_TRUE(searchIn(root));
    const std::vector<std::pair<QString, QByteArray>> expected = {
        {QStringLiteral("ｱ.alp"), inRenamed(memo)},
        {QStringLiteral("\uFFFD@.alp"), inRenamed(odd)},
        {QStringLiteral("書類"), inRenamed(letter)}};
    ASSERT_EQ(list().ListCount(), static_cast<int>(expected.size()));
    for (int r = 0; r < list().ListCount(); ++r) {
        EXPECT_EQ(list().Cell(r, 0).toQString(), expected[r].first);
        EXPECT_EQ(list().Cell(r, 2).toQString(), QStringLiteral("Alpha（書類）"));
        EXPECT_EQ(list().Cell(r, 5).bytes(), expected[r].second);
        EXPECT_FALSE(list().Cell(r, 1).toQString().contains(QStringLiteral("-01:"))) << "a date of nothing";
    }

    std::vector<fw::ScriptParameter> revealed;
    fw::SetScriptRunHook(
        [&](int32_t, const std::vector<fw::ScriptParameter> &parameters) { revealed = parameters; });
    list().setListIndex(0);
    toolbar().ToolItem8->action()->trigger();
    fw::SetScriptRunHook({});
    ASSERT_EQ(revealed.size(), 1U);
    EXPECT_EQ(std::get<fw::String>(revealed[0]).bytes(), expected[0].second);
}

TEST_F(SearchTest, incompleteCatalogueRows_andEmptyCodes_matchNothing)
{
    fw::Dictionary noLabel;
    noLabel.Value("docCount", "1");
    noLabel.Value("docType1", ".alp");
    fw::Dictionary missingType = productRow("Missing", {}, "", "", "");
    missingType.Value("docCount", "2");
    missingType.Value("docType2", ".alp");
    fw::Dictionary noCount = productRow("NoCount", {}, "", "", "");
    noCount.Value("docType1", ".alp");
    Globals::gItem = {noLabel,
                      missingType,
                      noCount,
                      productRow("Empty", {{"Empty", ""}}, "", "", "", {""}),
                      productRow("Zero", {}, "", "", ""),
                      productRow("Last", {}, "", "", "", {".alp"})};
    const QString memo = root + "/memo.alp";
    ASSERT_TRUE(writeFile(memo));
    // Neither has a code: an empty catalogue code must not take them.
    ASSERT_TRUE(writeFile(root + "/untyped"));
    package(root, "Empty.app", "");

    ASSERT_TRUE(searchIn(root));
    EXPECT_EQ(rows(), (std::vector<Row>{row(memo, "Last（書類）")}));
}

TEST_F(SearchTest, asAUser_aSearchRowCanBeShownInTheFileManager)
{
    const QString letter = typedFile(root + "/letter", "DocAAaaa");
    std::vector<std::pair<int32_t, std::vector<fw::ScriptParameter>>> runs;
    fw::SetScriptRunHook([&](int32_t id, const std::vector<fw::ScriptParameter> &parameters) {
        runs.emplace_back(id, parameters);
    });
    QWidget *revealButton = toolbar().toolBar()->widgetForAction(toolbar().ToolItem8->action());
    ASSERT_NE(revealButton, nullptr);
    EXPECT_EQ(toolbar().ToolItem6->action()->text(), "指定場所を探す…");
    EXPECT_FALSE(revealButton->isEnabled());

    ModalAnswers modal({choose(root)});
    click(toolbar().ToolItem6);
    waitUntilIdle();
    ASSERT_TRUE(modal.allAnswered());
    ASSERT_EQ(list().ListCount(), 1);

    QTreeView *view = list().view();
    const QRect cell = view->visualRect(view->model()->index(0, 0));
    mouseClick(view->viewport(), cell.center());
    EXPECT_EQ(list().ListIndex(), 0);
    EXPECT_TRUE(revealButton->isEnabled());
    click(toolbar().ToolItem8);
    fw::SetScriptRunHook({});

    ASSERT_EQ(runs.size(), 1U);
    EXPECT_EQ(runs[0].first, 170);
    ASSERT_EQ(runs[0].second.size(), 1U);
    EXPECT_EQ(std::get<fw::String>(runs[0].second[0]).toQString(), letter);
}

} // namespace
