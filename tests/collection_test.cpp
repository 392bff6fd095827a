// The automatic collection run through the main window: what it registers and lists, how it ends
// or stops, and what it leaves alone.
#include "app/app.h"
#include "catalogue/catalogue.h"
#include "framework/listbox.h"
#include "framework/progresswheel.h"
#include "framework/resources.h"
#include "framework/statictext.h"
#include "tests/support/fixtures.h"
#include "tests/support/isolation.h"
#include "tests/support/machome.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "tests/support/productrow.h"
#include "tests/support/records.h"
#include "tests/support/samplehome.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QTreeView>

#include <gtest/gtest.h>

#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace {

const QString kStopped = QStringLiteral("処理が中止されました。");

struct Row
{
    QString label;
    QString check; // "x" ticked, "" not, for group and child rows
    QString kind;  // column 4
    QString ref;   // column 5
    QString caption;
    bool group = false;
};

class CollectionTest : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        MainWindowTest::SetUp();
    }
    void TearDown() override
    {
        // A run that a failed assertion left behind ends at its next stop point.
        window->pStopThread2 = true;
        waitUntilIdle();
        EXPECT_TRUE(modals.allAnswered());
        EXPECT_EQ(modals.unexpected(), QStringList());
        MainWindowTest::TearDown();
    }

    QString home() const { return m_home.path(); }
    QString inHome(const QString &relative) const { return m_home.path() + QLatin1Char('/') + relative; }

    // One turn of the worker: up to its next yield.
    static void step() { QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); }

    std::vector<Row> rows() const
    {
        std::vector<Row> result;
        for (int r = 0; r < list().ListCount(); ++r) {
            Row row;
            row.label = list().Cell(r, 0).toQString();
            row.check = list().CellType(r, 0) == fw::Listbox::TypeCheckBox && list().CellCheck(r, 0)
                            ? QStringLiteral("x")
                            : QString();
            row.kind = list().Cell(r, 4).toQString();
            row.ref = list().Cell(r, 5).toQString();
            row.caption = list().Cell(r, 2).toQString();
            row.group = list().Cell(r, 1).isEmpty();
            result.push_back(row);
        }
        return result;
    }

    // Group label, then each child as "name kind", in list order.
    QStringList outline() const
    {
        QStringList lines;
        for (const Row &row : rows())
            lines << (row.group ? row.label : QStringLiteral("  ") + row.label + QLatin1Char(' ') + row.kind);
        return lines;
    }

    QStringList groupLists() const
    {
        QStringList lists;
        for (const Row &row : rows()) {
            if (row.group)
                lists << row.label + QLatin1Char('=') + row.ref;
        }
        return lists;
    }

    QStringList registered() const
    {
        QStringList paths;
        for (int32_t i = 0; i < window->pFI.size(); ++i)
            paths << window->pFI[i].Value("item").FolderItemValue().AbsolutePath().toQString();
        return paths;
    }

    // The window as it is after a run in that mode ("GetItem" or "killGet").
    void expectRestoredAfter(const QString &mode) const
    {
        const bool stopped = mode == QLatin1String("killGet");
        EXPECT_EQ(status().Visible(), stopped);
        EXPECT_EQ(status().Text().toQString() == kStopped, stopped);
        EXPECT_FALSE(wheel().Visible());
        EXPECT_TRUE(toolbar().ToolItem1->Enabled());
        EXPECT_TRUE(toolbar().ToolItem4->Enabled());
        EXPECT_TRUE(toolbar().ToolItem6->Enabled());
        EXPECT_FALSE(toolbar().ToolItem5->Enabled());
        EXPECT_TRUE(toolbar().ToolItem9->Enabled());
        EXPECT_TRUE(list().UserExpansionEnabled());
        EXPECT_EQ(window->pCountGet, 1);
        EXPECT_EQ(window->pCountFind, 0);
    }

    void app(const QString &folder, const QString &name, const QByteArray &code,
             const QString &maker = QStringLiteral("Velloran Software"))
    {
        ASSERT_FALSE(makeAppPackage(inHome(folder), name, {code, maker, false}).isEmpty());
    }
    void file(const QString &relative, const QByteArray &bytes = "x")
    {
        ASSERT_TRUE(writeFile(inHome(relative), bytes));
    }
    void folder(const QString &relative) { ASSERT_TRUE(makeFolder(inHome(relative))); }
    void program(const QString &relative, const QByteArray &bytes)
    {
        file(relative, bytes);
        ASSERT_TRUE(QFile(inHome(relative)).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }

    // Answers the dialogs a test expects; any other is cancelled and makes the test fail.
    ModalAnswers modals;

private:
    MacHome m_home;
};

// --- The sample home ----------------------------------------------------------------------------

class SampleHomeCollectionTest : public CollectionTest
{
protected:
    void SetUp() override
    {
        CollectionTest::SetUp();
        // The sample home is written into an empty home folder of its own.
        QDir(home()).removeRecursively();
        ASSERT_TRUE(writeSampleHome(home()));
        App().InitDictionary();
    }
};

TEST_F(SampleHomeCollectionTest, theToolbarsCollect_listsEveryProductsPiecesTickedInCatalogueOrder)
{
    QString goneMessage;
    modals.expect({readMessage(&goneMessage), choose(inHome("Documents/Ombrisk"))});
    click(toolbar().ToolItem1);

    // While it runs only Stop can be pressed, and the status line says so.
    EXPECT_FALSE(toolbar().ToolItem1->Enabled());
    EXPECT_FALSE(toolbar().ToolItem4->Enabled());
    EXPECT_FALSE(toolbar().ToolItem6->Enabled());
    EXPECT_TRUE(toolbar().ToolItem5->Enabled());
    EXPECT_FALSE(toolbar().ToolItem9->Enabled());
    step();
    EXPECT_TRUE(status().Visible());
    EXPECT_EQ(status().Text().toQString(), QStringLiteral("取得中..."));
    EXPECT_TRUE(wheel().Visible());

    waitUntilIdle();
    EXPECT_EQ(goneMessage, QStringLiteral("「%1」が見つかりません。再指定して下さい。")
                               .arg(QString::fromLatin1(colonPathOf(inHome(kSampleGoneDocuments), false))));

    const QStringList expected{
        "Tessolin II",
        "  Tessolin II AD",
        "  Tessolin II AD",
        "  Tessolin初期設定 P",
        "  jp.velloran.Tessolin.plist PL",
        "  Tessolin II AS",
        "  Tessolin II DD",
        "Ombrisk",
        "  Ombrisk AD",
        "  Ombrisk初期設定 P",
        "  jp.velloran.Ombrisk.plist PL",
        "  Ombrisk Prefs.plist PL",
        "  Ombrisk Prefs.plist.lockfile PL",
        "  Ombrisk.plist PL",
        "  Ombrisk DD",
        "Quillary",
        "  Quillary AD",
        "  Quillary初期設定 P",
        "  jp.velloran.Quillary.plist PL",
        "  Quillary AS",
        "  Quillary DD",
        "Dromaxe mini",
        "  Dromaxe mini AD",
        "  Dromaxe初期設定 P",
        "  jp.velloran.Dromaxe.plist PL",
        "Lunvick",
        "  Lunvick AD",
        "  Lunvick初期設定 P",
        "  jp.velloran.Lunvick.plist PL",
        "Sorbeline nano",
        "  Sorbeline nano AD",
        "  Sorbeline nano初期設定 P",
        "  jp.velloran.Sorbeline.plist PL",
        "  Sorbeline AS",
    };
    EXPECT_EQ(outline(), expected);

    // Both applications of Tessolin II sit in one folder: the first piece, listed twice.
    ASSERT_FALSE(groupLists().isEmpty());
    EXPECT_TRUE(groupLists().first().startsWith(QStringLiteral("Tessolin II=0:0:1:")))
        << groupLists().first().toStdString();
    for (const Row &row : rows()) {
        EXPECT_EQ(row.check, QStringLiteral("x")) << row.label.toStdString();
        if (!row.group) {
            EXPECT_EQ(window->pFI[row.ref.toInt()].Value("kind").StringValue().toQString(), row.kind);
        }
    }
    const std::vector<Row> all = rows();
    ASSERT_EQ(all.size(), static_cast<size_t>(expected.size()));
    EXPECT_EQ(all[1].caption, QStringLiteral("アプリケーション（フォルダ）"));
    EXPECT_EQ(all[3].caption, QStringLiteral("初期設定フォルダ"));
    EXPECT_EQ(all[4].caption, QStringLiteral("plist"));
    EXPECT_EQ(all[5].caption, QStringLiteral("App. Supportフォルダ"));
    EXPECT_EQ(all[6].caption, QStringLiteral("書類"));
    for (int r = 0; r < list().ListCount(); ++r)
        EXPECT_EQ(list().Expanded(r), all[static_cast<size_t>(r)].group);

    // What belongs to no product, or where the program never looks, stays out.
    for (const QString &path : registered()) {
        for (const char *other : {"Glimmer", "Old Tessolin", ".Tessolin backup", "Viewer", "Utilities",
                                  "Dorven", "Ombrisk Settings", "Brightfold", "Ombrisk maps"})
            EXPECT_FALSE(path.contains(QLatin1String(other))) << path.toStdString();
    }
    expectRestoredAfter("GetItem");
    EXPECT_FALSE(toolbar().ToolItem8->Enabled());
}

TEST_F(SampleHomeCollectionTest, aSecondCollection_startsAgainAtIndexZero)
{
    // Ombrisk's documents stay unchosen, in both runs.
    modals.expect({acceptMessage(), cancelChooser(), acceptMessage(), acceptMessage(), cancelChooser(),
                   acceptMessage()});
    collect();
    const QStringList firstLists = groupLists();
    const QStringList firstRegistry = registered();
    const int firstCount = list().ListCount();
    ASSERT_FALSE(firstLists.isEmpty());
    EXPECT_TRUE(firstLists.first().startsWith(QStringLiteral("Tessolin II=0:0:")));
    EXPECT_FALSE(registered().contains(inHome("Documents/Ombrisk")));

    collect();
    EXPECT_EQ(groupLists(), firstLists);
    EXPECT_EQ(registered(), firstRegistry);
    EXPECT_EQ(list().ListCount(), firstCount);
    expectRestoredAfter("GetItem");
}

// --- Homes written for one case -----------------------------------------------------------------

TEST_F(CollectionTest, applications_onlyVisibleFoldersHoldingTheProductsApplication_eachInFolderOrder)
{
    Globals::gItem = {productRow("Tessolin", {{"Tessolin", "APPLWqj1"}}, "", "", "")};
    app("Applications/Tessolin 2", "Tessolin.app", "APPLWqj1");
    app("Applications/Tessolin 1", "Tessolin.app", "APPLWqj1");
    app("Applications/.Tessolin old", "Tessolin.app", "APPLWqj1");
    app("Applications/Hidden Tessolin", "Tessolin.app", "APPLWqj1");
    ASSERT_TRUE(writeSidecar(inHome("Applications/Hidden Tessolin"), finderInfo({}, {}, kInvisibleFlag)));
    app("Applications", "Tessolin.app", "APPLWqj1");             // a package lying in Applications itself
    app("Applications/Other maker", "Tessolin.app", "APPLWqj9"); // another code
    app("Applications/Unread", "Tessolin.app", "");              // a package without PkgInfo
    app("Applications/Deep/Inner", "Tessolin.app", "APPLWqj1");  // two levels down
    // A link to a folder is not entered.
    ASSERT_TRUE(QFile::link(inHome("Applications/Tessolin 1"), inHome("Applications/Tessolin link")));
    collect();

    EXPECT_EQ(registered(),
              QStringList({inHome("Applications/Tessolin 1"), inHome("Applications/Tessolin 2")}));
    EXPECT_EQ(groupLists(), QStringList("Tessolin=0:1:"));
    expectRestoredAfter("GetItem");
}

TEST_F(CollectionTest,
       aFolderWithAnotherMakersApplicationAnywhereInItsTree_givesOnlyTheProducts_itsOwnGoesWhole)
{
    Globals::gItem = {
        productRow("Tessolin II", {{"Tessolin", "APPLWqj1"}, {"Parvella", "APPLWqj2"}}, "", "", ""),
        productRow("Dromaxe", {{"Dromaxe", "APPL----"}}, "", "", "")};
    app("Applications/Tessolin II", "Tessolin.app", "APPLWqj1");
    app("Applications/Tessolin II", "Parvella.app", "APPLWqj2");
    file("Applications/Tessolin II/Read Me.txt");
    file("Applications/Tessolin II/Data/header.bin", "\177ELF"); // no execute bit: no program
    // A link goes as itself: the application it leads to is not in the folder.
    app("Elsewhere", "Other.app", "APPLOthr", "Someone");
    file("Elsewhere/Other.AppImage");
    for (const QString name : {"Other.app", "Other.AppImage"})
        ASSERT_TRUE(QFile::link(inHome("Elsewhere/" + name), inHome("Applications/Tessolin II/" + name)));
    app("Applications/Utilities", "Tessolin.app", "APPLWqj1");
    app("Applications/Utilities", "Hexpad.app", "APPLHxpd", "Brightfold Labs");
    app("Applications/Tools", "Parvella.app", "APPLWqj2");
    file("Applications/Tools/Helper"); // another maker's application that is a file
    ASSERT_TRUE(writeSidecar(inHome("Applications/Tools/Helper"), finderInfo("APPL", "Othr")));
    // The product's package beside another maker's application somewhere in the folder's tree.
    const QStringList suites{"Suite AppImage", "Suite APPL",   "Suite chain",  "Suite ELF",
                             "Suite large",    "Suite locked", "Suite nested", "Suite script",
                             "Suite sidecar",  "Suite unread", "Suite upper"};
    for (const QString &suite : suites)
        app("Applications/" + suite, "Tessolin.app", "APPLWqj1");
    file("Applications/Suite AppImage/Other.appimage");
    file("Applications/Suite APPL/bin/Helper");
    ASSERT_TRUE(writeSidecar(inHome("Applications/Suite APPL/bin/Helper"), finderInfo("APPL", "Othr")));
    program("Applications/Suite ELF/lib/tool", "\177ELF\2\1");
    // With the package, one entry over what is looked through (links of one file are quick to make).
    file("Applications/Suite large/0", {});
    const QByteArray first = QFile::encodeName(inHome("Applications/Suite large/0"));
    for (int i = 1; i < 10000; ++i)
        ASSERT_EQ(::link(first.constData(), (first + QByteArray::number(i)).constData()), 0);
    app("Applications/Suite nested/Plugins", "Other.app", "APPLOthr", "Someone");
    program("Applications/Suite script/helper", "#!/bin/sh\n");
    app("Applications/Suite upper", "Other.APP", "APPLOthr", "Someone");
    // What the look cannot see counts as another maker's: a folder this user may not list, a program
    // they may run but not read, a folder named as a sidecar, the end of a chain deeper than a path
    // reaches (made in two halves, the second moved into the first).
    app("Applications/Suite locked/Private", "Other.app", "APPLOthr", "Someone");
    const QByteArray locked = QFile::encodeName(inHome("Applications/Suite locked/Private"));
    ASSERT_EQ(::chmod(locked.constData(), 0), 0);
    program("Applications/Suite unread/tool", "\177ELF\2\1");
    ASSERT_EQ(::chmod(QFile::encodeName(inHome("Applications/Suite unread/tool")).constData(), 0111), 0);
    file("Applications/Suite sidecar/Extras");
    app("Applications/Suite sidecar/._Extras", "Other.app", "APPLOthr", "Someone");
    const QString links = QLatin1Char('/') + QString(200, QLatin1Char('n'));
    const QString firstHalf = "Applications/Suite chain" + links.repeated(12);
    folder(firstHalf);
    program("Chain" + links.repeated(9) + "/Other", "\177ELF\2\1");
    const QString chainEnd = inHome(firstHalf + "/Chain");
    ASSERT_TRUE(QDir().rename(inHome("Chain"), chainEnd));
    const auto removable = qScopeGuard([&] {
        ::chmod(locked.constData(), 0755);
        QDir().rename(chainEnd, inHome("Chain"));
    });
    // Found by its name and maker, the folder is the application: its innards are its own.
    file("Applications/Dromaxe 3/Contents/Info.plist", "<string>Velloran Software</string>");
    program("Applications/Dromaxe 3/Contents/MacOS/Dromaxe", "\177ELF");
    {
        const AsPlainUser plainUser;
        collect();
    }

    QStringList expected;
    for (const QString &suite : suites)
        expected << inHome("Applications/" + suite + "/Tessolin.app");
    expected << inHome("Applications/Tessolin II") << inHome("Applications/Utilities/Tessolin.app")
             << inHome("Applications/Tools/Parvella.app") << inHome("Applications/Dromaxe 3");
    EXPECT_EQ(registered(), expected);
    EXPECT_EQ(groupLists(), QStringList({"Tessolin II=0:1:2:3:4:5:6:7:8:9:10:11:12:11:13:", "Dromaxe=14:"}));
}

TEST_F(CollectionTest, aFolderWithAnotherFileSystemInside_givesOnlyTheProducts)
{
    Globals::gItem = {productRow("Tessolin", {{"Tessolin", "APPLWqj1"}}, "", "", "")};
    app("Applications/Suite loop", "Tessolin.app", "APPLWqj1");
    folder("Applications/Suite loop/Again");
    app("Applications/Suite volume", "Tessolin.app", "APPLWqj1");
    folder("Applications/Suite volume/Volume");
    const PrivateMounts mounts;
    if (!mounts.mount({}, inHome("Applications/Suite volume/Volume")) ||
        !mounts.mount(inHome("Applications/Suite loop"), inHome("Applications/Suite loop/Again")))
        GTEST_SKIP() << "needs root, and file systems mounted in a namespace of its own";
    collect();

    EXPECT_EQ(registered(), QStringList({inHome("Applications/Suite loop/Tessolin.app"),
                                         inHome("Applications/Suite volume/Tessolin.app")}));
}

TEST_F(CollectionTest, aWideFolderInASuite_isReadNoFurtherThanTheLookGoes)
{
    Globals::gItem = {productRow("Tessolin", {{"Tessolin", "APPLWqj1"}}, "", "", "")};
    app("Applications/Suite", "Tessolin.app", "APPLWqj1");
    file("Applications/Suite/Data/0");
    const QByteArray data = QFile::encodeName(inHome("Applications/Suite/Data/"));
    int entries = 1;
    // The turns of a collection with the suite's folder grown to `size` entries (links of one file).
    const auto turnsWith = [&](int size) {
        for (; entries < size; ++entries)
            EXPECT_EQ(::link((data + "0").constData(), (data + QByteArray::number(entries)).constData()), 0);
        click(toolbar().ToolItem1);
        int turns = 0;
        for (; running(); ++turns)
            step();
        EXPECT_EQ(registered(), QStringList(inHome("Applications/Suite/Tessolin.app")));
        return turns;
    };
    const int turns = turnsWith(12000);
    // Five times the entries: not a turn more.
    EXPECT_EQ(turnsWith(60000), turns);
}

TEST_F(CollectionTest, applicationsByName_needTheNameAndAnInfoPlistNamingTheMaker)
{
    Globals::gItem = {productRow("Dromaxe", {{"Dromaxe", "APPL----"}}, "", "", "")};
    ASSERT_TRUE(writeFile(inHome("Applications/Dromaxe 3/contents/Info.plist"),
                          "<plist><dict><key>CFBundleGetInfoString</key><string>Velloran Software</string>"
                          "</dict></plist>"));
    folder("Applications/Dromaxe plain");
    ASSERT_TRUE(writeFile(inHome("Applications/Other/contents/Info.plist"),
                          "<plist><string>Velloran Software</string></plist>"));
    collect();

    EXPECT_EQ(registered(), QStringList(inHome("Applications/Dromaxe 3")));
    EXPECT_EQ(outline(), QStringList({"Dromaxe", "  Dromaxe 3 AD"}));
}

TEST_F(CollectionTest, plistFiles_holdTheStemAndPlist_inFolderOrder_butQuillarysLeaveOutDorven)
{
    Globals::gItem = {productRow("Ombrisk", {}, "", "Ombrisk", ""),
                      productRow("Quillary", {}, "", "Quillary", ""),
                      productRow("Dorven", {}, "", "Dorven", "")};
    for (const char *name : {"Ombrisk Settings", "Ombrisk.plist", "Ombrisk Prefs.plist.lockfile",
                             "plist.Ombrisk", "Quillary.plist", "Quillary Dorven.plist", "Other.plist"})
        file(QStringLiteral("Library/Preferences/") + QString::fromUtf8(name));
    collect();

    EXPECT_EQ(outline(), QStringList({"Ombrisk", "  Ombrisk Prefs.plist.lockfile PL", "  Ombrisk.plist PL",
                                      "  plist.Ombrisk PL", "Quillary", "  Quillary.plist PL", "Dorven",
                                      "  Quillary Dorven.plist PL"}));
}

TEST_F(CollectionTest, aSharedPiece_isRegisteredOnce_andShownUnderBothGroupRowsWithOneIndex)
{
    Globals::gItem = {productRow("Lunvick", {{"Lunvick", "APPLWqjm"}}, "Shared", "Lunvick", ""),
                      productRow("Lunvick Pro", {}, "Shared", "Lunvick", "Lunvick")};
    app("Applications/Lunvick", "Lunvick.app", "APPLWqjm");
    folder("Library/Preferences/Shared");
    file("Library/Preferences/Lunvick.plist");
    folder("Library/Application Support/Lunvick");
    collect();

    EXPECT_EQ(groupLists(), QStringList({"Lunvick=0:1:2:", "Lunvick Pro=1:2:3:"}));
    EXPECT_EQ(outline(), QStringList({"Lunvick", "  Lunvick AD", "  Shared P", "  Lunvick.plist PL",
                                      "Lunvick Pro", "  Shared P", "  Lunvick.plist PL", "  Lunvick AS"}));
    EXPECT_EQ(window->pFI.size(), 4);
}

TEST_F(CollectionTest, emptyNamesAndCodes_andMissingKeys_matchNothing_whileTheRowKeepsItsOtherPieces)
{
    fw::Dictionary noKeys;
    noKeys.Value("appLabel", fw::String("Bare"));
    noKeys.Value("appCount", fw::String("2"));
    noKeys.Value("prefName", fw::String("Bare"));
    Globals::gItem = {productRow("Empty", {{"", "APPL----"}, {"Empty", ""}}, "", "", ""), noKeys,
                      productRow("Zero", {}, "Zero", "Zero", "")};
    Globals::gItem[2].Value("appCount", fw::String("none"));
    // What an empty value would accept: a package without PkgInfo, a folder named anything, every plist.
    app("Applications/Anything", "Loose.app", "");
    ASSERT_TRUE(
        writeFile(inHome("Applications/Named/contents/Info.plist"), "<string>Velloran Software</string>"));
    file("Library/Preferences/any.plist");
    folder("Library/Preferences/Bare");
    folder("Library/Preferences/Zero");
    file("Library/Preferences/Zero.plist");
    collect();

    EXPECT_EQ(outline(), QStringList({"Bare", "  Bare P", "Zero", "  Zero P", "  Zero.plist PL"}));
    expectRestoredAfter("GetItem");
}

TEST_F(CollectionTest, aCrowdedHome_withNamesThatDifferInCaseOrOverlap_isCollectedAsTheRulesSay)
{
    // Names that only a search ignoring case finds, stems that overlap, and folders that two rows share.
    Globals::gItem = {productRow("Ärger", {{"Ärger", "APPLArg1"}}, "ärger初期設定", "ärger", "ÄRGER"),
                      productRow("Lun", {}, "", "Lun", ""),
                      productRow("Lunvick", {{"Lunvick", "APPLWqjm"}}, "", "Lunvick", ""),
                      productRow("Dromaxe", {{"Dromaxe", "APPL----"}}, "", "οδος", ""),
                      productRow("Quillary", {{"Quillary", "APPLWqj5"}}, "", "Quillary", ""),
                      productRow("Deseret", {}, "", "𐐨𐐩", "")};
    app("Applications/Ärger Suite", "Ärger.app", "APPLArg1");
    ASSERT_TRUE(writeFile(inHome("Applications/dromaxe 3/contents/Info.plist"),
                          "<string>Velloran Software</string>"));
    app("Applications/Shared Tools", "Lunvick.app", "APPLWqjm");
    app("Applications/Shared Tools", "Quillary.app", "APPLWqj5");
    folder("Library/Preferences/Ärger初期設定");
    folder("Library/Application Support/Ärger");
    for (const char *name : {"jp.ÄRGER.plist", "ärgerlich.PLIST", "Aerger.plist", "Lunvick.plist",
                             "ΟΔΟΣ.plist", "Quillary.plist", "Quillary Dorven.plist", "x𐐀𐐁.plist"})
        file(QStringLiteral("Library/Preferences/") + QString::fromUtf8(name));
    QStringList expected{inHome("Applications/Ärger Suite"),
                         inHome("Library/Preferences/Ärger初期設定"),
                         inHome("Library/Preferences/jp.ÄRGER.plist"),
                         inHome("Library/Preferences/ärgerlich.PLIST"),
                         inHome("Library/Application Support/Ärger"),
                         inHome("Library/Preferences/Lunvick.plist"),
                         inHome("Applications/Shared Tools/Lunvick.app"),
                         inHome("Applications/dromaxe 3"),
                         inHome("Library/Preferences/ΟΔΟΣ.plist"),
                         inHome("Applications/Shared Tools/Quillary.app"),
                         inHome("Library/Preferences/Quillary.plist"),
                         inHome("Library/Preferences/x𐐀𐐁.plist")};
    QStringList lists{
        "Ärger=0:1:2:3:4:", "Lun=5:", "Lunvick=6:5:", "Dromaxe=7:8:", "Quillary=9:10:", "Deseret=11:"};
    QStringList kinds{"AD", "P", "PL", "PL", "AS", "PL", "A", "AD", "PL", "A", "PL", "PL"};

    // Many more rows, beside other makers' folders and plist files: each row's pieces are new, in
    // row order; every fifth keeps two applications in its folder, every fourth has nothing.
    for (int i = 0; i < 100; ++i) {
        app(QStringLiteral("Applications/Other %1").arg(i, 3, 10, QLatin1Char('0')), "Tool.app", "APPLOthr");
        file(QStringLiteral("Library/Preferences/com.example.%1.plist").arg(i, 3, 10, QLatin1Char('0')));
    }
    for (int i = 0; i < 60; ++i) {
        const QString name = QStringLiteral("Gen%1").arg(i, 3, 10, QLatin1Char('0'));
        const QString code = QStringLiteral("APPLg%1").arg(i, 3, 10, QLatin1Char('0'));
        QList<QPair<QString, QString>> apps{{name, code}};
        if (i % 5 == 0)
            apps.append({name + " Extra", QStringLiteral("APPLh%1").arg(i, 3, 10, QLatin1Char('0'))});
        Globals::gItem.push_back(productRow(name, apps, name + " Prefs", name, name));
        if (i % 4 == 3)
            continue;
        QString list;
        const auto piece = [&](const QString &path, const char *kind) {
            list += QString::number(expected.size()) + QLatin1Char(':');
            expected << inHome(path);
            kinds << kind;
        };
        for (const auto &[appName, appCode] : apps)
            app("Applications/" + name, appName + ".app", appCode.toLatin1());
        piece("Applications/" + name, "AD");
        if (apps.size() == 2)
            list += list;
        folder("Library/Preferences/" + name + " Prefs");
        piece("Library/Preferences/" + name + " Prefs", "P");
        file("Library/Preferences/jp.velloran." + name + ".plist");
        piece("Library/Preferences/jp.velloran." + name + ".plist", "PL");
        if (i % 3 == 0) {
            folder("Library/Application Support/" + name);
            piece("Library/Application Support/" + name, "AS");
        }
        lists << name + QLatin1Char('=') + list;
    }
    collect();

    EXPECT_EQ(registered(), expected);
    EXPECT_EQ(groupLists(), lists);
    // Each group row expands into its pieces, in its list's order, with their kinds.
    const std::vector<Row> all = rows();
    QString currentList;
    qsizetype next = 0;
    for (const Row &row : all) {
        if (row.group) {
            EXPECT_EQ(next, currentList.count(QLatin1Char(':'))) << currentList.toStdString();
            currentList = row.ref;
            next = 0;
            continue;
        }
        const int32_t index = currentList.section(QLatin1Char(':'), next, next).toInt();
        ++next;
        EXPECT_EQ(row.ref.toInt(), index);
        EXPECT_EQ(row.kind, kinds.value(index)) << row.label.toStdString();
        EXPECT_EQ(row.label, expected.value(index).section(QLatin1Char('/'), -1));
    }
    EXPECT_EQ(next, currentList.count(QLatin1Char(':')));
}

TEST_F(CollectionTest, aCollectionThatFindsNothing_leavesAnEmptyList_andMoveToTrashOn)
{
    Globals::gItem = {
        productRow("Lunvick", {{"Lunvick", "APPLWqjm"}}, "Lunvick初期設定", "Lunvick", "Lunvick")};
    collect();
    EXPECT_EQ(list().ListCount(), 0);
    EXPECT_TRUE(window->pFI.empty());
    expectRestoredAfter("GetItem");
}

// A Tessolin "pref2" record whose documents field holds the given text.
QByteArray tessolinRecord(const QByteArray &documents)
{
    PrefRecord record;
    for (int i = 0; i < 20; ++i)
        record.fields << (i == 19 ? documents : i >= 17 ? QByteArray() : QByteArray("1"));
    return pref2Record(record);
}

TEST_F(CollectionTest, aProtectedLocationNamedAsDocuments_isNeverRegistered)
{
    Globals::gItem = {productRow("Tessolin", {}, "Tessolin初期設定", "", "", {"Tmx1Wqj1"})};
    folder("Documents/Tessolin");
    for (const QString &target : {inHome("Documents"), home(), QStringLiteral("/"), inHome("Library"),
                                  inHome("Documents/Tessolin")}) {
        ASSERT_TRUE(writeFile(inHome("Library/Preferences/Tessolin初期設定/pref2"),
                              tessolinRecord(colonPathOf(target, true))));
        collect();
        const bool piece = target.endsWith(QLatin1String("/Tessolin"));
        EXPECT_EQ(registered(), piece ? QStringList({inHome("Library/Preferences/Tessolin初期設定"), target})
                                      : QStringList(inHome("Library/Preferences/Tessolin初期設定")))
            << target.toStdString();
    }
}

// --- Stopping, the user's hands, closing --------------------------------------------------------

class StoppedCollectionTest : public CollectionTest
{
protected:
    void SetUp() override
    {
        CollectionTest::SetUp();
        Globals::gItem = {productRow("Tessolin", {{"Tessolin", "APPLWqj1"}}, "Tessolin初期設定", "Tessolin",
                                     "Tessolin", {"Tmx1Wqj1"}),
                          productRow("Ombrisk", {{"Ombrisk", "APPLWqj4"}}, "Ombrisk初期設定", "Ombrisk", "")};
        app("Applications/Tessolin", "Tessolin.app", "APPLWqj1");
        app("Applications/Ombrisk", "Ombrisk.app", "APPLWqj4");
        folder("Applications/Unrelated");
        folder("Documents/Tessolin");
        ASSERT_TRUE(writeFile(inHome("Library/Preferences/Tessolin初期設定/pref2"),
                              tessolinRecord(colonPathOf(inHome("Documents/Tessolin"), true))));
        file("Library/Preferences/Tessolin.plist");
        folder("Library/Application Support/Tessolin");
        folder("Library/Preferences/Ombrisk初期設定");
        file("Library/Preferences/Ombrisk.plist");
    }
};

TEST_F(StoppedCollectionTest, aStopAtAnyMoment_endsAtTheNextStopPoint_withTheWindowRestored)
{
    // One run turn by turn: where each piece is registered, and how many turns the run takes.
    click(toolbar().ToolItem1);
    std::set<int> moments{0};
    int turns = 0;
    for (int32_t size = 0; running() && turns < 100000; ++turns) {
        step();
        if (window->pFI.size() != size) {
            size = window->pFI.size();
            // Just before, at and after a piece is registered lie the stop points around it.
            for (int near = turns - 2; near <= turns + 2; ++near)
                moments.insert(std::max(near, 0));
        }
    }
    ASSERT_FALSE(running());
    moments.insert(turns - 2); // while the group rows are expanded
    const QStringList full = registered();
    const QStringList fullLists = groupLists();
    ASSERT_EQ(full.size(), 8);

    std::set<qsizetype> stoppedWith; // registry sizes at which a stop ended the run
    bool sawUnnoticedStop = false;
    for (const int moment : moments) {
        click(toolbar().ToolItem1);
        for (int i = 0; i < moment && running(); ++i)
            step();
        click(toolbar().ToolItem5);
        waitUntilIdle();
        ASSERT_FALSE(running());
        const QStringList now = registered();
        ASSERT_EQ(now, full.mid(0, now.size())) << moment;
        if (status().Visible()) {
            // Stopped: what was found so far stays, the finished products' rows stay collapsed.
            expectRestoredAfter("killGet");
            stoppedWith.insert(now.size());
            const QStringList lists = groupLists();
            ASSERT_EQ(lists, fullLists.mid(0, lists.size())) << moment;
            EXPECT_EQ(list().ListCount(), lists.size());
            EXPECT_EQ(lists.size(), now.size() >= 5 ? 1 : 0) << moment;
        } else {
            // Past the last stop point: the run ends as it would have, and the flag stays up.
            sawUnnoticedStop = true;
            expectRestoredAfter("GetItem");
            EXPECT_EQ(now, full);
            EXPECT_EQ(groupLists(), fullLists);
            EXPECT_EQ(list().ListCount(), 10);
            EXPECT_TRUE(window->pStopThread2);
        }
    }
    EXPECT_TRUE(sawUnnoticedStop);
    // Every stop point was met: in the Applications walk (nothing yet, and between the two
    // products), before the preferences folder, the plist files, Application Support, the documents.
    EXPECT_EQ(stoppedWith, (std::set<qsizetype>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(StoppedCollectionTest, afterAStop_theUserExpandsAGroupRowIntoItsPieces)
{
    click(toolbar().ToolItem1);
    while (running() && window->pFI.size() < 6)
        step();
    click(toolbar().ToolItem5);
    waitUntilIdle();
    ASSERT_EQ(status().Text().toQString(), kStopped);
    ASSERT_EQ(list().ListCount(), 1);
    list().setListIndex(0);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(list().view(), &right);
    EXPECT_EQ(outline(), QStringList({"Tessolin", "  Tessolin AD", "  Tessolin初期設定 P",
                                      "  Tessolin.plist PL", "  Tessolin AS", "  Tessolin DD"}));
}

TEST_F(StoppedCollectionTest, whileItRuns_theUsersExpandingCannotDisturbTheFinalExpansion)
{
    click(toolbar().ToolItem1);
    while (running() && list().ListCount() == 0)
        step();
    ASSERT_TRUE(running());
    ASSERT_EQ(list().ListCount(), 1);
    EXPECT_FALSE(list().UserExpansionEnabled());
    list().setListIndex(0);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(list().view(), &right);
    EXPECT_FALSE(list().Expanded(0));
    waitUntilIdle();

    EXPECT_EQ(outline(), QStringList({"Tessolin", "  Tessolin AD", "  Tessolin初期設定 P",
                                      "  Tessolin.plist PL", "  Tessolin AS", "  Tessolin DD", "Ombrisk",
                                      "  Ombrisk AD", "  Ombrisk初期設定 P", "  Ombrisk.plist PL"}));
    expectRestoredAfter("GetItem");
}

TEST_F(StoppedCollectionTest, closingTheWindowWhileItRuns_endsTheRun)
{
    click(toolbar().ToolItem1);
    while (running() && window->pFI.size() < 3)
        step();
    ASSERT_TRUE(running());
    window->close();
    const int32_t found = window->pFI.size();
    for (int i = 0; i < 50; ++i)
        QApplication::processEvents();
    EXPECT_EQ(window->pFI.size(), found);
    EXPECT_EQ(list().ListCount(), 0);
    // The window goes; nothing of the run is left to touch it.
    Window1::release();
    for (int i = 0; i < 50; ++i)
        QApplication::processEvents();
    window = Window1::instance();
}

TEST_F(StoppedCollectionTest, aStopWhileTheGroupRowsExpand_leavesTheRowsAboveCollapsed)
{
    click(toolbar().ToolItem1);
    // The expansion begins with the last group row: its pieces' rows come last.
    const auto expanding = [this] {
        const int last = list().ListCount() - 1;
        return last >= 0 && !list().Cell(last, Window1::KindCodeColumn).isEmpty();
    };
    while (running() && !expanding())
        step();
    ASSERT_TRUE(running());
    click(toolbar().ToolItem5);
    waitUntilIdle();
    expectRestoredAfter("killGet");
    EXPECT_EQ(outline(), QStringList({"Tessolin", "Ombrisk", "  Ombrisk AD", "  Ombrisk初期設定 P",
                                      "  Ombrisk.plist PL"}));
}

} // namespace
