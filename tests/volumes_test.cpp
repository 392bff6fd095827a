#include "framework/folderitem.h"
#include "framework/volumes.h"
#include "tests/support/records.h"
#include "util/aliaspath.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using fw::GetFolderItem;
using fw::String;

namespace {

QString posixOf(const String &path)
{
    const fw::FolderItem item = GetFolderItem(path);
    return item.isNil() ? QStringLiteral("Nil") : item.posixPath();
}

class OtherVolumes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("Data/Docs"));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("data2"));
        fw::SetOtherVolumesOverride(QList<fw::Volume>{{"Data", m_dir.filePath("Data")},
                                                      {"Twin", m_dir.filePath("data2")},
                                                      {"twin", m_dir.filePath("data2")}});
    }
    void TearDown() override { fw::SetOtherVolumesOverride(std::nullopt); }
    QTemporaryDir m_dir;
};

} // namespace

TEST(Volumes, colonPaths_onTheStartupVolume)
{
    EXPECT_EQ(fw::StartupVolumeName(), "Startup");
    EXPECT_EQ(fw::MountedVolumes().first().mountPoint, "/");
    EXPECT_EQ(posixOf("Startup:tmp:x"), "/tmp/x");
    EXPECT_EQ(posixOf("Startup:tmp:x:"), "/tmp/x");
    EXPECT_EQ(posixOf("Startup:"), "/");
    EXPECT_EQ(posixOf("startup:tmp"), "/tmp"); // volume names ignore case
    // A Mac name may hold "/", which is ":" on disk.
    EXPECT_EQ(posixOf("Startup:tmp:1/2"), "/tmp/1:2");
}

TEST(Volumes, colonPaths_thatLeadNowhereGiveNil)
{
    EXPECT_EQ(posixOf("Nowhere Disk:Users:me"), "Nil");
    EXPECT_EQ(posixOf(":tmp:x"), "Nil");
    EXPECT_EQ(posixOf("Startup:tmp::x"), "Nil");
    EXPECT_EQ(posixOf("Startup:tmp:..:etc"), "Nil");
    EXPECT_EQ(posixOf("Startup:."), "Nil");
    EXPECT_EQ(posixOf("Documents"), "Nil");
    EXPECT_EQ(posixOf(String::fromBytes(QByteArray("/tmp\0x", 6))), "Nil");
}

TEST(Volumes, posixPaths_andTheEmptyPath)
{
    EXPECT_EQ(posixOf("/tmp/./x/"), "/tmp/x");
    EXPECT_EQ(posixOf("/tmp/a:b"), "/tmp/a:b");
    EXPECT_EQ(posixOf(""), QDir::currentPath());
}

TEST(Volumes, rawAliasRecord_isNoPath)
{
    testsupport::AliasOptions options;
    options.hfsPath = "Startup:tmp";
    options.posixPath = "/tmp";
    EXPECT_TRUE(GetFolderItem(String::fromBytes(testsupport::aliasRecord(options))).isNil());
    EXPECT_TRUE(GetFolderItem(String::fromBytes(testsupport::aliasRecord(options), fw::Encodings::ShiftJIS()))
                    .isNil());
}

TEST_F(OtherVolumes, colonPaths_reachVolumesByName)
{
    EXPECT_EQ(posixOf("Data:Docs:"), m_dir.filePath("Data/Docs"));
    EXPECT_EQ(posixOf("DATA:Docs"), m_dir.filePath("Data/Docs"));
    EXPECT_EQ(posixOf("Twin:x"), m_dir.filePath("data2/x"));
    // Two volumes equal but for case: only the exact name reaches one.
    EXPECT_EQ(posixOf("TWIN:x"), "Nil");
}

TEST_F(OtherVolumes, volumeOfPath_isTheDeepestMountPoint)
{
    EXPECT_EQ(fw::VolumeOfPath(m_dir.filePath("Data/Docs")).name, "Data");
    EXPECT_EQ(fw::VolumeOfPath(m_dir.filePath("Data")).name, "Data");
    EXPECT_EQ(fw::VolumeOfPath(m_dir.filePath("Database")).name, "Startup");
}

TEST_F(OtherVolumes, aliasRecord_fromAnotherMacFindsItsVolumeByName)
{
    testsupport::AliasOptions options;
    options.volumeName = "Data";
    options.posixPath = "/Docs";
    options.volumeMountPoint = "/Volumes/Data";
    const String path = AliasPath::gAbsPath_dc(String::fromBytes(testsupport::aliasRecord(options)), false);
    EXPECT_EQ(path, String("Data:Docs:"));
    EXPECT_EQ(posixOf(path), m_dir.filePath("Data/Docs"));

    // Without a mount point the record's volume name tells.
    options.volumeMountPoint.clear();
    EXPECT_EQ(AliasPath::gAbsPath_dc(String::fromBytes(testsupport::aliasRecord(options)), false),
              String("Data:Docs:"));
}
