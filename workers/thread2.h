#pragma once

#include "framework/folderitem.h"
#include "framework/specialfolder.h"
#include "framework/string.h"
#include "framework/thread.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class Window1;
namespace fw {
class Dictionary;
}

// The collection thread: the automatic collection of every catalogued product's pieces ("GetItem")
// and the search of a folder that the user chooses ("FindItem"). One object per run.
class Thread2 : public fw::Thread
{
public:
    Window1 *pWin1 = nullptr;
    fw::String pMode;

    void ResetMainWinInfo(const fw::String &mode);

protected:
    void Event_Run() override;

private:
    fw::String GetItemApp(const fw::String &list, const fw::String &appName, const fw::String &appType);
    fw::String GetItemAS(const fw::String &list, const fw::String &apSpName);
    void SetItem(const fw::String &list, const fw::String &label);
    fw::String GetItemPref(const fw::String &list, const fw::String &prefName);
    fw::FolderItem FolderAS();
    fw::FolderItem FolderPref();
    fw::String GetItemPlist(const fw::String &list, const fw::String &plistNam);
    void GetItem();
    [[noreturn]] void KillMyself(const fw::String &stopMode);
    fw::String GetItemApp3(const fw::String &list, const fw::FolderItem &item);
    fw::FolderItem FolderApp();
    fw::String GetItemApp2(const fw::FolderItem &folder, const fw::String &list, const fw::String &appName,
                           const fw::String &appType);
    bool MatchApp(const fw::FolderItem &item, const fw::String &appName, const fw::String &appType);
    bool MatchAppF(const fw::FolderItem &item, const fw::String &appType);
    bool MatchAppD(const fw::FolderItem &item, const fw::String &appType);
    bool MatchAppFN(const fw::FolderItem &item, const fw::String &appName);
    void FindItem();
    void FindItem2(const fw::FolderItem &folder);
    void FindItem3(const fw::FolderItem &item);
    void FindItem4(const fw::FolderItem &item);
    void ShowProgress(const fw::String &mode);
    void GetItem2();
    bool FindItem5(const fw::FolderItem &item);
    fw::String GetItemDoc(const fw::String &L, const fw::String &docType1);
    fw::String GetItemDocDTessolin(const fw::String &L);
    fw::FolderItem GetItemDocDTessolin2(const fw::FolderItem &prefsFolder);
    fw::String GetItemDocDOmbrisk(const fw::String &L);
    fw::FolderItem GetItemDocDOmbrisk2(const fw::FolderItem &prefsFolder);
    fw::String GetItemDocDQuillary(const fw::String &L);
    fw::FolderItem GetItemDocDQuillary2(const fw::FolderItem &prefsFolder);

    // Registers a found piece and appends its index to the product's list; a protected location
    // (the home folder, a special folder, a volume, ...) is never taken for a piece.
    fw::String registerPiece(const fw::String &list, const fw::FolderItem &item, const fw::String &kind);

    // What the walk and the matchers ask of an item, worked out once per item: the folder search
    // compares one item with every type of every product.
    struct ItemFacts
    {
        fw::FolderItem item;
        fw::FolderItem::Look look;
        fw::String name;
        QByteArray dottedExtension; // "." and the extension, as extension document types read
        bool package = false;
        bool typeCreRead = false;
        fw::String typeCre;
    };
    const ItemFacts &factsOf(const fw::FolderItem &item);
    const fw::String &typeCreOf(const fw::FolderItem &item);
    ItemFacts m_facts;

    // The catalogue as the search reads it, taken once per run (the catalogue never changes after
    // start-up). A row that lacks its label or a count takes part in no test of that kind; a count
    // larger than the types the row names stops at the first one it lacks.
    struct SearchRow
    {
        fw::String label;
        std::vector<std::pair<fw::String, fw::String>> applications; // name, type-and-creator code
    };
    std::vector<SearchRow> m_searchRows;
    // The first row naming each document type, by its bytes: every type as a type-and-creator code
    // (the empty one aside), those that begin with "." also as a name extension. The walk asks them of
    // every item it meets, whatever the catalogue's size.
    QHash<QByteArray, size_t> m_rowByCode;
    QHash<QByteArray, size_t> m_rowByExtension;
    void readSearchCatalogue();

    // An application among a folder's own children (a package, or an item of type "APPL"), and its code.
    struct ChildApplication
    {
        fw::FolderItem item;
        fw::String code;
        QString codeText; // compared first: equal codes have equal texts
    };
    std::vector<ChildApplication> applicationsIn(const fw::FolderItem &folder);
    // Every application in a folder's whole tree: a package named ".app" in any case, an item of type
    // "APPL", a program file or an AppImage. Packages are not entered and links not followed. A tree
    // that could not be wholly looked through (larger than the look's bound, a folder or a program that
    // cannot be read, a path past the limit, another file system inside) is taken for one that holds
    // another maker's application. The folder's own applications, as applicationsIn gave them in
    // listing order, are taken as they are.
    struct TreeApplications
    {
        bool whole = false; // every entry of the tree was looked at
        std::vector<ChildApplication> applications;
    };
    TreeApplications applicationsInTree(const fw::FolderItem &folder,
                                        const std::vector<ChildApplication> &children);

    // An application of a catalogue row in the forms its matching compares, made once per walk.
    struct WantedApplication
    {
        enum class By { Nothing, Code, NameAndMaker };
        fw::String name;
        fw::String type;
        By by = By::Nothing;
        QString text;        // the code, or the name case-folded
        quint64 letters = 0; // of the folded name
    };
    static WantedApplication wantedApplication(const fw::String &appName, const fw::String &appType);

    // A top-level item of the Applications folder with what the matching asks of it, each read once
    // per run, when the walk first reaches it: every application of every catalogue row walks the same
    // folder, the one folder GetItemApp2 is given.
    struct ApplicationsEntry
    {
        bool looked = false;
        bool candidate = false; // exists, visible, not dot-named, a folder, not a package
        fw::FolderItem item;
        QString foldedName;
        quint64 letters = 0; // of the folded name
        std::optional<std::vector<ChildApplication>> applications;
        std::optional<TreeApplications> tree;
    };
    ApplicationsEntry &applicationsEntry(const fw::FolderItem &folder, int index);
    const std::vector<ChildApplication> &applicationsOf(ApplicationsEntry &entry);
    const TreeApplications &treeApplicationsOf(ApplicationsEntry &entry);
    bool matchesEntry(ApplicationsEntry &entry, const WantedApplication &wanted);
    std::vector<ApplicationsEntry> m_applicationsEntries;
    // A matched folder goes whole only when every application in its tree is one of the row's; else
    // only the product's own applications among its children are registered, and the rest stays.
    bool isRowApplication(const ChildApplication &application, const WantedApplication &wanted);
    fw::String registerMatchedFolder(const fw::String &list, ApplicationsEntry &entry,
                                     const WantedApplication &wanted);
    // The applications of the catalogue row being collected.
    std::vector<WantedApplication> m_rowApplications;

    // An item of the Preferences folder with its name in the form the plist matching compares, read
    // once per run: every catalogue row looks through the same folder.
    struct PreferencesEntry
    {
        fw::FolderItem item;
        fw::String name;
        QString foldedName;
        quint64 letters = 0; // of the folded name
        bool holdsPlist = false;
    };
    const std::vector<PreferencesEntry> &preferencesEntries();
    std::optional<std::vector<PreferencesEntry>> m_preferencesEntries;

    // The Applications, Preferences and Application Support folders, listed once per run, and the
    // protected locations' real paths, resolved once per run.
    fw::FolderItem m_applications;
    fw::FolderItem m_preferences;
    fw::FolderItem m_applicationSupport;
    std::optional<fw::SpecialFolder::ProtectedLocations> m_protected;
    // Where documents folders may lie, with the accounts read once per run and the mount table once
    // until something is mounted or unmounted.
    std::optional<fw::SpecialFolder::UserLocations> m_userLocations;

    // Lists the search's find as the row's, unless it is gone: the listing may be older than its removal.
    bool listFind(const fw::FolderItem &item, const fw::String &label, const fw::String &caption);
    // The documents folder of a product: its preferences folder's record read, and registered.
    fw::String documentsFolderPiece(const fw::String &L, const fw::String &prefsFolderName,
                                    fw::FolderItem (Thread2::*reader)(const fw::FolderItem &));
    // The collection's stop point in the documents readers: KillMyself when the user pressed Stop.
    void endRunIfStopped();
    void addSearchRow(const fw::FolderItem &item, const fw::FolderItem::Status &status,
                      const fw::String &label, const fw::String &caption);
};
