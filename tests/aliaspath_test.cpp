#include "framework/aliasrecord.h"
#include "framework/folderdialogs.h"
#include "framework/folderitem.h"
#include "tests/support/modal.h"
#include "tests/support/records.h"
#include "util/aliaspath.h"
#include "util/decrareetc.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using fw::String;
using testsupport::cancelChooser;
using testsupport::choose;
using testsupport::ModalAnswers;
using testsupport::readMessage;

namespace {

QByteArray macJapanese(const QString &text)
{
    return fw::Encodings::MacJapanese()->fromUnicode(text);
}

String raw(const QByteArray &bytes)
{
    return String::fromBytes(bytes);
}

class AliasPathTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString makeFolder(const QString &name)
    {
        EXPECT_TRUE(QDir(m_dir.path()).mkpath(name));
        return m_dir.filePath(name);
    }
    // The colon path of a POSIX path on the startup volume.
    static QString colonPath(const QString &posixPath)
    {
        QStringList names{QStringLiteral("Startup")};
        for (QString name : posixPath.split(QLatin1Char('/'), Qt::SkipEmptyParts))
            names << name.replace(QLatin1Char(':'), QLatin1Char('/'));
        return names.join(QLatin1Char(':'));
    }
    static String aliasTo(const QString &posixPath, bool folder = true)
    {
        testsupport::AliasOptions options;
        options.folder = folder;
        options.posixPath = posixPath.toUtf8();
        options.hfsPath = macJapanese(colonPath(posixPath));
        return raw(testsupport::aliasRecord(options));
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(AliasPathTest, aliasOfFolder_givesItsColonPathWithATrailingColon)
{
    const QString folder = makeFolder(QStringLiteral("書類"));
    const String path = AliasPath::gAbsPath_dc(aliasTo(folder), false);
    EXPECT_EQ(path, String(colonPath(folder) + ":"));
    EXPECT_EQ(path.encoding(), fw::Encodings::UTF8());
    // The whole chain speaks colon paths: the path leads back to the folder.
    EXPECT_EQ(fw::GetFolderItem(path).posixPath(), folder);
    EXPECT_TRUE(fw::GetFolderItem(path).Directory());
}

TEST_F(AliasPathTest, aliasOfFile_givesItsPathWithoutColon)
{
    const QString file = m_dir.filePath(QStringLiteral("メモ.txt"));
    ASSERT_TRUE(testsupport::writeFile(file, "x"));
    const String path = AliasPath::gAbsPath_dc(aliasTo(file, false), true);
    EXPECT_EQ(path, String(colonPath(file)));
    EXPECT_EQ(fw::GetFolderItem(path).posixPath(), file);
}

TEST_F(AliasPathTest, aliasResolution_triesThePosixPathThenTheHfsPath)
{
    const QString folder = makeFolder(QStringLiteral("a:b ¥ 1\\2"));
    testsupport::AliasOptions options;
    options.hfsPath = macJapanese(colonPath(folder));
    options.posixPath = m_dir.filePath("gone").toUtf8();
    const String path = AliasPath::gAbsPath_dc(raw(testsupport::aliasRecord(options)), false);
    EXPECT_EQ(fw::GetFolderItem(path).posixPath(), folder);
    EXPECT_EQ(path, String(colonPath(folder) + ":"));
}

TEST_F(AliasPathTest, goneTarget_namesTheStoredPathAndLetsTheUserChooseAgain)
{
    const QString other = makeFolder("Other");
    testsupport::AliasOptions options; // a folder's record: its version and kind read 00 02 00 01
    options.hfsPath = macJapanese(QStringLiteral("Startup:gone:書類"));
    options.posixPath = "/gone/書類";
    QString message;
    const ModalAnswers answers({readMessage(&message), choose(other)});
    const String path = AliasPath::gAbsPath_dc(raw(testsupport::aliasRecord(options)), false);
    EXPECT_EQ(message, QStringLiteral("「Startup:gone:書類」が見つかりません。再指定して下さい。"));
    EXPECT_EQ(path, String(other));
    EXPECT_TRUE(answers.allAnswered());
    EXPECT_EQ(answers.unexpected(), QStringList());
}

TEST_F(AliasPathTest, cancelledChooser_givesTheEmptyString)
{
    QString message;
    const ModalAnswers answers({readMessage(&message), cancelChooser()});
    EXPECT_TRUE(AliasPath::gAbsPath_dc(aliasTo(m_dir.filePath("gone")), false).isEmpty());
    EXPECT_TRUE(answers.allAnswered());
}

TEST_F(AliasPathTest, wantFile_asksForAFile)
{
    const QString file = m_dir.filePath("chosen.txt");
    ASSERT_TRUE(testsupport::writeFile(file, "x"));
    QString message;
    const ModalAnswers answers({readMessage(&message), choose(file)});
    EXPECT_EQ(AliasPath::gAbsPath_dc(aliasTo(m_dir.filePath("gone.txt"), false), true), String(file));
    EXPECT_TRUE(answers.allAnswered());
}

TEST_F(AliasPathTest, nameTheSystemScriptCannotHold_isChosenAgain)
{
    const QString folder = makeFolder(QStringLiteral("Café"));
    QString message;
    const ModalAnswers answers({readMessage(&message), choose(folder)});
    EXPECT_EQ(AliasPath::gAbsPath_dc(aliasTo(folder), false), String(folder));
    EXPECT_TRUE(answers.allAnswered());
}

TEST_F(AliasPathTest, textThatIsNeitherPathNorRecord_isShownWhole)
{
    QString message;
    const ModalAnswers answers({readMessage(&message), cancelChooser()});
    EXPECT_TRUE(AliasPath::gAbsPath_dc(raw(macJapanese(QStringLiteral("古い書類"))), false).isEmpty());
    EXPECT_EQ(message, QStringLiteral("「古い書類」が見つかりません。再指定して下さい。"));
}

TEST_F(AliasPathTest, paths_areReturnedUnchangedWithoutADialog)
{
    const QString folder = makeFolder("Docs");
    const ModalAnswers answers;
    EXPECT_EQ(AliasPath::gAbsPath_dc(String(folder), false), String(folder));
    EXPECT_EQ(AliasPath::gAbsPath_dc(String(colonPath(folder) + ":"), false),
              String(colonPath(folder) + ":"));
    EXPECT_EQ(AliasPath::gAbsPath_dc(String(colonPath(folder)), false), String(colonPath(folder)));
    EXPECT_TRUE(AliasPath::gAbsPath_dc(String(), false).isEmpty());
    QApplication::processEvents();
    EXPECT_EQ(answers.unexpected(), QStringList());
}

TEST(AliasPathStoredPath, scanSkipsZeroLengthsAndStopsAtTheData)
{
    EXPECT_EQ(Globals::gAbsPath_ex(raw(QByteArray("\x00\x02\x00\x00xx\x00\x02\x00\x03"
                                                  "abcd",
                                                  14)))
                  .bytes(),
              "abc");
    EXPECT_EQ(Globals::gAbsPath_ex(raw(QByteArray("\x00\x02\x00\x05"
                                                  "ab",
                                                  6)))
                  .bytes(),
              "ab");
    EXPECT_TRUE(Globals::gAbsPath_ex(raw(QByteArray("\x00\x02\x00\x05", 4))).isEmpty());
    EXPECT_EQ(Globals::gAbsPath_ex(raw(QByteArray("x\x00\x02\x00", 4))).bytes(),
              QByteArray("x\x00\x02\x00", 4));
    const String labelled =
        String::fromBytes(QByteArray("\x00\x02\x00\x02\x8F\x91", 6), fw::Encodings::ShiftJIS());
    EXPECT_EQ(Globals::gAbsPath_ex(labelled), String("書"));
}

TEST(AliasPathStoredPath, recordIsReadByItsTags)
{
    testsupport::AliasOptions options;
    options.hfsPath = QByteArray(300, 'a');
    EXPECT_EQ(Globals::gAbsPath_ex(raw(testsupport::aliasRecord(options))).bytes(), options.hfsPath);
    options.hfsPath.clear();
    const QByteArray bytes = testsupport::aliasRecord(options);
    EXPECT_EQ(Globals::gAbsPath_ex(raw(bytes)).bytes(), bytes);
}

TEST(AliasRecord, parse_readsVersion2And3)
{
    testsupport::AliasOptions options;
    options.volumeName = "Data";
    options.hfsPath = "Data:Docs";
    options.posixPath = "/Docs";
    options.volumeMountPoint = "/Volumes/Data";
    const auto record = fw::ParseAliasRecord(testsupport::aliasRecord(options) + "appended");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->version, 2);
    EXPECT_EQ(record->volumeName, "Data");
    EXPECT_EQ(record->hfsPath, "Data:Docs");
    EXPECT_EQ(record->posixPath, "/Docs");
    EXPECT_EQ(record->volumeMountPoint, "/Volumes/Data");

    // Version 3: a 58-byte header, the volume name only in tag 15 (UTF-16).
    QByteArray v3(58, '\0');
    v3[7] = 3;
    v3 += QByteArray("\x00\x0F\x00\x06\x00\x02\x00"
                     "D\x00"
                     "b",
                     10);
    v3 += QByteArray("\x00\x12\x00\x03/Db\x00", 8);
    v3 += QByteArray("\xFF\xFF\x00\x00", 4);
    v3[5] = static_cast<char>(v3.size());
    const auto record3 = fw::ParseAliasRecord(v3);
    ASSERT_TRUE(record3);
    EXPECT_EQ(record3->version, 3);
    EXPECT_EQ(record3->volumeName, "Db");
    EXPECT_EQ(record3->posixPath, "/Db");
}

TEST(AliasRecord, parse_rejectsRecordsThatLie)
{
    testsupport::AliasOptions options;
    options.hfsPath = "Startup:tmp";
    const QByteArray good = testsupport::aliasRecord(options);
    ASSERT_TRUE(fw::ParseAliasRecord(good));
    const auto withByte = [&good](int at, char value) {
        QByteArray bytes = good;
        bytes[at] = value;
        return bytes;
    };
    EXPECT_FALSE(fw::ParseAliasRecord(good.left(good.size() - 1))); // size beyond the data
    EXPECT_FALSE(fw::ParseAliasRecord(good.left(100)));
    EXPECT_FALSE(fw::ParseAliasRecord(withByte(5, 100))); // size inside the header
    EXPECT_FALSE(fw::ParseAliasRecord(withByte(5, static_cast<char>(good.size() - 4)))); // no end tag
    EXPECT_FALSE(fw::ParseAliasRecord(withByte(152, 0x7F))); // tag 2 runs past the end
    EXPECT_FALSE(fw::ParseAliasRecord(withByte(7, 4)));      // unknown version
    EXPECT_FALSE(fw::ParseAliasRecord(withByte(10, 28)));    // volume name too long
    EXPECT_FALSE(fw::ParseAliasRecord(QByteArray("\x00\x00\x00\x00\x00", 5)));
}

TEST(AliasRecord, unparsableRecord_isUnresolvable)
{
    const fw::Handle h = DecrareEtc::TextToHandle(raw(QByteArray("\x00\x00\x00\x00\x00\x96\x00\x02", 8)));
    fw::FSSpec target;
    bool changed = true;
    EXPECT_EQ(fw::ResolveAlias(nullptr, h, target, changed), fw::paramErr);
    EXPECT_FALSE(changed);
    fw::DisposeHandle(h);
    EXPECT_EQ(fw::ResolveAlias(nullptr, h, target, changed), fw::nilHandleErr);
}

TEST(DecrareEtc, textToHandle_holdsExactlyTheTextsBytes)
{
    const QByteArray bytes("a\0b", 3);
    const fw::Handle h = DecrareEtc::TextToHandle(raw(bytes));
    ASSERT_NE(h, 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(fw::HandleData(h)), 3), bytes);
    EXPECT_EQ(fw::HGetState(h), 0); // the lock is undone
    fw::DisposeHandle(h);
    EXPECT_EQ(fw::HandleData(h), nullptr);
}

TEST(DecrareEtc, fullPath_ofAnUnknownFolderIsEmpty)
{
    EXPECT_TRUE(DecrareEtc::GetFullPath(-1, 999999).isEmpty());
    EXPECT_TRUE(DecrareEtc::GetFullPath(-300, 2).isEmpty());
    EXPECT_EQ(DecrareEtc::GetFullPath(-1, fw::fsRtDirID), String("Startup:"));
}

TEST_F(AliasPathTest, selectFolderDialog_startsWhereItIsToldAndGivesNilOnCancel)
{
    const QString start = makeFolder("Start");
    fw::SelectFolderDialog dialog;
    dialog.PromptText = "書類フォルダを選択";
    dialog.InitialDirectory = fw::FolderItem::fromPath(start);
    QString seenDirectory;
    QString seenTitle;
    const ModalAnswers answers({[&](QWidget *modal) {
        auto *chooser = qobject_cast<QFileDialog *>(modal);
        if (chooser == nullptr)
            return false;
        seenDirectory = chooser->directory().absolutePath();
        seenTitle = chooser->windowTitle();
        chooser->reject();
        return true;
    }});
    EXPECT_TRUE(dialog.ShowModalWithin(nullptr).isNil());
    EXPECT_EQ(seenDirectory, start);
    EXPECT_EQ(seenTitle, QStringLiteral("書類フォルダを選択"));
}
