#include "app/app.h"
#include "framework/folderitem.h"
#include "tests/support/launches.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// An application folder of the test's own (app/bin/program, app/Resources) and a default folder.
class HelpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        QDir(root.path()).mkpath("app/bin");
        QDir(root.path()).mkpath("app/Resources");
        QDir(root.path()).mkpath("current");
        write("app/bin/program");
        fw::Application::setExecutableFile(fw::FolderItem::fromPath(root.filePath("app/bin/program")));
        previousFolder = QDir::currentPath();
        QDir::setCurrent(root.filePath("current"));
    }
    void TearDown() override
    {
        QDir::setCurrent(previousFolder);
        fw::Application::setExecutableFile(fw::FolderItem());
    }

    void write(const QString &path)
    {
        QFile file(root.filePath(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir root;
    QString previousFolder;
    testsupport::Launches launches;
    App app;
};

TEST_F(HelpTest, theResourcesFolderWins_overTheDefaultFolder)
{
    write("app/Resources/readme.rtf");
    write("current/readme.rtf");
    write("app/Resources/manual.rtf");
    app.LaunchReadme();
    app.LaunchManual();
    EXPECT_EQ(launches.opened, (QStringList{root.filePath("app/Resources/readme.rtf"),
                                            root.filePath("app/Resources/manual.rtf")}));
}

TEST_F(HelpTest, withoutResources_theDefaultFoldersDocumentOpens)
{
    write("current/manual.rtf");
    app.LaunchManual();
    EXPECT_EQ(launches.opened, QStringList{root.filePath("current/manual.rtf")});
}

TEST_F(HelpTest, aDocumentInNeitherPlace_opensNothing)
{
    write("app/Resources/readme.rtf");
    app.LaunchManual();
    EXPECT_TRUE(launches.opened.isEmpty());
}

} // namespace
