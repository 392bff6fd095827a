#include "framework/resources.h"
#include "ui/toolbar1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolTip>

#include <array>

#include <gtest/gtest.h>

namespace {

class Toolbar1Test : public ::testing::Test
{
protected:
    void SetUp() override { ReleaseToolbarPictures(); }
    void TearDown() override
    {
        ReleaseToolbarPictures();
        fw::SetResourcesFolder(QString());
    }
};

TEST_F(Toolbar1Test, theNineItems_standInOrder_enabled_withTheirCaptionsAndStyles)
{
    Toolbar1 bar;
    struct Expected
    {
        const char *name;
        int style;
        const char *caption;
    };
    const auto expected = std::to_array<Expected>({
        {"ToolItem1", 0, "自動で取得"},
        {"ToolItem4", 0, "ゴミ箱に移動"},
        {"ToolItem2", 5, "Untitled"},
        {"ToolItem6", 0, "指定場所を探す…"},
        {"ToolItem8", 0, "Finderに表示"},
        {"ToolItem3", 5, "Untitled"},
        {"ToolItem5", 0, "中止"},
        {"ToolItem7", 5, "Untitled"},
        {"ToolItem9", 0, "リストをクリア"},
    });
    ASSERT_EQ(bar.Count(), 9);
    for (int place = 0; place < 9; ++place) {
        auto &item = dynamic_cast<fw::ToolButton &>(bar.Item(place));
        EXPECT_EQ(item.Name().toQString(), expected[place].name);
        EXPECT_EQ(item.Style(), expected[place].style);
        EXPECT_EQ(item.Caption().toQString(), QString::fromUtf8(expected[place].caption));
        EXPECT_TRUE(item.Enabled());
        EXPECT_TRUE(item.HelpTag().isEmpty());
    }
    EXPECT_EQ(bar.ToolItem6, &bar.Item(3));
    // Spaces are gaps, not buttons: the toolbar shows six buttons between three gaps.
    const QList<QAction *> shown = bar.toolBar()->actions();
    ASSERT_EQ(shown.size(), 9);
    EXPECT_EQ(shown[0], bar.ToolItem1->action());
    EXPECT_NE(shown[2], bar.ToolItem2->action());
    EXPECT_EQ(shown[8], bar.ToolItem9->action());
    // Without a help tag, resting on a button shows no tip (not its caption either).
    bar.toolBar()->show();
    QWidget *button = bar.toolBar()->widgetForAction(bar.ToolItem1->action());
    QHelpEvent rest(QEvent::ToolTip, QPoint(4, 4), button->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(button, &rest);
    EXPECT_FALSE(QToolTip::isVisible()) << QToolTip::text().toStdString();
}

TEST_F(Toolbar1Test, clickingAButton_raisesActionWithIt)
{
    Toolbar1 bar;
    fw::ToolItem *clicked = nullptr;
    bar.Action = [&](fw::ToolItem &item) { clicked = &item; };
    bar.ToolItem5->action()->trigger();
    EXPECT_EQ(clicked, bar.ToolItem5);
}

TEST_F(Toolbar1Test, thePictures_areTheApplicationsOwn32x32Pictures)
{
    fw::SetResourcesFolder(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources"));
    for (const auto &accessor : {disk, disk_mask, findItem, findItem_Mask, delete_, delete_Mask, stop,
                                 stop_Mask, showFinder, showFinder_Mask, clear, clear_Mask}) {
        const fw::PicturePtr picture = accessor();
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->Width(), 32);
        EXPECT_EQ(picture->Height(), 32);
    }
    // A mask is black where its picture shows: the stop sign's middle, not its corner.
    EXPECT_EQ(qGray(stop_Mask()->rendered().pixel(16, 16)), 0);
    EXPECT_EQ(qGray(stop_Mask()->rendered().pixel(0, 0)), 255);
}

TEST_F(Toolbar1Test, aPicture_isReadOnce_andAMissingOneIsTriedAgain)
{
    QTemporaryDir dir;
    fw::SetResourcesFolder(dir.path());
    EXPECT_EQ(stop(), nullptr);

    QDir(dir.path()).mkdir("Pictures");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources/Pictures/176.png"),
                            dir.filePath("Pictures/176.png")));
    const fw::PicturePtr first = stop();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(QFile::remove(dir.filePath("Pictures/176.png")));
    EXPECT_EQ(stop(), first);

    ReleaseToolbarPictures();
    EXPECT_EQ(stop(), nullptr);
}

} // namespace
