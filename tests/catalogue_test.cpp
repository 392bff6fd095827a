#include "app/app.h"
#include "catalogue/catalogue.h"
#include "framework/menu.h"
#include "tests/support/modal.h"
#include "ui/menubar1.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using fw::String;

namespace {

// An application folder (bin/ with the executable, Resources/ beside it) and a separate default
// folder, both temporary; the catalogue starts empty.
class CatalogueFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        QDir(m_root.path()).mkpath("app/bin");
        QDir(m_root.path()).mkpath("app/Resources");
        QDir(m_root.path()).mkpath("cwd");
        QFile exe(m_root.filePath("app/bin/VelloranUninstaller"));
        ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
        fw::Application::setExecutableFile(fw::FolderItem::fromPath(exe.fileName()));
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(m_root.filePath("cwd"));
        Globals::gItem.clear();
    }

    void TearDown() override
    {
        QDir::setCurrent(m_oldCwd);
        fw::Application::setExecutableFile({});
        Globals::gItem.clear();
        fw::RuntimeRegisterAppObject(nullptr);
        MenuBar1::release();
    }

    void write(const QString &relativePath, const QByteArray &text)
    {
        QFile file(m_root.filePath(relativePath));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    void writeResources(const QByteArray &text) { write("app/Resources/appList.txt", text); }

    static String value(size_t row, const char *key)
    {
        return Globals::gItem.at(row).Value(key).StringValue();
    }

    QTemporaryDir m_root;
    QString m_oldCwd;
    App m_app;
};

const QByteArray kQuillary =
    "Quillary\n1\nQuillary\nAPPLWqj5\n1\nQvayWqj5\nQuillary初期設定\nQuillary\nQuillary\n";

TEST_F(CatalogueFile, loadFile_resourcesWinsOverTheDefaultFolder)
{
    writeResources(kQuillary);
    write("cwd/appList.txt", "Other\n0\n0\np\nq\nr\n");
    EXPECT_TRUE(m_app.LoadFile());
    ASSERT_EQ(Globals::gItem.size(), 1U);
    EXPECT_EQ(value(0, "appLabel"), String("Quillary"));
}

TEST_F(CatalogueFile, loadFile_defaultFolderIsUsedWhenResourcesHasNone)
{
    write("cwd/appList.txt", kQuillary);
    EXPECT_TRUE(m_app.LoadFile());
    ASSERT_EQ(Globals::gItem.size(), 1U);
    EXPECT_EQ(value(0, "docType1"), String("QvayWqj5"));
    EXPECT_EQ(value(0, "prefName"), String("Quillary初期設定"));
    EXPECT_EQ(value(0, "plistNam"), String("Quillary"));
    EXPECT_EQ(value(0, "apSpName"), String("Quillary"));
}

TEST_F(CatalogueFile, loadFile_inNeitherPlace_saysNotFoundOnceAndAddsNothing)
{
    const testsupport::ModalAnswers answers;
    EXPECT_FALSE(m_app.LoadFile());
    EXPECT_EQ(answers.seen(), QStringList{"not found."});
    EXPECT_TRUE(Globals::gItem.empty());

    m_app.InitDictionary();
    ASSERT_EQ(Globals::gItem.size(), 6U);
    EXPECT_EQ(value(5, "appLabel"), String("Sorbeline nano"));
}

TEST_F(CatalogueFile, initApp_readsAFoundFileWhateverItHolds_elseBuildsTheTable_thenSetsTheCaptions)
{
    m_app.setMenuBar(MenuBar1::instance());
    fw::RuntimeRegisterAppObject(&m_app);
    writeResources(kQuillary);
    m_app.InitApp();
    ASSERT_EQ(Globals::gItem.size(), 1U);
    EXPECT_EQ(value(0, "appLabel"), String("Quillary"));
    EXPECT_EQ(AppleAbout().Text(), String("Velloran アンインストーラについて..."));

    Globals::gItem.clear();
    writeResources("");
    m_app.InitApp();
    EXPECT_TRUE(Globals::gItem.empty());

    ASSERT_TRUE(QFile::remove(m_root.filePath("app/Resources/appList.txt")));
    const testsupport::ModalAnswers answers;
    m_app.InitApp();
    EXPECT_EQ(answers.seen(), QStringList{"not found."});
    EXPECT_EQ(Globals::gItem.size(), 6U);
}

TEST_F(CatalogueFile, loadFile_emptyFile_keepsCatalogueEmpty)
{
    writeResources("");
    EXPECT_TRUE(m_app.LoadFile());
    EXPECT_TRUE(Globals::gItem.empty());
    writeResources("\n\n\r\n");
    EXPECT_TRUE(m_app.LoadFile());
    EXPECT_TRUE(Globals::gItem.empty());
}

TEST_F(CatalogueFile, loadFile_emptyLinesAroundRecordsChangeNothing)
{
    writeResources("\n\n" + kQuillary + "\n\n\n" + kQuillary + "\n");
    EXPECT_TRUE(m_app.LoadFile());
    ASSERT_EQ(Globals::gItem.size(), 2U);
    EXPECT_EQ(value(1, "appLabel"), String("Quillary"));
    EXPECT_EQ(value(1, "apSpName"), String("Quillary"));
}

TEST_F(CatalogueFile, loadFile_emptyLineAmongApplicationLinesShiftsTheRest)
{
    writeResources("P\n1\n\nAPPLWqj5\n0\npref\nplist\nsupport\n");
    EXPECT_TRUE(m_app.LoadFile());
    ASSERT_EQ(Globals::gItem.size(), 1U);
    EXPECT_EQ(value(0, "appName1"), String(""));
    EXPECT_EQ(value(0, "appType1"), String("APPLWqj5"));
    // "0" was read as the document count, so "pref" is the preferences folder.
    EXPECT_EQ(value(0, "prefName"), String("pref"));

    Globals::gItem.clear();
    writeResources("P\n1\nName\n\nAPPLWqj5\n0\npref\nplist\n");
    EXPECT_TRUE(m_app.LoadFile());
    EXPECT_EQ(value(0, "appType1"), String(""));
    EXPECT_EQ(value(0, "docCount"), String("APPLWqj5"));
    EXPECT_EQ(value(0, "prefName"), String("0"));
}

TEST_F(CatalogueFile, loadFile_countsZeroOrNotANumberReadNoLines)
{
    writeResources("P\nx\n0\npref\nplist\nsupport\n");
    EXPECT_TRUE(m_app.LoadFile());
    ASSERT_EQ(Globals::gItem.size(), 1U);
    EXPECT_EQ(value(0, "appCount"), String("x"));
    EXPECT_FALSE(Globals::gItem[0].HasKey("appName1"));
    EXPECT_EQ(value(0, "docCount"), String("0"));
    EXPECT_EQ(value(0, "prefName"), String("pref"));
    EXPECT_EQ(value(0, "apSpName"), String("support"));
}

TEST_F(CatalogueFile, loadFile_absurdCountStopsAtTheEndOfTheFile)
{
    writeResources("P\n2000000000\nName\nAPPLWqj5\nSecond\n");
    EXPECT_TRUE(m_app.LoadFile());
    ASSERT_EQ(Globals::gItem.size(), 1U);
    EXPECT_EQ(value(0, "appName1"), String("Name"));
    EXPECT_EQ(value(0, "appName2"), String("Second"));
    EXPECT_FALSE(Globals::gItem[0].HasKey("appType2"));
    EXPECT_FALSE(Globals::gItem[0].HasKey("appName3"));
    EXPECT_FALSE(Globals::gItem[0].HasKey("docCount"));
}

TEST_F(CatalogueFile, loadFile_readsWithinItsBounds_asIfTheFileEndedThere)
{
    const auto load = [this](const QByteArray &text) {
        Globals::gItem.clear();
        writeResources(text);
        EXPECT_TRUE(m_app.LoadFile());
    };
    const auto length = [](size_t row, const char *key) { return value(row, key).bytes().size(); };

    // A line is cut at 4 KiB; the rest of it is skipped, not taken for the next line.
    load("P\n1\n" + QByteArray(5000, 'n') + "\nAPPLWqj5\n0\npref\nplist\nsupport\n");
    EXPECT_EQ(length(0, "appName1"), 4096);
    EXPECT_EQ(value(0, "appType1"), String("APPLWqj5"));
    EXPECT_EQ(value(0, "apSpName"), String("support"));

    // Nothing past the first 16 MiB: the line that crosses it ends there.
    const QByteArray line4k = QByteArray(4095, 'd') + '\n';
    load("P\n0\n4097\n" + line4k.repeated(4096) + "beyond\n");
    EXPECT_EQ(length(0, "docType4096"), 4096 - 9);
    EXPECT_FALSE(Globals::gItem[0].HasKey("docType4097"));

    // 100,000 rows; the next label is not read.
    const QByteArray row = "P\n0\n0\np\nq\nr\n";
    load(row.repeated(100'000) + "Last\n0\n0\np\nq\nr\n");
    EXPECT_EQ(Globals::gItem.size(), 100'000U);
    EXPECT_EQ(value(99'999, "appLabel"), String("P"));

    // 1,000,000 lines, empty ones too.
    load(QByteArray(999'999, '\n') + kQuillary);
    ASSERT_EQ(Globals::gItem.size(), 1U);
    EXPECT_EQ(Globals::gItem[0].Count(), 1);
    load(QByteArray(1'000'000, '\n') + kQuillary);
    EXPECT_TRUE(Globals::gItem.empty());

    // A count reads at most 10,000 applications (or document types), and the file ends after them.
    load("P\n10001\n" + QByteArray("name\ncode\n").repeated(10'001) + "0\npref\nplist\nsupport\n");
    EXPECT_EQ(value(0, "appType10000"), String("code"));
    EXPECT_FALSE(Globals::gItem[0].HasKey("appName10001"));
    EXPECT_FALSE(Globals::gItem[0].HasKey("docCount"));
    load("P\n10000\n" + QByteArray("name\ncode\n").repeated(10'000) + "0\npref\nplist\nsupport\n");
    EXPECT_EQ(value(0, "apSpName"), String("support"));
}

TEST_F(CatalogueFile, loadFile_fileEndingAfterALabelLeavesTheLabelOnly)
{
    writeResources(kQuillary + "Ombrisk\n");
    EXPECT_TRUE(m_app.LoadFile());
    ASSERT_EQ(Globals::gItem.size(), 2U);
    EXPECT_EQ(Globals::gItem[1].Count(), 1);
    EXPECT_EQ(value(1, "appLabel"), String("Ombrisk"));
}

TEST_F(CatalogueFile, loadFile_valuesKeepBlanksAndKeyWordsAreValues)
{
    writeResources("appLabel\n1\n Quillary\nAPPLWqj5\n0\npref\nplist\nsupport\n");
    EXPECT_TRUE(m_app.LoadFile());
    EXPECT_EQ(value(0, "appLabel"), String("appLabel"));
    EXPECT_EQ(value(0, "appName1"), String(" Quillary"));
    EXPECT_NE(value(0, "appName1"), String("Quillary"));
}

TEST_F(CatalogueFile, loadFile_unreadableCatalogueCountsAsFoundAndEmpty)
{
    QDir(m_root.path()).mkpath("app/Resources/appList.txt");
    EXPECT_TRUE(m_app.LoadFile());
    EXPECT_TRUE(Globals::gItem.empty());
}

TEST_F(CatalogueFile, loadFile_shippedCatalogueMatchesTheBuiltInTable)
{
    QFile shipped(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources/appList.txt"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    writeResources(shipped.readAll());
    ASSERT_TRUE(m_app.LoadFile());
    const std::vector<fw::Dictionary> fromFile = Globals::gItem;
    Globals::gItem.clear();
    m_app.InitDictionary();
    ASSERT_EQ(fromFile.size(), Globals::gItem.size());
    for (size_t i = 0; i < fromFile.size(); ++i) {
        for (const char *key :
             {"appLabel", "appCount", "appName1", "appType1", "docCount", "prefName", "plistNam"})
            EXPECT_EQ(fromFile[i].Value(key).StringValue(), value(i, key)) << i << " " << key;
        EXPECT_EQ(fromFile[i].HasKey("docType1"), Globals::gItem[i].HasKey("docType1")) << i;
        // The file cannot hold an empty name: "/" stands for "no such folder", which names no child.
        const String support = value(i, "apSpName");
        EXPECT_EQ(fromFile[i].Value("apSpName").StringValue(), support.isEmpty() ? String("/") : support)
            << i;
    }
}

TEST(BuiltinCatalogue, initDictionary_rowsAnswerLookupsAsFileRowsDo)
{
    Globals::gItem.clear();
    App app;
    app.InitDictionary();
    ASSERT_EQ(Globals::gItem.size(), 6U);
    const fw::Dictionary &tessolin = Globals::gItem[0];
    EXPECT_EQ(tessolin.Value("appType2").StringValue(), String("APPLWqj2"));
    EXPECT_EQ(tessolin.Value("docType1").StringValue(), String("Tmx3Wqj1"));
    EXPECT_EQ(fw::ToInt32(fw::Val(tessolin.Value("appCount").StringValue())), 2);
    EXPECT_EQ(tessolin.Value("appCount").type(), fw::Variant::TypeInteger);
    EXPECT_FALSE(Globals::gItem[3].HasKey("docType1"));
    EXPECT_EQ(Globals::gItem[1].Value("apSpName").StringValue(), String(""));
    EXPECT_EQ(Globals::gItem[5].Value("appName1").StringValue(), String("sorbeline"));
    EXPECT_FALSE(Globals::gItem[1].HasKey("appName2"));
    Globals::gItem.clear();
}

} // namespace
