#include "catalogue/catalogue.h"
#include "framework/listbox.h"
#include "framework/resources.h"
#include "framework/specialfolder.h"
#include "framework/statictext.h"
#include "framework/volumes.h"
#include "tests/support/fixtures.h"
#include "tests/support/isolation.h"
#include "tests/support/machome.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "tests/support/productrow.h"
#include "tests/support/records.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"
#include "workers/preferencerecord.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::kChooser;

namespace {

const QString kTessolinPrefs = QString::fromUtf8("Tessolin初期設定");
const QString kOmbriskPrefs = QString::fromUtf8("Ombrisk初期設定");
const QString kQuillaryPrefs = QString::fromUtf8("Quillary初期設定");
const QString kCannotGoOn = QString::fromUtf8("必要なファイルの所在が不明なので、処理を続行できません。");

QString notFound(const QString &name)
{
    return QString::fromUtf8("「") + name + QString::fromUtf8("」が見つかりません。再指定して下さい。");
}

// A registered piece, as "kind path".
using Piece = std::string;
Piece piece(const QString &path, const QString &kind)
{
    return (kind + " " + path).toStdString();
}

// Group rows as label and index list.
using Groups = std::vector<std::pair<std::string, std::string>>;

// An alias record of a folder that is gone, whose stored path the message names.
QByteArray goneAlias(const QByteArray &hfsPath)
{
    testsupport::AliasOptions options;
    options.targetName = hfsPath.mid(hfsPath.lastIndexOf(':') + 1);
    options.hfsPath = hfsPath;
    options.posixPath = "/" + hfsPath.mid(hfsPath.indexOf(':') + 1).replace(':', '/');
    return testsupport::aliasRecord(options);
}

// A record whose long fields 17, 18 and 19 hold the given bytes.
testsupport::PrefRecord record(const QByteArray &f17, const QByteArray &f18, const QByteArray &f19)
{
    testsupport::PrefRecord r;
    r.entries = {1, 2};
    for (int i = 0; i < 21; ++i)
        r.fields.append("field " + QByteArray::number(i));
    r.fields[17] = f17;
    r.fields[18] = f18;
    r.fields[19] = f19;
    return r;
}

class DocumentsTest : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        MainWindowTest::SetUp();
    }

    // A catalogue row with no application; the preferences folder is a piece when prefName names one.
    static void addProduct(const char *label, const QString &prefName, const char *docType1)
    {
        Globals::gItem.push_back(testsupport::productRow(
            label, {}, prefName, "", "", docType1 != nullptr ? QStringList{docType1} : QStringList{}));
    }

    QString prefs(const QString &folder) const { return home.preferences() + "/" + folder; }
    void writeRecord(const QString &prefsFolder, const QString &file, const QByteArray &bytes) const
    {
        ASSERT_TRUE(testsupport::writeFile(prefs(prefsFolder) + "/" + file, bytes));
    }
    QString folder(const QString &relative) const
    {
        QString path = home.path() + "/" + relative;
        EXPECT_TRUE(testsupport::makeFolder(path));
        return path;
    }

    std::vector<Piece> pieces() const
    {
        std::vector<Piece> result;
        result.reserve(window->pFI.size());
        for (int32_t i = 0; i < window->pFI.size(); ++i)
            result.push_back(piece(window->pFI[i].Value("item").FolderItemValue().AbsolutePath().toQString(),
                                   window->pFI[i].Value("kind").StringValue().toQString()));
        return result;
    }

    // Each group row's label and index list, in list order.
    Groups groups() const
    {
        const auto &list = window->Listbox1();
        Groups result;
        for (int row = 0; row < list.ListCount(); ++row) {
            if (list.Cell(row, 1).isEmpty())
                result.emplace_back(list.Cell(row, 0).toStdString(), list.Cell(row, 5).toStdString());
        }
        return result;
    }

    testsupport::MacHome home;
};

TEST_F(DocumentsTest, tessolinRecord_isReadUnderEitherOfItsCodes)
{
    const QString documents = folder(QString::fromUtf8("Tessolin 書類"));
    writeRecord(kTessolinPrefs, "pref2", testsupport::pref2Record(record("", "", documents.toUtf8())));
    for (const char *code : {"Tmx3Wqj1", "Tmx1Wqj1"}) {
        Globals::gItem.clear();
        addProduct("Tessolin II", kTessolinPrefs, code);
        testsupport::ModalAnswers dialogs;
        collect();
        EXPECT_EQ(pieces(), (std::vector<Piece>{piece(prefs(kTessolinPrefs), "P"), piece(documents, "DD")}))
            << code;
        EXPECT_EQ(groups(), (Groups{{"Tessolin II", "0:1:"}})) << code;
        EXPECT_EQ(dialogs.seen(), QStringList());
    }
}

TEST_F(DocumentsTest, eachProductReadsItsOwnRecordFile_inItsOwnEncoding)
{
    const QString tessolin = folder(QString::fromUtf8("書類/テッソリン"));
    const QString ombrisk = folder(QString::fromUtf8("書類/オンブリスク"));
    const QString quillary = folder(QString::fromUtf8("書類/クイラリー"));
    const QString decoy = folder(QStringLiteral("decoy"));
    writeRecord(kTessolinPrefs, "pref2", testsupport::pref2Record(record("", "", tessolin.toUtf8())));
    writeRecord(kTessolinPrefs, "pref", testsupport::prefRecord(record("", "", decoy.toUtf8())));
    // A colon path, as the products write them.
    const QByteArray ombriskColonPath = "Startup" + ombrisk.toUtf8().replace('/', ':') + ":";
    writeRecord(kOmbriskPrefs, "pref2", testsupport::pref2Record(record("", "", ombriskColonPath)));
    // Quillary's record is plain Shift-JIS.
    const QByteArray quillaryPath = fw::Encodings::ShiftJIS()->fromUnicode(quillary);
    ASSERT_NE(quillaryPath, quillary.toUtf8());
    writeRecord(kQuillaryPrefs, "pref", testsupport::prefRecord(record("", "", quillaryPath)));
    writeRecord(kQuillaryPrefs, "pref2", testsupport::pref2Record(record("", "", decoy.toUtf8())));
    addProduct("Tessolin II", "", "Tmx3Wqj1");
    addProduct("Ombrisk", "", "ZorpWqj4");
    addProduct("Quillary", "", "QvayWqj5");

    testsupport::ModalAnswers dialogs;
    collect();
    EXPECT_EQ(pieces(),
              (std::vector<Piece>{piece(tessolin, "DD"), piece(ombrisk, "DD"), piece(quillary, "DD")}));
    EXPECT_EQ(groups(), (Groups{{"Tessolin II", "0:"}, {"Ombrisk", "1:"}, {"Quillary", "2:"}}));
    EXPECT_EQ(dialogs.seen(), QStringList());
}

TEST_F(DocumentsTest, field17_isResolvedByOmbriskAndQuillary_butNotByTessolin)
{
    const QString documents = folder(QStringLiteral("Docs"));
    const QByteArray gone = goneAlias("Startup:gone:Old settings");
    writeRecord(kTessolinPrefs, "pref2", testsupport::pref2Record(record(gone, "", documents.toUtf8())));
    writeRecord(kOmbriskPrefs, "pref2", testsupport::pref2Record(record(gone, "", documents.toUtf8())));
    writeRecord(kQuillaryPrefs, "pref", testsupport::prefRecord(record(gone, "", documents.toUtf8())));
    addProduct("Tessolin II", "", "Tmx3Wqj1");
    addProduct("Ombrisk", "", "ZorpWqj4");
    addProduct("Quillary", "", "QvayWqj5");

    testsupport::ModalAnswers dialogs;
    collect();
    const QString message = notFound(QStringLiteral("Startup:gone:Old settings"));
    EXPECT_EQ(dialogs.seen(), (QStringList{message, kChooser, kCannotGoOn, message, kChooser, kCannotGoOn}));
    // The three products share one documents folder: one piece, one index.
    EXPECT_EQ(pieces(), (std::vector<Piece>{piece(documents, "DD")}));
    EXPECT_EQ(groups(), (Groups{{"Tessolin II", "0:"}, {"Ombrisk", "0:"}, {"Quillary", "0:"}}));
}

TEST_F(DocumentsTest, cancelledField18_isReportedWithItsNumber_andField19StillCounts)
{
    const QString documents = folder(QStringLiteral("Docs"));
    const QByteArray gone = goneAlias("Startup:gone:Templates");
    writeRecord(kTessolinPrefs, "pref2", testsupport::pref2Record(record("", gone, documents.toUtf8())));
    writeRecord(kOmbriskPrefs, "pref2", testsupport::pref2Record(record("", gone, documents.toUtf8())));
    addProduct("Tessolin II", kTessolinPrefs, "Tmx3Wqj1");
    addProduct("Ombrisk", "", "ZorpWqj4");

    testsupport::ModalAnswers dialogs;
    collect();
    const QString message = notFound(QStringLiteral("Startup:gone:Templates"));
    EXPECT_EQ(dialogs.seen(),
              (QStringList{message, kChooser, kCannotGoOn + ":18", message, kChooser, kCannotGoOn}));
    EXPECT_EQ(pieces(), (std::vector<Piece>{piece(prefs(kTessolinPrefs), "P"), piece(documents, "DD")}));
    EXPECT_EQ(groups(), (Groups{{"Tessolin II", "0:1:"}, {"Ombrisk", "1:"}}));
}

TEST_F(DocumentsTest, goneDocumentsFolder_cancelledGivesNone_chosenAgainGivesTheChoice)
{
    const QByteArray gone = goneAlias("Startup:gone:Documents of old");
    writeRecord(kTessolinPrefs, "pref2", testsupport::pref2Record(record("", "", gone)));
    writeRecord(kOmbriskPrefs, "pref2", testsupport::pref2Record(record("", "", gone)));
    addProduct("Tessolin II", kTessolinPrefs, "Tmx3Wqj1");
    addProduct("Ombrisk", "", "ZorpWqj4");
    const QString chosen = folder(QStringLiteral("Moved documents"));

    const QString message = notFound(QStringLiteral("Startup:gone:Documents of old"));
    {
        testsupport::ModalAnswers dialogs;
        collect();
        EXPECT_EQ(dialogs.seen(),
                  (QStringList{message, kChooser, kCannotGoOn + ":19", message, kChooser, kCannotGoOn}));
        EXPECT_EQ(pieces(), (std::vector<Piece>{piece(prefs(kTessolinPrefs), "P")}));
    }
    // Tessolin's chooser is cancelled, Ombrisk's given the folder again; the messages take OK.
    testsupport::ModalAnswers dialogs({testsupport::cancelChooser(), testsupport::choose(chosen)});
    collect();
    EXPECT_EQ(dialogs.seen(), (QStringList{message, kChooser, kCannotGoOn + ":19", message, kChooser}));
    EXPECT_TRUE(dialogs.allAnswered());
    EXPECT_EQ(pieces(), (std::vector<Piece>{piece(prefs(kTessolinPrefs), "P"), piece(chosen, "DD")}));
    EXPECT_EQ(groups(), (Groups{{"Tessolin II", "0:"}, {"Ombrisk", "1:"}}));
}

TEST_F(DocumentsTest, stopDuringAReader_letsItFinish_andEndsTheRunAtTheNextProduct)
{
    const QString documents = folder(QStringLiteral("Docs"));
    const QByteArray gone = goneAlias("Startup:gone:Templates");
    writeRecord(kOmbriskPrefs, "pref2", testsupport::pref2Record(record("", gone, documents.toUtf8())));
    writeRecord(kQuillaryPrefs, "pref", testsupport::prefRecord(record("", gone, documents.toUtf8())));
    addProduct("Ombrisk", "", "ZorpWqj4");
    addProduct("Quillary", "", "QvayWqj5");

    // The user clicks Stop while the first message is up.
    testsupport::ModalAnswers dialogs({[this](QWidget *modal) {
        window->Toolbar11().ToolItem5->action()->trigger();
        return testsupport::acceptMessage()(modal);
    }});
    collect();
    const QString message = notFound(QStringLiteral("Startup:gone:Templates"));
    EXPECT_EQ(dialogs.seen(), (QStringList{message, kChooser, kCannotGoOn}));
    EXPECT_TRUE(dialogs.allAnswered());
    EXPECT_EQ(pieces(), (std::vector<Piece>{piece(documents, "DD")}));
    EXPECT_EQ(groups(), (Groups{{"Ombrisk", "0:"}}));
    EXPECT_EQ(window->StaticText1().Text().toStdString(), "処理が中止されました。");
}

TEST_F(DocumentsTest, documentsFieldThatIsAFile_isRegisteredAllTheSame_andAnEmptyOneGivesNothing)
{
    const QString file = home.path() + "/notes.txt";
    ASSERT_TRUE(testsupport::writeFile(file, "notes"));
    writeRecord(kQuillaryPrefs, "pref", testsupport::prefRecord(record("", "", file.toUtf8())));
    writeRecord(kOmbriskPrefs, "pref2", testsupport::pref2Record(record("", "", "")));
    addProduct("Quillary", "", "QvayWqj5");
    addProduct("Ombrisk", kOmbriskPrefs, "ZorpWqj4");

    testsupport::ModalAnswers dialogs;
    collect();
    EXPECT_EQ(pieces(), (std::vector<Piece>{piece(file, "DD"), piece(prefs(kOmbriskPrefs), "P")}));
    EXPECT_EQ(groups(), (Groups{{"Quillary", "0:"}, {"Ombrisk", "1:"}}));
    EXPECT_EQ(dialogs.seen(), QStringList());
}

TEST_F(DocumentsTest, documentsFolderFoundForAnotherProduct_keepsItsIndex)
{
    // Ombrisk's documents folder is what another row finds as its preferences folder.
    const QString shared = prefs(QStringLiteral("Shared"));
    ASSERT_TRUE(testsupport::makeFolder(shared));
    writeRecord(kOmbriskPrefs, "pref2", testsupport::pref2Record(record("", "", shared.toUtf8())));
    addProduct("Other", "Shared", nullptr);
    addProduct("Ombrisk", kOmbriskPrefs, "ZorpWqj4");

    testsupport::ModalAnswers dialogs;
    collect();
    EXPECT_EQ(pieces(), (std::vector<Piece>{piece(shared, "P"), piece(prefs(kOmbriskPrefs), "P")}));
    EXPECT_EQ(groups(), (Groups{{"Other", "0:"}, {"Ombrisk", "1:0:"}}));
}

TEST_F(DocumentsTest, otherDocumentCodes_keepTheList)
{
    const QString documents = folder(QStringLiteral("Docs"));
    writeRecord(kTessolinPrefs, "pref2", testsupport::pref2Record(record("", "", documents.toUtf8())));
    addProduct("Tessolin II", kTessolinPrefs, "Vhe3Wqj1");
    addProduct("Lower case", kTessolinPrefs, "tmx3wqj1");
    addProduct("No document", kTessolinPrefs, nullptr);

    testsupport::ModalAnswers dialogs;
    collect();
    EXPECT_EQ(pieces(), (std::vector<Piece>{piece(prefs(kTessolinPrefs), "P")}));
    EXPECT_EQ(groups(), (Groups{{"Tessolin II", "0:"}, {"Lower case", "0:"}, {"No document", "0:"}}));
}

TEST_F(DocumentsTest, preferencesFoldersWithoutARecord_addNothing_andShowNothing)
{
    for (const QString &name : {kTessolinPrefs, kOmbriskPrefs, kQuillaryPrefs})
        ASSERT_TRUE(testsupport::writeFile(prefs(name) + "/other settings", "x"));
    // A folder where the record should be is no record either.
    ASSERT_TRUE(testsupport::makeFolder(prefs(kOmbriskPrefs) + "/pref2"));
    addProduct("Tessolin II", "", "Tmx3Wqj1");
    addProduct("Ombrisk", "", "ZorpWqj4");
    addProduct("Quillary", "", "QvayWqj5");

    testsupport::ModalAnswers dialogs;
    collect();
    EXPECT_TRUE(pieces().empty());
    EXPECT_TRUE(groups().empty());
    EXPECT_EQ(dialogs.seen(), QStringList());
}

TEST_F(DocumentsTest, brokenRecords_areMissingRecords_withoutAMessage)
{
    const QString documents = folder(QStringLiteral("Docs"));
    const QByteArray whole = testsupport::pref2Record(record("", "", documents.toUtf8()));
    writeRecord(kTessolinPrefs, "pref2", whole.left(whole.size() - 3));
    testsupport::PrefRecord tooFew = record("", "", documents.toUtf8());
    tooFew.fields.resize(19);
    writeRecord(kOmbriskPrefs, "pref2", testsupport::pref2Record(tooFew));
    const QByteArray entries2000000000("\x77\x35\x94\x00", 4);
    writeRecord(kQuillaryPrefs, "pref", QByteArray(1, '\0') + entries2000000000 + QByteArray(64, '\0'));
    addProduct("Tessolin II", "", "Tmx3Wqj1");
    addProduct("Ombrisk", "", "ZorpWqj4");
    addProduct("Quillary", "", "QvayWqj5");

    testsupport::ModalAnswers dialogs;
    collect();
    EXPECT_TRUE(pieces().empty());
    EXPECT_TRUE(groups().empty());
    EXPECT_EQ(dialogs.seen(), QStringList());
}

TEST_F(DocumentsTest, recordFilesOverOneMiB_areMissingRecords_withoutAMessage)
{
    const QString documents = folder(QStringLiteral("Docs"));
    constexpr qsizetype kMiB = qsizetype{1024} * 1024;
    // Bytes after the last field are no part of the record; they only make the file larger.
    const QByteArray tessolin = testsupport::pref2Record(record("", "", documents.toUtf8()));
    writeRecord(kTessolinPrefs, "pref2", tessolin + QByteArray(kMiB - tessolin.size(), '\0'));
    const QByteArray quillary = testsupport::prefRecord(record("", "", documents.toUtf8()));
    writeRecord(kQuillaryPrefs, "pref", quillary + QByteArray(kMiB + 1 - quillary.size(), '\0'));
    addProduct("Tessolin II", "", "Tmx3Wqj1");
    addProduct("Quillary", "", "QvayWqj5");

    testsupport::ModalAnswers dialogs;
    collect();
    EXPECT_EQ(pieces(), (std::vector<Piece>{piece(documents, "DD")}));
    EXPECT_EQ(groups(), (Groups{{"Tessolin II", "0:"}}));
    EXPECT_EQ(dialogs.seen(), QStringList());
}

TEST_F(DocumentsTest, stopDuringASlowRecordRead_endsTheRunAtOnce)
{
    const QString documents = folder(QStringLiteral("Docs"));
    testsupport::PrefRecord slow = record("", "", documents.toUtf8());
    slow.entries = QList<int>(1000, 7);
    writeRecord(kQuillaryPrefs, "pref", testsupport::prefRecord(slow));
    writeRecord(kOmbriskPrefs, "pref2", testsupport::pref2Record(record("", "", documents.toUtf8())));
    addProduct("Quillary", "", "QvayWqj5");
    addProduct("Ombrisk", "", "ZorpWqj4");

    // Each read takes a while, and the user presses Stop during the 50th.
    int reads = 0;
    int readsAfterStop = 0;
    SetPreferenceRecordReadHook([&] {
        QThread::msleep(1);
        if (window->pStopThread2)
            ++readsAfterStop;
        if (++reads == 50)
            QTimer::singleShot(
                0, [this] { window->control<Toolbar1>("Toolbar11").ToolItem5->action()->trigger(); });
    });
    const auto noHook = qScopeGuard([] { SetPreferenceRecordReadHook({}); });
    collect();
    EXPECT_LE(readsAfterStop, 1) << "the read that saw the stop is the last";
    EXPECT_LT(reads, 60);
    EXPECT_TRUE(pieces().empty());
    EXPECT_TRUE(groups().empty());
    EXPECT_EQ(status().Text().toStdString(), "処理が中止されました。");
}

TEST_F(DocumentsTest, protectedLocations_areNeverTakenForADocumentsFolder)
{
    writeRecord(kTessolinPrefs, "pref2", testsupport::pref2Record(record("", "", home.documents().toUtf8())));
    writeRecord(kOmbriskPrefs, "pref2", testsupport::pref2Record(record("", "", home.path().toUtf8())));
    writeRecord(kQuillaryPrefs, "pref", testsupport::prefRecord(record("", "", "Startup:")));
    addProduct("Tessolin II", "", "Tmx3Wqj1");
    addProduct("Ombrisk", "", "ZorpWqj4");
    addProduct("Quillary", "", "QvayWqj5");

    testsupport::ModalAnswers dialogs;
    collect();
    EXPECT_TRUE(pieces().empty());
    EXPECT_TRUE(groups().empty());
    EXPECT_EQ(dialogs.seen(), QStringList());
}

TEST_F(DocumentsTest, recordsNamingPlacesThatAreNotTheUsers_registerNothing)
{
    const QString ssh = folder(QStringLiteral(".ssh"));
    const QString hidden = folder(QStringLiteral(".config/Quillary"));
    QTemporaryDir elsewhere;
    const QString someoneElses = elsewhere.path() + QStringLiteral("/someone/Documents");
    const QString volume = elsewhere.path() + QStringLiteral("/USB");
    ASSERT_TRUE(testsupport::makeFolder(someoneElses));
    ASSERT_TRUE(testsupport::makeFolder(volume + QStringLiteral("/.Trashes/Quillary")));
    ASSERT_TRUE(testsupport::makeFolder(volume + QStringLiteral("/Quillary")));
    fw::SetOtherVolumesOverride(QList<fw::Volume>{{QStringLiteral("USB"), volume}});
    const auto noVolumes = qScopeGuard([] { fw::SetOtherVolumesOverride(std::nullopt); });
    addProduct("Quillary", "", "QvayWqj5");

    // The "volume" is a folder of the startup volume.
    for (const QByteArray &named :
         {QByteArray("Startup:etc:"), QByteArray("/usr"), ssh.toUtf8(), hidden.toUtf8(),
          someoneElses.toUtf8(), QByteArray("USB:.Trashes:Quillary:"), QByteArray("USB:Quillary:")}) {
        writeRecord(kQuillaryPrefs, "pref", testsupport::prefRecord(record("", "", named)));
        testsupport::ModalAnswers dialogs;
        collect();
        EXPECT_TRUE(pieces().empty()) << named.toStdString();
        EXPECT_EQ(dialogs.seen(), QStringList());
    }
}

// Whether a process of that user and group takes the path for its own place; nullopt if none ran.
std::optional<bool> isUsersLocationFor(uid_t user, const QString &path)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0)
            ::_exit(2);
        ::_exit(fw::SpecialFolder::UserLocations().Contains(fw::FolderItem::fromPath(path)) ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

TEST_F(DocumentsTest, folderOnAnotherVolume_countsOnlyWhenItAndAllItHoldsAreTheUsers_andNoAccountsHome)
{
    QTemporaryDir root; // outlives the mounts beneath it
    testsupport::PrivateMounts mounts;
    const QString volume = root.path() + QStringLiteral("/vol");
    const QString rootBind = root.path() + QStringLiteral("/rootbind");
    const QString passwd = root.path() + QStringLiteral("/passwd");
    QFile accounts(QStringLiteral("/etc/passwd"));
    ASSERT_TRUE(accounts.open(QIODevice::ReadOnly));
    ASSERT_TRUE(testsupport::writeFile(passwd, accounts.readAll() + "carol:x:4343:4343::" + volume.toUtf8() +
                                                   "/people/carol:/bin/sh\n"));
    if (!testsupport::makeFolder(volume) || !testsupport::makeFolder(rootBind) || !mounts.mount({}, volume) ||
        !mounts.mount(QStringLiteral("/"), rootBind) || !mounts.mount(passwd, accounts.fileName()))
        GTEST_SKIP() << "needs root, and file systems mounted in a namespace of its own";
    for (const char *name : {"/home/bob/.ssh", "/home/bob/Docs", "/people/carol/Docs", "/Quillary/Old",
                             "/Shared/bob", "/Mine/Own", "/Mine/Locked/Inside", "/Shelf/Mine"})
        ASSERT_TRUE(testsupport::makeFolder(volume + QLatin1String(name)));
    ASSERT_TRUE(testsupport::writeFile(volume + QStringLiteral("/Mine/Own/root's")));
    // bob's folders, and dave's, one of which not even dave can read.
    const auto owner = [&volume](const char *name, uid_t user, mode_t mode = 0755) {
        const QByteArray path = QFile::encodeName(volume + QLatin1String(name));
        return ::chown(path.constData(), user, user) == 0 && ::chmod(path.constData(), mode) == 0;
    };
    for (const char *bobs : {"/home/bob", "/home/bob/.ssh"})
        ASSERT_TRUE(owner(bobs, 4242));
    ASSERT_TRUE(owner("/Shared/bob", 4242, 0700));
    for (const char *daves : {"/Mine", "/Mine/Own", "/Mine/Locked", "/Shelf/Mine"})
        ASSERT_TRUE(owner(daves, 4444));
    ASSERT_TRUE(owner("/Mine/Locked/Inside", 4444, 0));
    ASSERT_EQ(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
    fw::SetOtherVolumesOverride(QList<fw::Volume>{{QStringLiteral("vol"), volume}, {"rootbind", rootBind}});
    const auto noVolumes = qScopeGuard([] { fw::SetOtherVolumesOverride(std::nullopt); });
    addProduct("Quillary", "", "QvayWqj5");

    for (const char *named : {"vol:home:bob:", "vol:home:bob:Docs:", "rootbind:etc:", "vol:people:carol:",
                              "vol:people:", "vol:Shared:"}) {
        writeRecord(kQuillaryPrefs, "pref", testsupport::prefRecord(record("", "", named)));
        collect();
        EXPECT_TRUE(pieces().empty()) << named;
    }
    writeRecord(kQuillaryPrefs, "pref", testsupport::prefRecord(record("", "", "vol:Quillary:")));
    collect();
    EXPECT_EQ(pieces(), (std::vector<Piece>{piece(volume + QStringLiteral("/Quillary"), "DD")}));

    // dave, who is not root, keeps files in his folders, below root's too; not in root's, in bob's, nor
    // in his own holding a folder he cannot read.
    for (const char *daves : {"/Mine/Own", "/Shelf/Mine"})
        EXPECT_EQ(isUsersLocationFor(4444, volume + QLatin1String(daves)), true) << daves;
    for (const char *notDaves : {"/Quillary", "/Shelf", "/home/bob", "/Mine"})
        EXPECT_EQ(isUsersLocationFor(4444, volume + QLatin1String(notDaves)), false) << notDaves;

    // The same folder is not the user's to give when the home folder lies on that volume.
    const QString alice = volume + QStringLiteral("/alice");
    ASSERT_TRUE(testsupport::makeMacHomeLayout(alice));
    ASSERT_TRUE(testsupport::writeFile(alice + "/Library/Preferences/" + kQuillaryPrefs + "/pref",
                                       testsupport::prefRecord(record("", "", "vol:Quillary:"))));
    qputenv("HOME", QFile::encodeName(alice));
    const auto ownHome = qScopeGuard([this] { qputenv("HOME", QFile::encodeName(home.path())); });
    collect();
    EXPECT_TRUE(pieces().empty());
}

TEST_F(DocumentsTest, aCollectionReadsTheMountTableOnce_howeverManyRecordsItResolves)
{
    const QString documents = folder(QStringLiteral("Docs"));
    const QByteArray colonPath = "Startup" + documents.toUtf8().replace('/', ':') + ":";
    writeRecord(kQuillaryPrefs, "pref", testsupport::prefRecord(record(colonPath, colonPath, colonPath)));
    for (int i = 0; i < 20; ++i)
        addProduct(qPrintable(QStringLiteral("Quillary %1").arg(i)), "", "QvayWqj5");
    int reads = 0;
    fw::SetMountTableReadHook([&reads] { ++reads; });
    const auto noHook = qScopeGuard([] { fw::SetMountTableReadHook({}); });

    collect();
    EXPECT_EQ(pieces(), (std::vector<Piece>{piece(documents, "DD")}));
    EXPECT_EQ(reads, 1);
    // A run reads it anew: a volume mounted since is seen.
    collect();
    EXPECT_EQ(reads, 2);
}

TEST_F(DocumentsTest, aVolumePluggedInWhileTheChooserIsOpen_givesTheFolderChosenOnIt)
{
    testsupport::PrivateMounts mounts;
    const QString volume = QStringLiteral("/media/USB");
    const QString documents = volume + QStringLiteral("/Quillary/Documents");
    if (!mounts.mount({}, QStringLiteral("/media")) || !testsupport::makeFolder(volume))
        GTEST_SKIP() << "needs root, and file systems mounted in a namespace of its own";
    writeRecord(kQuillaryPrefs, "pref",
                testsupport::prefRecord(record("", "", goneAlias("USB:Quillary:Documents"))));
    addProduct("Quillary", "", "QvayWqj5");

    // Asked to choose the folder again, the user plugs the volume in and chooses the folder on it.
    testsupport::ModalAnswers dialogs({testsupport::acceptMessage(), [&](QWidget *chooser) {
                                           return mounts.mount({}, volume) &&
                                                  testsupport::makeFolder(documents) &&
                                                  testsupport::choose(documents)(chooser);
                                       }});
    collect();
    EXPECT_TRUE(dialogs.allAnswered());
    EXPECT_EQ(pieces(), (std::vector<Piece>{piece(documents, "DD")}));
}

} // namespace
