#include "framework/specialfolder.h"
#include "tests/support/fixtures.h"
#include "tests/support/machome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace fw;

namespace {

bool isProtected(const QString &path)
{
    return SpecialFolder::IsProtected(FolderItem::fromPath(path));
}

} // namespace

TEST(SpecialFolder, foldersLieInTheMacLayoutOfHome)
{
    testsupport::MacHome home;
    ASSERT_TRUE(home.isValid());
    EXPECT_EQ(SpecialFolder::Home().posixPath(), home.path());
    EXPECT_EQ(SpecialFolder::Applications().posixPath(), home.applications());
    EXPECT_EQ(SpecialFolder::Preferences().posixPath(), home.preferences());
    EXPECT_EQ(SpecialFolder::ApplicationData().posixPath(), home.applicationSupport());
    EXPECT_EQ(SpecialFolder::Documents().posixPath(), home.documents());
    EXPECT_EQ(SpecialFolder::Desktop().posixPath(), home.desktop());
    EXPECT_EQ(SpecialFolder::Downloads().posixPath(), home.downloads());
    EXPECT_TRUE(SpecialFolder::ApplicationData().Exists());
}

TEST(SpecialFolder, isProtected_coversTheFoldersThemselvesAndWhatHoldsThem)
{
    testsupport::MacHome home;
    ASSERT_TRUE(home.isValid());
    for (const QString &path :
         {home.path(), home.documents(), home.applications(), home.preferences(), home.applicationSupport(),
          home.desktop(), home.downloads(), home.path() + QStringLiteral("/Library"),
          QFileInfo(home.path()).absolutePath(), QStringLiteral("/"),
          home.documents() + QStringLiteral("/Sub/..")})
        EXPECT_TRUE(isProtected(path)) << path.toStdString();

    ASSERT_TRUE(testsupport::makeFolder(home.documents() + QStringLiteral("/Sub")));
    for (const QString &path :
         {home.documents() + QStringLiteral("/Sub"), home.applications() + QStringLiteral("/Tessolin II"),
          home.preferences() + QStringLiteral("/Tessolin初期設定"),
          home.applicationSupport() + QStringLiteral("/Quillary"),
          home.path() + QStringLiteral("/Documents2")})
        EXPECT_FALSE(isProtected(path)) << path.toStdString();
}

TEST(SpecialFolder, isProtected_followsLinksInTheParents)
{
    testsupport::MacHome home;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(home.isValid() && elsewhere.isValid());
    const QString link = elsewhere.path() + QStringLiteral("/to-home");
    ASSERT_TRUE(QFile::link(home.path(), link));
    EXPECT_TRUE(isProtected(link + QStringLiteral("/Documents")));
    EXPECT_TRUE(isProtected(link + QStringLiteral("/Library")));
    EXPECT_FALSE(isProtected(link + QStringLiteral("/Documents/Sub")));
    // The link itself can go: moving it leaves the home folder alone.
    EXPECT_FALSE(isProtected(link));

    // A special folder that is a link protects its target and the folders that hold the target.
    const QString realDocuments = elsewhere.path() + QStringLiteral("/disk/docs");
    ASSERT_TRUE(testsupport::makeFolder(realDocuments));
    ASSERT_TRUE(QDir(home.documents()).removeRecursively());
    ASSERT_TRUE(QFile::link(realDocuments, home.documents()));
    EXPECT_TRUE(isProtected(realDocuments));
    EXPECT_TRUE(isProtected(elsewhere.path() + QStringLiteral("/disk")));
    EXPECT_FALSE(isProtected(realDocuments + QStringLiteral("/Sub")));
}

TEST(SpecialFolder, isProtected_coversVolumeRoots)
{
    for (const char *path : {"/mnt", "/mnt/usb", "/media", "/media/user/VOLUME", "/run/media/user/VOLUME",
                             "/Volumes/Backup", "/proc"})
        EXPECT_TRUE(isProtected(QString::fromUtf8(path))) << path;
    EXPECT_FALSE(isProtected(QStringLiteral("/media/user/VOLUME/Applications")));
    EXPECT_FALSE(isProtected(QStringLiteral("/Volumes/Backup/Old")));
}
