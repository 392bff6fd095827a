#include "framework/folderitem.h"
#include "framework/streams.h"
#include "tests/support/fixtures.h"

#include <QTemporaryDir>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace fw;
using testsupport::SidecarForm;

namespace {

class FolderItemTest : public ::testing::Test
{
protected:
    void TearDown() override { testsupport::removeTree(m_dir.path()); }
    QString path(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    FolderItem item(const QString &relative) const { return FolderItem::fromPath(path(relative)); }
    FolderItem root() const { return FolderItem::fromPath(m_dir.path()); }
    QString file(const QString &relative, const QByteArray &bytes = "x")
    {
        EXPECT_TRUE(testsupport::writeFile(path(relative), bytes));
        return path(relative);
    }
    QString folder(const QString &relative)
    {
        EXPECT_TRUE(testsupport::makeFolder(path(relative)));
        return path(relative);
    }
    QStringList names(const FolderItem &folderItem) const
    {
        QStringList result;
        for (int i = 1; i <= folderItem.Count(); ++i)
            result << folderItem.Item(i).Name().toQString();
        return result;
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(FolderItemTest, macTypeAndCreator_folderIsFoldMacsAndFileComesFromItsFinderInfo)
{
    folder(QStringLiteral("Foo.app"));
    testsupport::writeSidecar(path(QStringLiteral("Foo.app")), testsupport::finderInfo("APPL", "Wqj1"));
    EXPECT_EQ(item(QStringLiteral("Foo.app")).MacType(), String("fold"));
    EXPECT_EQ(item(QStringLiteral("Foo.app")).MacCreator(), String("MACS"));

    testsupport::writeSidecar(file(QStringLiteral("doc")), testsupport::finderInfo("Tmx3", "Wqj1"));
    EXPECT_EQ(item(QStringLiteral("doc")).MacType(), String("Tmx3"));
    EXPECT_EQ(item(QStringLiteral("doc")).MacCreator(), String("Wqj1"));

    file(QStringLiteral("plain"));
    EXPECT_TRUE(item(QStringLiteral("plain")).MacType().isEmpty());
    EXPECT_TRUE(item(QStringLiteral("plain")).MacCreator().isEmpty());
    EXPECT_TRUE(item(QStringLiteral("missing")).MacType().isEmpty());
}

TEST_F(FolderItemTest, macType_keepsFourCharactersOfMacRomanBytes)
{
    testsupport::writeSidecar(file(QStringLiteral("doc")), testsupport::finderInfo("ab\xA9\x00", "\xFFWqj"));
    EXPECT_EQ(Len(item(QStringLiteral("doc")).MacType()), 4);
    EXPECT_EQ(item(QStringLiteral("doc")).MacType(), String(QString::fromLatin1("ab\xA9\x00", 4)));
    EXPECT_EQ(Len(item(QStringLiteral("doc")).MacCreator()), 4);
}

TEST_F(FolderItemTest, link_reportsItselfNotItsTarget)
{
    folder(QStringLiteral("target.app"));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("target.app")), path(QStringLiteral("link.app"))));
    const FolderItem link = item(QStringLiteral("link.app"));
    EXPECT_TRUE(link.Exists());
    EXPECT_FALSE(link.Directory());
    EXPECT_TRUE(link.MacType().isEmpty());
    testsupport::writeSidecar(link.posixPath(), testsupport::finderInfo("slnk", "rhap"));
    EXPECT_EQ(link.MacType(), String("slnk"));
}

TEST_F(FolderItemTest, visible_isFalseOnlyWithTheInvisibleFlag)
{
    file(QStringLiteral("shown"));
    testsupport::writeSidecar(file(QStringLiteral("flagged")),
                              testsupport::finderInfo("TEXT", "ttxt", 0x0100));
    testsupport::writeSidecar(file(QStringLiteral("hidden")),
                              testsupport::finderInfo("TEXT", "ttxt", testsupport::kInvisibleFlag),
                              SidecarForm::WithAttributes);
    testsupport::writeSidecar(folder(QStringLiteral("hiddenFolder")),
                              testsupport::finderInfo("", "", testsupport::kInvisibleFlag));
    EXPECT_TRUE(item(QStringLiteral("shown")).Visible());
    EXPECT_TRUE(item(QStringLiteral("flagged")).Visible());
    EXPECT_FALSE(item(QStringLiteral("hidden")).Visible());
    EXPECT_FALSE(item(QStringLiteral("hiddenFolder")).Visible());
    // The leading "." is the system's own test, not the item's.
    EXPECT_TRUE(item(QStringLiteral(".profile")).Visible());
}

TEST_F(FolderItemTest, visible_readsTheServerAttributeOfAFolder)
{
    const QString hidden = folder(QStringLiteral("served"));
    if (!testsupport::userAttributesSupported(m_dir.path()))
        GTEST_SKIP() << "the file system of the test folder refuses user extended attributes";
    ASSERT_TRUE(testsupport::setNetatalkMetadata(
        hidden, testsupport::finderInfo("", "", testsupport::kInvisibleFlag)));
    EXPECT_FALSE(item(QStringLiteral("served")).Visible());
    EXPECT_EQ(item(QStringLiteral("served")).MacType(), String("fold"));
}

TEST_F(FolderItemTest, listing_sortsIgnoringCaseAndLeavesOutSidecarFilesOfPresentEntries)
{
    testsupport::writeSidecar(file(QStringLiteral("beta")), testsupport::finderInfo("TEXT", "ttxt"));
    file(QStringLiteral("Alpha"));
    file(QStringLiteral("._orphan"));
    file(QStringLiteral("gamma"));
    testsupport::writeSidecar(folder(QStringLiteral("Delta")), testsupport::finderInfo("", ""));
    // Only a file is a sidecar.
    file(QStringLiteral("Extras"));
    folder(QStringLiteral("._Extras"));
    EXPECT_EQ(names(root()),
              (QStringList{QStringLiteral("._Extras"), QStringLiteral("._orphan"), QStringLiteral("Alpha"),
                           QStringLiteral("beta"), QStringLiteral("Delta"), QStringLiteral("Extras"),
                           QStringLiteral("gamma")}));
    EXPECT_TRUE(root().Item(0).isNil());
    EXPECT_TRUE(root().Item(8).isNil());
}

TEST_F(FolderItemTest, listing_ordersMixedNamesAsQtComparesThemIgnoringCaseThenByBytes)
{
    // ASCII names of every case and length beside accented, sharp-s, Greek, Japanese and
    // outside-the-BMP names, prefixes of one another and names equal but for case.
    const QStringList names = {QStringLiteral("a"),      QStringLiteral("A"),       QStringLiteral("ab"),
                               QStringLiteral("aB.txt"), QStringLiteral("Ab.TXT"),  QStringLiteral("a_b"),
                               QStringLiteral("a["),     QStringLiteral("Z"),       QStringLiteral("z1"),
                               QStringLiteral("@file"),  QStringLiteral("file10"),  QStringLiteral("File9"),
                               QStringLiteral("Été"),    QStringLiteral("été"),     QStringLiteral("été"),
                               QStringLiteral("Straße"), QStringLiteral("STRASSE"), QStringLiteral("Σigma"),
                               QStringLiteral("σigma"),  QStringLiteral("書類"),    QStringLiteral("a書"),
                               QStringLiteral("𐐀x"),     QStringLiteral("𐐨x"),      QStringLiteral("x😀"),
                               QStringLiteral("xa"),     QStringLiteral("~tilde"),  QStringLiteral("À")};
    for (const QString &name : names)
        file(name);
    QStringList expected = names;
    std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.toUtf8() < b.toUtf8();
    });
    EXPECT_EQ(this->names(root()), expected);
}

TEST_F(FolderItemTest, child_refusesNamesThatLeaveTheFolder)
{
    folder(QStringLiteral("sub"));
    for (const char *name : {"", ".", "..", "sub/..", "/etc", "a/b"})
        EXPECT_TRUE(root().Child(name).isNil()) << name;
}

TEST_F(FolderItemTest, child_exactNameWinsElseTheOneEntryEqualIgnoringCaseAndNormalization)
{
    folder(QStringLiteral("Pkg.app/Contents"));
    const FolderItem package = item(QStringLiteral("Pkg.app"));
    const FolderItem contents = package.Child("contents");
    EXPECT_TRUE(contents.Exists());
    EXPECT_EQ(contents.Name(), String("Contents"));

    folder(QStringLiteral("Both/Contents"));
    folder(QStringLiteral("Both/contents"));
    EXPECT_EQ(item(QStringLiteral("Both")).Child("contents").Name(), String("contents"));
    EXPECT_EQ(item(QStringLiteral("Both")).Child("Contents").Name(), String("Contents"));
    // Two entries equal ignoring case, neither exact: no guess.
    EXPECT_FALSE(item(QStringLiteral("Both")).Child("CONTENTS").Exists());

    // A Mac volume stores the name decomposed; the catalogue writes it composed.
    const QString composed = QStringLiteral("ガイド初期設定");
    folder(QStringLiteral("Prefs/") + composed.normalized(QString::NormalizationForm_D));
    const FolderItem found = item(QStringLiteral("Prefs")).Child(String(composed));
    EXPECT_TRUE(found.Exists());
    EXPECT_EQ(found.Name().toQString(), composed.normalized(QString::NormalizationForm_D));

    const FolderItem missing = root().Child("Nothing Here");
    EXPECT_FALSE(missing.isNil());
    EXPECT_FALSE(missing.Exists());
    EXPECT_EQ(missing.Name(), String("Nothing Here"));
}

TEST_F(FolderItemTest, namesThatAreNotUtf8_keepTheirBytes_andOnlyTextIgnoresCase)
{
    // Two Shift_JIS names that differ only in a half-width katakana, the UTF-8 name both decode to
    // with a replacement mark, and bytes that are text in no encoding.
    const QByteArray first = "\xB1Saltrine.plist";
    const QByteArray second = "\xB2Saltrine.plist";
    const QByteArray twin = "\xEF\xBF\xBDSaltrine.plist";
    const QByteArray noText = "\x85\x40";
    testsupport::writeSidecar(file(QStringLiteral("a")), testsupport::finderInfo("TEXT", "ttxt"));
    ASSERT_FALSE(testsupport::renameToBytes(path(QStringLiteral("a")), first).isEmpty());
    ASSERT_FALSE(testsupport::renameToBytes(file(QStringLiteral("b")), second).isEmpty());
    ASSERT_FALSE(testsupport::renameToBytes(file(QStringLiteral("c")), twin).isEmpty());
    ASSERT_FALSE(testsupport::renameToBytes(file(QStringLiteral("d")), noText).isEmpty());

    const FolderItem folder = root();
    std::vector<QByteArray> listed;
    for (int i = 1; i <= folder.Count(); ++i) {
        const FolderItem entry = folder.Item(i);
        listed.push_back(entry.Name().bytes());
        EXPECT_TRUE(entry.Exists());
        EXPECT_TRUE(entry.Parent() == folder);
        EXPECT_TRUE(folder.Child(entry.Name()) == entry);
        EXPECT_TRUE(GetFolderItem(entry.AbsolutePath()) == entry);
    }
    EXPECT_EQ(listed, (std::vector<QByteArray>{noText, first, second, twin}));
    EXPECT_EQ(folder.Item(2).LookAt().macType, String("TEXT"));
    EXPECT_EQ(folder.Child(String::fromBytes("\xEF\xBF\xBDsaltrine.PLIST")).Name().bytes(), twin);
    EXPECT_FALSE(folder.Child(String::fromBytes("\xB1saltrine.PLIST")).Exists());
}

TEST_F(FolderItemTest, streams_openPlainFilesOnlyAndReadWithinBounds)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("fifo"))).constData(), 0600), 0);
    EXPECT_EQ(item(QStringLiteral("fifo")).OpenAsTextFile(), nullptr);
    EXPECT_EQ(item(QStringLiteral("fifo")).OpenAsBinaryFile(), nullptr);
    ASSERT_TRUE(QFile::link(path(QStringLiteral("fifo")), path(QStringLiteral("fifolink"))));
    EXPECT_EQ(item(QStringLiteral("fifolink")).OpenAsTextFile(), nullptr);
    EXPECT_EQ(item(QStringLiteral("missing")).OpenAsTextFile(), nullptr);
    EXPECT_EQ(root().OpenAsTextFile(), nullptr);

    file(QStringLiteral("lines"), "\xEF\xBB\xBF"
                                  "first line\r\nsecond\rthird\n" +
                                      QByteArray(100, 'x'));
    auto text = item(QStringLiteral("lines")).OpenAsTextFile();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->ReadLine(5), String("first"));
    EXPECT_EQ(text->ReadLine(), String("second"));
    EXPECT_EQ(text->ReadLine(), String("third"));
    EXPECT_EQ(text->ReadAll(10).bytes(), QByteArray(10, 'x'));
    EXPECT_EQ(text->ReadAll().bytes(), QByteArray(90, 'x'));
    EXPECT_TRUE(text->EndOfFile());

    file(QStringLiteral("record"), QByteArray("\x05"
                                              "ab",
                                              3));
    auto binary = item(QStringLiteral("record")).OpenAsBinaryFile();
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(binary->ReadPString().bytes(), QByteArray("ab"));
    EXPECT_EQ(binary->ReadLong(), 0);
    EXPECT_TRUE(binary->Read(int64_t{1} << 40).isEmpty());
    EXPECT_TRUE(binary->EndOfFile());
}
