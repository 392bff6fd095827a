#include "framework/exceptions.h"
#include "framework/folderitem.h"
#include "framework/icons.h"
#include "framework/picture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

fw::PicturePtr solid(QColor color, int side = 4)
{
    fw::PicturePtr picture = fw::NewPicture(side, side, 32);
    picture->Graphics().setForeColor(color);
    picture->Graphics().FillRect(0, 0, side, side);
    return picture;
}

TEST(Picture, aNewPicture_isWhite_andItsNewMaskKeepsItOpaque)
{
    fw::PicturePtr picture = fw::NewPicture(3, 2, 32);
    EXPECT_EQ(picture->Width(), 3);
    EXPECT_EQ(picture->Height(), 2);
    EXPECT_EQ(picture->Depth(), 32);
    EXPECT_EQ(picture->Mask(false), nullptr);
    EXPECT_EQ(picture->rendered().pixel(1, 1), qRgba(255, 255, 255, 255));
    fw::PicturePtr mask = picture->Mask(true);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(picture->Mask(true), mask);
    EXPECT_EQ(qAlpha(picture->rendered().pixel(1, 1)), 255);
}

TEST(Picture, theMask_turnsWhiteTransparent_andGreyHalfway)
{
    fw::PicturePtr picture = solid(Qt::blue);
    fw::Graphics &mask = picture->Mask(true)->Graphics();
    mask.setForeColor(Qt::white);
    mask.FillRect(0, 0, 2, 4);
    mask.setForeColor(QColor(128, 128, 128));
    mask.FillRect(2, 0, 1, 4);
    const QImage shown = picture->rendered();
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_NEAR(qAlpha(shown.pixel(2, 0)), 127, 1);
    EXPECT_EQ(shown.pixel(3, 0), qRgba(0, 0, 255, 255));
}

TEST(Picture, drawingAMaskedPicture_leavesTheTransparentPartAlone_andNilDrawsNothing)
{
    fw::PicturePtr source = solid(Qt::red, 2);
    source->Mask(true)->Graphics().setForeColor(Qt::white);
    source->Mask(true)->Graphics().FillRect(1, 0, 1, 2);
    fw::PicturePtr target = solid(Qt::green);
    target->Graphics().DrawPicture(source, 0, 0);
    target->Graphics().DrawPicture(nullptr, 0, 0);
    const QImage shown = target->rendered();
    EXPECT_EQ(shown.pixel(0, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(shown.pixel(1, 0), qRgba(0, 255, 0, 255));
    EXPECT_EQ(shown.pixel(3, 3), qRgba(0, 255, 0, 255));
}

TEST(Picture, aLargerSource_isCutAtTheTargetsEdges)
{
    fw::PicturePtr target = fw::NewPicture(2, 2, 32);
    target->Graphics().DrawPicture(solid(Qt::black, 40), 0, 0);
    EXPECT_EQ(target->Width(), 2);
    EXPECT_EQ(target->rendered().pixel(1, 1), qRgba(0, 0, 0, 255));
}

TEST(GetIconFromFile, givesEveryItemA16x16IconAndMask)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("notes.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QDir(dir.path()).mkdir("Folder.app");
    for (const char *name : {"notes.txt", "Folder.app", "no-extension", "missing.xyz"}) {
        const fw::FolderItem item = fw::FolderItem::fromPath(dir.filePath(name));
        const fw::PicturePtr image = fw::GetIconFromFile(item, 5);
        const fw::PicturePtr mask = fw::GetIconFromFile(item, 13);
        ASSERT_NE(image, nullptr) << name;
        ASSERT_NE(mask, nullptr) << name;
        EXPECT_EQ(image->Width(), 16);
        EXPECT_EQ(image->Height(), 16);
        EXPECT_EQ(mask->Width(), 16);
        // The mask is black exactly where the icon shows.
        const QImage icon = image->rendered();
        const QImage silhouette = mask->rendered();
        int shown = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                EXPECT_EQ(255 - qGray(silhouette.pixel(x, y)), qAlpha(icon.pixel(x, y)));
                shown += qAlpha(icon.pixel(x, y)) > 0;
            }
        }
        EXPECT_GT(shown, 0) << name;
    }
    EXPECT_EQ(fw::GetIconFromFile(fw::FolderItem::fromPath(dir.path()), 7), nullptr);
    EXPECT_THROW(fw::GetIconFromFile(fw::FolderItem(), 5), fw::NilObjectException);
}

TEST(IconKind, isSharedByFoldersAndByFilesOfOneExtension)
{
    QTemporaryDir dir;
    for (const char *name : {"notes.txt", "memo.txt", "notes.tsl"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QDir(dir.path()).mkdir("Folder.txt");
    ASSERT_TRUE(QFile::link(dir.filePath("Folder.txt"), dir.filePath("link.tsl")));
    const auto kind = [&](const char *name) {
        const fw::FolderItem item = fw::FolderItem::fromPath(dir.filePath(name));
        return fw::IconKind(item, item.ReadStatus());
    };
    EXPECT_EQ(kind("notes.txt"), kind("memo.txt"));
    EXPECT_EQ(kind("notes.txt"), kind("gone.txt"));
    EXPECT_NE(kind("notes.txt"), kind("notes.tsl"));
    // What a folder is, or what a link leads to, comes before its name.
    EXPECT_EQ(kind("Folder.txt"), kind("link.tsl"));
    EXPECT_NE(kind("Folder.txt"), kind("notes.txt"));
    EXPECT_THROW(fw::IconKind(fw::FolderItem(), {}), fw::NilObjectException);
}

} // namespace
