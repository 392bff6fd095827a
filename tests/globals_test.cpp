#include "tests/support/fixtures.h"
#include "util/globals.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <ctime>

using namespace fw;

namespace {

struct Split
{
    String body;
    String extension;
};

Split split(const String &name)
{
    Split result{"unchanged", "unchanged"};
    Globals::gExtractBodyAndExtn(name, result.body, result.extension);
    return result;
}

class PackageTest : public ::testing::Test
{
protected:
    FolderItem package(const QString &name, const testsupport::AppPackageOptions &options = {})
    {
        const QString path = testsupport::makeAppPackage(m_dir.path(), name, options);
        EXPECT_FALSE(path.isEmpty());
        return FolderItem::fromPath(path);
    }
    QString path(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    QTemporaryDir m_dir;
};

} // namespace

TEST(Globals, extractBodyAndExtn_splitsAtTheLastPoint)
{
    EXPECT_EQ(split("Foo.app").body, String("Foo"));
    EXPECT_EQ(split("Foo.app").extension, String("app"));
    EXPECT_EQ(split("a.b.c").body, String("a.b"));
    EXPECT_EQ(split("a.b.c").extension, String("c"));
    EXPECT_EQ(split("a..b").body, String("a."));
    EXPECT_EQ(split("a..b").extension, String("b"));
    EXPECT_EQ(split("x.y.z.w.v").body, String("x.y.z.w"));
    EXPECT_EQ(split(".profile").body, String(""));
    EXPECT_EQ(split(".profile").extension, String("profile"));
    EXPECT_EQ(split("notes.").body, String("notes"));
    EXPECT_EQ(split("notes.").extension, String(""));
    EXPECT_EQ(split("初期設定.plist").body, String("初期設定"));
}

TEST(Globals, extractBodyAndExtn_withoutPointKeepsTheCallersExtension)
{
    EXPECT_EQ(split("README").body, String("README"));
    EXPECT_EQ(split("README").extension, String("unchanged"));
    EXPECT_EQ(split("").body, String(""));
    EXPECT_EQ(split("").extension, String("unchanged"));
    EXPECT_EQ(Globals::gExtractExtn("README"), String(""));
    EXPECT_EQ(Globals::gExtractExtn(""), String(""));
    EXPECT_EQ(Globals::gExtractExtn("Ombrisk Prefs.plist.lockfile"), String("lockfile"));
}

TEST_F(PackageTest, appPackage_needsTheExtensionAndAFolder)
{
    EXPECT_TRUE(Globals::gAppPackage(package(QStringLiteral("Foo.app"))));
    EXPECT_FALSE(Globals::gAppPackage(package(QStringLiteral("Foo.APP"))));
    EXPECT_FALSE(Globals::gAppPackage(package(QStringLiteral("Foo"))));

    // A file named like a package is a document with its own type and creator.
    ASSERT_TRUE(testsupport::writeFile(path(QStringLiteral("File.app"))));
    testsupport::writeSidecar(path(QStringLiteral("File.app")), testsupport::finderInfo("APPL", "Wqj1"));
    const FolderItem file = FolderItem::fromPath(path(QStringLiteral("File.app")));
    EXPECT_FALSE(Globals::gAppPackage(file));
    EXPECT_EQ(Globals::gGetTypeCre(file), String("APPLWqj1"));
}

TEST_F(PackageTest, typeCre_ofAPackageIsTheFirstLineOfItsPkgInfo)
{
    EXPECT_EQ(Globals::gGetTypeCre(package(QStringLiteral("A.app"), {"APPLWqj1", {}, true})),
              String("APPLWqj1"));
    EXPECT_EQ(Globals::gGetTypeCre(package(QStringLiteral("B.app"), {"APPLWqj2\nsecond line\n", {}, true})),
              String("APPLWqj2"));
    EXPECT_EQ(Globals::gGetTypeCre(package(QStringLiteral("C.app"), {"APPLWqj4\r\n", {}, true})),
              String("APPLWqj4"));
    EXPECT_EQ(Globals::gGetTypeCre(package(QStringLiteral("D.app"), {"APPL????", {}, false})),
              String("APPL????"));
}

TEST_F(PackageTest, typeCre_givesNoCodeForAMissingOrUnsoundPkgInfo)
{
    // The package's own FinderInfo never stands in for its PkgInfo.
    const FolderItem bare = package(QStringLiteral("Bare.app"), {{}, {}, true});
    testsupport::writeSidecar(bare.posixPath(), testsupport::finderInfo("APPL", "Wqj1"));
    EXPECT_TRUE(Globals::gGetTypeCre(bare).isEmpty());

    EXPECT_TRUE(Globals::gGetTypeCre(package(QStringLiteral("Short.app"), {"APPL", {}, true})).isEmpty());
    EXPECT_TRUE(Globals::gGetTypeCre(package(QStringLiteral("Long.app"), {"APPLWqj1x", {}, true})).isEmpty());
    EXPECT_TRUE(Globals::gGetTypeCre(
                    package(QStringLiteral("Huge.app"), {"APPLWqj1" + QByteArray(1 << 20, 'x'), {}, true}))
                    .isEmpty());

    const FolderItem folderPkgInfo = package(QStringLiteral("Odd.app"), {{}, {}, true});
    ASSERT_TRUE(testsupport::makeFolder(folderPkgInfo.posixPath() + QStringLiteral("/Contents/PkgInfo")));
    EXPECT_TRUE(Globals::gGetTypeCre(folderPkgInfo).isEmpty());
}

TEST_F(PackageTest, typeCre_ofOtherItemsIsTypeThenCreatorAndEmptyWithoutFinderInfo)
{
    ASSERT_TRUE(testsupport::writeFile(path(QStringLiteral("doc.tmx"))));
    testsupport::writeSidecar(path(QStringLiteral("doc.tmx")), testsupport::finderInfo("Tmx3", "Wqj1"));
    EXPECT_EQ(Globals::gGetTypeCre(FolderItem::fromPath(path(QStringLiteral("doc.tmx")))),
              String("Tmx3Wqj1"));

    ASSERT_TRUE(testsupport::writeFile(path(QStringLiteral("plain.txt"))));
    const String none = Globals::gGetTypeCre(FolderItem::fromPath(path(QStringLiteral("plain.txt"))));
    EXPECT_TRUE(none.isEmpty());
    EXPECT_NE(none, String("Tmx3Wqj1"));

    ASSERT_TRUE(testsupport::makeFolder(path(QStringLiteral("Folder"))));
    EXPECT_EQ(Globals::gGetTypeCre(FolderItem::fromPath(path(QStringLiteral("Folder")))), String("foldMACS"));
}

TEST_F(PackageTest, typeFileInfo_findsTheMakerByteForByte)
{
    EXPECT_TRUE(Globals::gGetTypeFileInfo(package(QStringLiteral("Ours.app"))));
    EXPECT_FALSE(Globals::gGetTypeFileInfo(
        package(QStringLiteral("Theirs.app"), {"APPL????", "Brightfold Labs", true})));
    EXPECT_FALSE(Globals::gGetTypeFileInfo(
        package(QStringLiteral("Case.app"), {"APPL????", "VELLORAN SOFTWARE", true})));
    EXPECT_FALSE(Globals::gGetTypeFileInfo(package(QStringLiteral("NoPlist.app"), {"APPL????", {}, true})));

    // Any folder with Contents/Info.plist is asked, package or not.
    ASSERT_TRUE(
        testsupport::writeFile(path(QStringLiteral("Plain/Contents/Info.plist")), "Velloran Software"));
    EXPECT_TRUE(Globals::gGetTypeFileInfo(FolderItem::fromPath(path(QStringLiteral("Plain")))));

    // Far larger than any package's Info.plist: not read, not trusted.
    ASSERT_TRUE(testsupport::writeFile(path(QStringLiteral("Huge/Contents/Info.plist")),
                                       "Velloran Software" + QByteArray(2 << 20, ' ')));
    EXPECT_FALSE(Globals::gGetTypeFileInfo(FolderItem::fromPath(path(QStringLiteral("Huge")))));
}

TEST(Globals, dateTime_writesTheTimeWithTwoDigitsEach)
{
    const auto text = [](int h, int m, int s) {
        const Date date(QDateTime(QDate(2024, 3, 9), QTime(h, m, s)));
        const QString full = Globals::gDateTime(date).toQString();
        EXPECT_TRUE(full.startsWith(date.AbbreviatedDate().toQString() + QLatin1Char(' ')))
            << full.toStdString();
        return full.section(QLatin1Char(' '), -1);
    };
    EXPECT_EQ(text(9, 5, 3), QStringLiteral("09:05:03"));
    EXPECT_EQ(text(23, 59, 7), QStringLiteral("23:59:07"));
    EXPECT_EQ(text(0, 0, 0), QStringLiteral("00:00:00"));
}

TEST(Globals, dateTime_ofARow_isWhatTheCLibraryReadsInTZ_inEveryFormItTakes)
{
    static constexpr std::time_t kModified = 1700000000;
    // The date as the C library words it in the zone.
    const auto cLibrary = [](const char *tz) {
        ::setenv("TZ", tz, 1);
        ::tzset();
        std::tm local{};
        ::localtime_r(&kModified, &local);
        std::array<char, 16> time{};
        std::strftime(time.data(), time.size(), " %H:%M:%S", &local);
        const QDate day(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        return QLocale::system().toString(day, QLocale::ShortFormat) + QString::fromLatin1(time.data());
    };
    const bool hadTz = qEnvironmentVariableIsSet("TZ");
    const QByteArray savedTz = qgetenv("TZ");
    const auto restore = qScopeGuard([&] {
        hadTz ? qputenv("TZ", savedTz) : qunsetenv("TZ");
        ::tzset();
    });

    for (const char *tz :
         {"UTC-9", ":/usr/share/zoneinfo/Asia/Tokyo", "/usr/share/zoneinfo/Asia/Tokyo", "right/UTC"}) {
        const QString expected = cLibrary(tz);
        EXPECT_EQ(Globals::gDateTime(Date(QDateTime::fromSecsSinceEpoch(kModified, Qt::UTC))).toQString(),
                  expected)
            << tz;
    }
    // The zone that counts leap seconds stands 27 s behind plain UTC since 2017.
    if (!QFile::exists(QStringLiteral("/usr/share/zoneinfo/Asia/Tokyo")) ||
        !cLibrary("right/UTC").endsWith(QStringLiteral("22:12:53")))
        GTEST_SKIP() << "no zone files here to tell the forms apart";
}

TEST_F(PackageTest, typeCre_readsContentsAsPackagesWriteIt_andAnotherCaseWhenThatIsAll)
{
    EXPECT_EQ(Globals::gGetTypeCre(package(QStringLiteral("Exact.app"), {"APPLWqj1", {}, true})),
              String("APPLWqj1"));
    const FolderItem lower = package(QStringLiteral("Lower.app"), {"APPLWqj2", {}, true});
    ASSERT_TRUE(QDir().rename(lower.posixPath() + QStringLiteral("/Contents"),
                              lower.posixPath() + QStringLiteral("/contents")));
    EXPECT_EQ(Globals::gGetTypeCre(lower), String("APPLWqj2"));
    // A stray "contents" beside the package's own "Contents" is not what the package holds.
    const FolderItem both = package(QStringLiteral("Both.app"), {"APPLWqj4", {}, true});
    ASSERT_TRUE(testsupport::writeFile(both.posixPath() + QStringLiteral("/contents/PkgInfo"), "APPLzzzz"));
    EXPECT_EQ(Globals::gGetTypeCre(both), String("APPLWqj4"));
}
