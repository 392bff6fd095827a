#include "tests/support/samplehome.h"

#include "framework/string.h"
#include "framework/volumes.h"
#include "tests/support/fixtures.h"
#include "tests/support/machome.h"
#include "tests/support/records.h"

#include <QDir>
#include <QStringList>

#include <array>
#include <iostream>
#include <iterator>
#include <vector>

namespace testsupport {

namespace {

struct Application
{
    const char *name;
    const char *code;
};

struct Document
{
    const char *name;
    const char *type; // type and creator, 8 characters
};

struct Product
{
    const char *label;
    std::vector<Application> applications;
    std::vector<Document> documents;
    const char *prefName;
    const char *plistName;
    const char *supportName; // "" when the product keeps no Application Support folder
};

const std::vector<Product> &products()
{
    static const std::vector<Product> table = {
        {"Tessolin II",
         {{"Tessolin", "APPLWqj1"}, {"Parvella", "APPLWqj2"}},
         {{"Harbour sketch.tmx", "Tmx3Wqj1"}, {"Harbour notes.vhe", "Vhe3Wqj1"}},
         "Tessolin初期設定",
         "Tessolin",
         "Tessolin II"},
        {"Ombrisk",
         {{"Ombrisk", "APPLWqj4"}},
         {{"Mountain route.zorp", "ZorpWqj4"}},
         "Ombrisk初期設定",
         "Ombrisk",
         ""},
        {"Quillary",
         {{"Quillary", "APPLWqj5"}},
         {{"Letter.qvay", "QvayWqj5"}},
         "Quillary初期設定",
         "Quillary",
         "Quillary"},
        {"Dromaxe mini", {{"Dromaxe", "APPLWqjk"}}, {}, "Dromaxe初期設定", "Dromaxe", ""},
        {"Lunvick", {{"Lunvick", "APPLWqjm"}}, {}, "Lunvick初期設定", "Lunvick", ""},
        {"Sorbeline nano",
         {{"sorbeline", "APPLWqjr"}},
         {},
         "Sorbeline nano初期設定",
         "Sorbeline",
         "Sorbeline"},
    };
    return table;
}

class Writer
{
public:
    explicit Writer(const QString &home) : m_home(home), m_attributes(userAttributesSupported(home)) {}

    bool ok() const { return m_ok; }

    QString path(const QString &relative) const { return m_home + QLatin1Char('/') + relative; }

    void folder(const QString &relative) { check(makeFolder(path(relative)), relative); }
    void file(const QString &relative, const QByteArray &bytes)
    {
        check(writeFile(path(relative), bytes), relative);
    }
    void package(const QString &folder, const QString &name, const AppPackageOptions &options)
    {
        check(!makeAppPackage(path(folder), name, options).isEmpty(), folder + QLatin1Char('/') + name);
    }
    void sidecar(const QString &relative, const QByteArray &info, SidecarForm form = SidecarForm::Minimal)
    {
        check(writeSidecar(path(relative), info, form), relative);
    }

    // A document whose metadata is kept the way the given source keeps it; a sidecar instead where
    // the file system refuses attributes.
    enum class Source { Sidecar, SidecarWithAttributes, Netatalk, AfpInfo };
    void document(const QString &relative, const QByteArray &code, Source source)
    {
        file(relative, "sample document\n");
        const QByteArray info = finderInfo(code.left(4), code.mid(4, 4));
        const bool viaAttribute = m_attributes && (source == Source::Netatalk || source == Source::AfpInfo);
        if (!viaAttribute) {
            sidecar(relative, info,
                    source == Source::SidecarWithAttributes ? SidecarForm::WithAttributes
                                                            : SidecarForm::Minimal);
            return;
        }
        check(source == Source::Netatalk ? setNetatalkMetadata(path(relative), info)
                                         : setAfpInfo(path(relative), info),
              relative);
    }

private:
    void check(bool written, const QString &what)
    {
        if (!written) {
            std::cerr << "could not write " << what.toStdString() << '\n';
            m_ok = false;
        }
    }

    QString m_home;
    bool m_attributes;
    bool m_ok = true;
};

void writeProducts(Writer &w)
{
    static const std::array<Writer::Source, 4> sources = {Writer::Source::Sidecar,
                                                          Writer::Source::SidecarWithAttributes,
                                                          Writer::Source::Netatalk, Writer::Source::AfpInfo};
    size_t nextSource = 0;
    for (const Product &product : products()) {
        const QString label = QString::fromUtf8(product.label);
        const QString appFolder = QStringLiteral("Applications/") + label;
        for (const Application &app : product.applications)
            w.package(appFolder, QString::fromUtf8(app.name) + QStringLiteral(".app"),
                      {app.code, QStringLiteral("Velloran Software"), true});
        w.file(appFolder + QStringLiteral("/Read Me.txt"),
               "Thank you for using " + QByteArray(product.label) + ".\n");

        const QString prefs = QStringLiteral("Library/Preferences/");
        w.folder(prefs + QString::fromUtf8(product.prefName));
        w.file(prefs + QStringLiteral("jp.velloran.") + QString::fromUtf8(product.plistName) +
                   QStringLiteral(".plist"),
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict/>\n</plist>\n");
        if (*product.supportName != '\0')
            w.file(QStringLiteral("Library/Application Support/") + QString::fromUtf8(product.supportName) +
                       QStringLiteral("/Cache.db"),
                   QByteArray(512, '\0'));

        const QString documents = QStringLiteral("Documents/") + label;
        w.folder(documents);
        for (const Document &document : product.documents)
            w.document(documents + QLatin1Char('/') + QString::fromUtf8(document.name), document.type,
                       sources[nextSource++ % sources.size()]);
        if (product.documents.empty())
            w.file(documents + QStringLiteral("/Memo.txt"), "plain text, no document type\n");
    }
    // More plist files as the products leave them.
    w.file(QStringLiteral("Library/Preferences/Ombrisk Prefs.plist"), "bplist00");
    w.file(QStringLiteral("Library/Preferences/Ombrisk Prefs.plist.lockfile"), "");
    w.file(QStringLiteral("Library/Preferences/Ombrisk.plist"), "bplist00");
}

void writeUnrelated(Writer &w)
{
    const AppPackageOptions otherMaker{"APPLGlmN", QStringLiteral("Brightfold Labs"), true};
    w.package(QStringLiteral("Applications"), QStringLiteral("Glimmer Notes.app"), otherMaker);
    w.package(QStringLiteral("Applications/Utilities"), QStringLiteral("Hexpad.app"),
              {"APPLHxpd", QStringLiteral("Brightfold Labs"), true});
    w.package(QStringLiteral("Applications/Ombrisk Viewer"), QStringLiteral("Viewer.app"),
              {"APPLOmvw", QStringLiteral("Brightfold Labs"), true});
    // The maker's application where the program never looks: a dot-folder and an invisible folder.
    w.package(QStringLiteral("Applications/.Tessolin backup"), QStringLiteral("Tessolin.app"),
              {"APPLWqj1", QStringLiteral("Velloran Software"), true});
    w.package(QStringLiteral("Applications/Old Tessolin"), QStringLiteral("Tessolin.app"),
              {"APPLWqj1", QStringLiteral("Velloran Software"), true});
    w.sidecar(QStringLiteral("Applications/Old Tessolin"), finderInfo({}, {}, kInvisibleFlag));

    w.file(QStringLiteral("Library/Preferences/Quillary Dorven.plist"), "bplist00");
    w.file(QStringLiteral("Library/Preferences/Ombrisk Settings"), "not a plist\n");
    w.file(QStringLiteral("Library/Preferences/com.brightfold.glimmer.plist"), "bplist00");
    w.folder(QStringLiteral("Library/Application Support/Brightfold"));
    w.folder(QStringLiteral(".config/brightfold"));
    w.file(QStringLiteral(".profile"), "# shell profile\n");

    w.file(QStringLiteral("Documents/Shopping list.txt"), "bread\nmilk\n");
    w.document(QStringLiteral("Documents/Glimmer page.glim"), "GlmDGlmN", Writer::Source::Sidecar);
    w.document(QStringLiteral("Documents/.drafts/Draft.tmx"), "Tmx3Wqj1", Writer::Source::Sidecar);
    w.document(QStringLiteral("Documents/Hidden draft.tmx"), "Tmx3Wqj1", Writer::Source::Sidecar);
    w.sidecar(QStringLiteral("Documents/Hidden draft.tmx"), finderInfo("Tmx3", "Wqj1", kInvisibleFlag));
    w.file(QStringLiteral("Desktop/Todo.txt"), "try the uninstaller\n");
}

// Fields that the products write before and after the long ones; only 17 to 19 are read back.
QList<QByteArray> recordFields(const QByteArray &field17, const QByteArray &field18,
                               const QByteArray &field19)
{
    QList<QByteArray> fields =
        QByteArray("Velloran Software|2.1.4|1|0|640|480|ja|1|0|12|Osaka|1|0|0|1|2006|3").split('|');
    fields << field17 << field18 << field19;
    fields += QByteArray("1|0|last window 40 40 600 400|").split('|');
    return fields;
}

// The preference records of the three products that name their documents folder in one: Tessolin
// by a colon path, Quillary by an alias record, Ombrisk by an alias record of a folder since renamed.
void writeRecords(Writer &w)
{
    const QString documents = w.path(QStringLiteral("Documents"));
    PrefRecord tessolin;
    tessolin.entries = {1, 2, 3};
    tessolin.fields =
        recordFields(colonPathOf(documents, true), folderAliasOf(documents + QStringLiteral("/Tessolin II")),
                     colonPathOf(documents + QStringLiteral("/Tessolin II"), true));
    w.file(QStringLiteral("Library/Preferences/Tessolin初期設定/pref2"), pref2Record(tessolin));

    PrefRecord ombrisk;
    ombrisk.entries = {4};
    ombrisk.fields = recordFields(colonPathOf(documents + QStringLiteral("/Ombrisk"), true),
                                  folderAliasOf(documents + QStringLiteral("/Ombrisk")),
                                  folderAliasOf(w.path(QString::fromUtf8(kSampleGoneDocuments))));
    w.file(QStringLiteral("Library/Preferences/Ombrisk初期設定/pref2"), pref2Record(ombrisk));

    PrefRecord quillary;
    quillary.entries = {};
    quillary.fields =
        recordFields(colonPathOf(documents, true), colonPathOf(documents + QStringLiteral("/Quillary"), true),
                     folderAliasOf(documents + QStringLiteral("/Quillary")));
    w.file(QStringLiteral("Library/Preferences/Quillary初期設定/pref"), prefRecord(quillary));
}

} // namespace

QByteArray colonPathOf(const QString &posixPath, bool folder)
{
    QStringList names{fw::StartupVolumeName()};
    for (const QString &part : QDir::cleanPath(posixPath).split(QLatin1Char('/'), Qt::SkipEmptyParts))
        names.append(fw::MacNameFromDiskName(part));
    QString path = names.join(QLatin1Char(':'));
    if (folder)
        path += QLatin1Char(':');
    return fw::Encodings::MacJapanese()->fromUnicode(path);
}

QByteArray folderAliasOf(const QString &posixPath)
{
    const QString clean = QDir::cleanPath(posixPath);
    AliasOptions options;
    options.folder = true;
    options.volumeName = fw::Encodings::MacJapanese()->fromUnicode(fw::StartupVolumeName());
    options.targetName = fw::Encodings::MacJapanese()->fromUnicode(
        fw::MacNameFromDiskName(clean.section(QLatin1Char('/'), -1)));
    options.hfsPath = colonPathOf(clean, false);
    options.posixPath = clean.mid(1).toUtf8();
    return aliasRecord(options);
}

bool writeSampleHome(const QString &home)
{
    if (!makeMacHomeLayout(home)) {
        std::cerr << "could not make " << home.toStdString() << '\n';
        return false;
    }
    Writer writer(home);
    writeProducts(writer);
    writeRecords(writer);
    writeUnrelated(writer);
    return writer.ok();
}

} // namespace testsupport
