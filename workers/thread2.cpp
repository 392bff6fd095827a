#include "workers/thread2.h"

#include "catalogue/catalogue.h"
#include "framework/executables.h"
#include "framework/folderdialogs.h"
#include "framework/listbox.h"
#include "framework/specialfolder.h"
#include "framework/treewalk.h"
#include "ui/kindcodes.h"
#include "ui/window1.h"
#include "util/cautiondialog.h"
#include "util/debugconsolemodule.h"
#include "util/globals.h"

#include <QByteArrayView>
#include <QSet>

#include <algorithm>
#include <climits>

#include <sys/stat.h>

using fw::FolderItem;
using fw::String;

namespace {

// A catalogue value as text; a key the row lacks reads as the empty text, which matches nothing.
String rowText(const fw::Dictionary &row, const String &key)
{
    return row.HasKey(key) ? row.Value(key).StringValue() : String();
}

String numbered(const char *stem, int32_t number)
{
    return String(stem) + fw::Str(int64_t{number});
}

// The text as the framework's search that ignores case compares it: each character case-folded, so
// that a plain search in folded texts finds what that search finds.
QString foldedForSearch(const QString &text)
{
    QString folded;
    folded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            folded.append(QChar::fromUcs4(QChar::toCaseFolded(QChar::surrogateToUcs4(c, text.at(i + 1)))));
            ++i;
        } else {
            folded.append(c.toCaseFolded());
        }
    }
    return folded;
}

// One bit for each character a text holds: a text can hold another only when it has all its bits,
// which rules most names out without a search.
quint64 lettersOf(const QString &folded)
{
    quint64 letters = 0;
    for (const QChar c : folded)
        letters |= quint64{1} << (c.unicode() % 64);
    return letters;
}

// The entries a matched folder's tree is looked through up to: a larger tree is not taken whole.
constexpr size_t kTreeLookBound = 10000;

// Whether the name ends in "." and the extension, ignoring case.
bool hasExtension(QByteArrayView name, QByteArrayView dottedExtension)
{
    return name.size() >= dottedExtension.size() &&
           name.last(dottedExtension.size()).compare(dottedExtension, Qt::CaseInsensitive) == 0;
}

} // namespace

void Thread2::Event_Run()
{
    // The framework's own long loops (a wide folder's listing, a look through a tree) answer Stop too.
    SetStopPoint([this] {
        if (pWin1->pStopThread2)
            KillMyself(pMode == "GetItem" ? "killGet" : "killFind");
    });
    if (pMode == "GetItem")
        GetItem();
    else if (pMode == "FindItem")
        FindItem();
    ResetMainWinInfo(pMode);
}

void Thread2::GetItem()
{
    fw::Listbox &list = pWin1->Listbox1();
    list.DeleteAllRows();
    pWin1->pFI.clear();
    pWin1->pCountGet = 1;
    pWin1->pCountFind = 0;
    ShowProgress("GetItem");
    // The expansion below counts on the rows staying where they are: the user expands nothing
    // while the collection runs.
    list.setUserExpansionEnabled(false);
    GetItem2();
    const int count = list.ListCount();
    for (int row = count - 1; row >= 0; --row) {
        if (pWin1->pStopThread2)
            KillMyself("killGet");
        list.setExpanded(row, true);
        fw::Yield();
    }
}

void Thread2::ShowProgress(const String &mode)
{
    pWin1->showRunning(mode == "GetItem" ? "取得中..."
                                         : "取得中...（検索範囲によっては数分かかる場合があります。）");
}

void Thread2::ResetMainWinInfo(const String &mode)
{
    // After a search the list holds no pieces to move.
    const Window1::MoveToTrash moveToTrash =
        mode == "GetItem" || mode == "killGet" ? Window1::MoveToTrash::On : Window1::MoveToTrash::Off;
    if (mode == "killGet" || mode == "killFind")
        pWin1->showStopped(moveToTrash);
    else
        pWin1->showIdle(moveToTrash);
}

void Thread2::KillMyself(const String &stopMode)
{
    ResetMainWinInfo(stopMode);
    Kill();
    std::abort(); // Kill on the thread itself does not return
}

void Thread2::GetItem2()
{
    // The catalogue's size is read again after every yield. NOLINTNEXTLINE(modernize-loop-convert)
    for (size_t index = 0; index < Globals::gItem.size(); ++index) {
        const fw::Dictionary &row = Globals::gItem[index];
        String list;
        const int32_t count = fw::ToInt32(fw::Val(rowText(row, "appCount")));
        // A count larger than the applications the row names stops at the first one it lacks.
        m_rowApplications.clear();
        for (int32_t app = 1; app <= count; ++app) {
            const String nameKey = numbered("appName", app);
            const String typeKey = numbered("appType", app);
            if (!row.HasKey(nameKey) && !row.HasKey(typeKey))
                break;
            m_rowApplications.push_back(wantedApplication(rowText(row, nameKey), rowText(row, typeKey)));
        }
        for (const WantedApplication &application : m_rowApplications) {
            list = GetItemApp(list, application.name, application.type);
            fw::Yield();
        }
        list = GetItemPref(list, rowText(row, "prefName"));
        list = GetItemPlist(list, rowText(row, "plistNam"));
        list = GetItemAS(list, rowText(row, "apSpName"));
        if (row.HasKey("docType1"))
            list = GetItemDoc(list, rowText(row, "docType1"));
        SetItem(list, rowText(row, "appLabel"));
        fw::Yield();
    }
}

void Thread2::SetItem(const String &list, const String &label)
{
    if (list.isEmpty())
        return;
    fw::Listbox &listbox = pWin1->Listbox1();
    listbox.AddFolder(label);
    const int row = listbox.LastIndex();
    listbox.setCellType(row, Window1::NameColumn, fw::Listbox::TypeCheckBox);
    listbox.setCellCheck(row, Window1::NameColumn, true);
    listbox.setCell(row, Window1::ReferenceColumn, list);
}

String Thread2::registerPiece(const String &list, const FolderItem &item, const String &kind)
{
    if (!m_protected)
        m_protected.emplace();
    if (m_protected->Protects(item))
        return list;
    return list + fw::Str(int64_t{pWin1->AddFIlist(item, kind)}) + ":";
}

FolderItem Thread2::FolderApp()
{
    if (m_applications.isNil())
        m_applications = fw::SpecialFolder::Applications();
    return m_applications;
}

String Thread2::GetItemApp(const String &list, const String &appName, const String &appType)
{
    return GetItemApp2(FolderApp(), list, appName, appType);
}

String Thread2::GetItemApp2(const FolderItem &folder, const String &list, const String &appName,
                            const String &appType)
{
    const WantedApplication wanted = wantedApplication(appName, appType);
    String result = list;
    for (int i = 1; i <= folder.Count(); ++i) {
        if (pWin1->pStopThread2)
            KillMyself("killGet");
        ApplicationsEntry &entry = applicationsEntry(folder, i);
        if (entry.candidate && matchesEntry(entry, wanted))
            result = registerMatchedFolder(result, entry, wanted);
        fw::Yield();
    }
    return result;
}

bool Thread2::MatchApp(const FolderItem &item, const String &appName, const String &appType)
{
    // An empty code would accept every package without PkgInfo and every file without a type.
    if (appType.isEmpty())
        return false;
    static const String byNameAndMaker("APPL----");
    if (appType == byNameAndMaker)
        return MatchAppFN(item, appName);
    const ItemFacts &facts = factsOf(item);
    if (facts.package)
        return MatchAppF(item, appType);
    if (facts.look.directory)
        return MatchAppD(item, appType);
    return false;
}

bool Thread2::MatchAppF(const FolderItem &item, const String &appType)
{
    if (typeCreOf(item) == appType) {
        DebugConsoleModule::TRACE(String("MatchAppF(YES) ") + item.Name());
        return true;
    }
    DebugConsoleModule::TRACE(String("MatchAppF(NO) ") + item.Name());
    return false;
}

bool Thread2::MatchAppD(const FolderItem &item, const String &appType)
{
    // A yield after every child that does not match. NOLINTNEXTLINE(readability-use-anyofallof)
    for (const ChildApplication &application : applicationsIn(item)) {
        if (application.code == appType)
            return true;
        fw::Yield();
    }
    return false;
}

std::vector<Thread2::ChildApplication> Thread2::applicationsIn(const FolderItem &folder)
{
    static const String app("app");
    static const String fold("fold");
    static const String application("APPL");
    std::vector<ChildApplication> applications;
    for (int i = 1; i <= folder.Count(); ++i) {
        const FolderItem child = folder.Item(i);
        const FolderItem::Look look = child.isNil() ? FolderItem::Look() : child.LookAt();
        const bool package = look.macType == fold && Globals::gExtractExtn(child.Name()) == app;
        if (look.exists && (package || look.macType == application)) {
            // As gGetTypeCre: a package's PkgInfo, any other item's type and creator.
            const String code = package ? Globals::gGetTypeCre(child) : look.macType + look.macCreator;
            applications.push_back({child, code, code.toQString()});
        }
        fw::Yield();
    }
    return applications;
}

Thread2::TreeApplications Thread2::applicationsInTree(const FolderItem &folder,
                                                      const std::vector<ChildApplication> &children)
{
    static const String application("APPL");
    TreeApplications tree;
    tree.applications = children;
    QSet<QByteArray> known;
    for (const ChildApplication &child : children)
        known.insert(child.item.nativePath());
    const QByteArray &top = folder.nativePath();
    // A folder that is itself the maker's application (its Info.plist names the maker) keeps its own
    // innards, as a package does.
    const FolderItem contents = folder.Child("Contents");
    const auto visit = [&](const fw::TreeEntry &entry) {
        // A link goes as itself: what it leads to stays.
        if (known.contains(entry.path) || S_ISLNK(entry.mode))
            return fw::TreeStep::Pass;
        const bool own = entry.path.size() == top.size() + 1 + entry.name.size();
        const FolderItem item = FolderItem::fromNativePath(entry.path);
        if (S_ISDIR(entry.mode)) {
            if (hasExtension(entry.name, ".app")) {
                const String code = Globals::gGetTypeCre(item);
                tree.applications.push_back({item, code, code.toQString()});
                return fw::TreeStep::Pass;
            }
            return own && item == contents && Globals::gGetTypeFileInfo(folder) ? fw::TreeStep::Pass
                                                                                : fw::TreeStep::Enter;
        }
        const fw::Executable executable = fw::ExecutableAt(entry.path);
        // A file that may be a program but cannot be read: the tree cannot be wholly told.
        if (executable == fw::Executable::Unreadable)
            return fw::TreeStep::End;
        const FolderItem::Look look = item.LookAt();
        if (executable == fw::Executable::Program || look.macType == application ||
            hasExtension(entry.name, ".AppImage")) {
            const String code = look.macType + look.macCreator;
            tree.applications.push_back({item, code, code.toQString()});
        }
        return fw::TreeStep::Pass;
    };
    tree.whole = fw::WalkTree(top, kTreeLookBound, visit) == fw::TreeWalkEnd::Whole;
    return tree;
}

Thread2::WantedApplication Thread2::wantedApplication(const String &appName, const String &appType)
{
    WantedApplication wanted;
    wanted.name = appName;
    wanted.type = appType;
    // An empty code would accept every package without PkgInfo and every file without a type.
    if (appType.isEmpty())
        return wanted;
    static const String byNameAndMaker("APPL----");
    if (appType == byNameAndMaker) {
        wanted.by = WantedApplication::By::NameAndMaker;
        wanted.text = foldedForSearch(appName.toQString());
        wanted.letters = lettersOf(wanted.text);
    } else {
        wanted.by = WantedApplication::By::Code;
        wanted.text = appType.toQString();
    }
    return wanted;
}

Thread2::ApplicationsEntry &Thread2::applicationsEntry(const FolderItem &folder, int index)
{
    if (m_applicationsEntries.empty())
        m_applicationsEntries.resize(static_cast<size_t>(folder.Count()));
    ApplicationsEntry &entry = m_applicationsEntries[static_cast<size_t>(index - 1)];
    if (!entry.looked) {
        entry.looked = true;
        entry.item = folder.Item(index);
        const ItemFacts &facts = factsOf(entry.item);
        entry.candidate = facts.look.exists && facts.look.visible && fw::LeftB(facts.name, 1) != "." &&
                          facts.look.directory && !facts.package;
        entry.foldedName = foldedForSearch(facts.name.toQString());
        entry.letters = lettersOf(entry.foldedName);
    }
    return entry;
}

const std::vector<Thread2::ChildApplication> &Thread2::applicationsOf(ApplicationsEntry &entry)
{
    if (!entry.applications)
        entry.applications = applicationsIn(entry.item);
    return *entry.applications;
}

const Thread2::TreeApplications &Thread2::treeApplicationsOf(ApplicationsEntry &entry)
{
    if (!entry.tree)
        entry.tree = applicationsInTree(entry.item, applicationsOf(entry));
    return *entry.tree;
}

// MatchApp on a candidate of the Applications folder (a folder, never a package), answered from what
// the run has read of it: MatchAppFN's name test, or MatchAppD.
bool Thread2::matchesEntry(ApplicationsEntry &entry, const WantedApplication &wanted)
{
    switch (wanted.by) {
    case WantedApplication::By::Nothing:
        return false;
    case WantedApplication::By::NameAndMaker:
        return (wanted.letters & ~entry.letters) == 0 && entry.foldedName.contains(wanted.text) &&
               MatchAppFN(entry.item, wanted.name);
    case WantedApplication::By::Code:
        for (const ChildApplication &application : applicationsOf(entry)) {
            if (application.codeText == wanted.text && application.code == wanted.type)
                return true;
            fw::Yield();
        }
        return false;
    }
    return false;
}

bool Thread2::isRowApplication(const ChildApplication &application, const WantedApplication &wanted)
{
    switch (wanted.by) {
    case WantedApplication::By::Nothing:
        return false;
    case WantedApplication::By::NameAndMaker:
        return MatchAppFN(application.item, wanted.name);
    case WantedApplication::By::Code:
        return application.codeText == wanted.text && application.code == wanted.type;
    }
    return false;
}

String Thread2::registerMatchedFolder(const String &list, ApplicationsEntry &entry,
                                      const WantedApplication &wanted)
{
    const TreeApplications &tree = treeApplicationsOf(entry);
    const bool onlyTheRows =
        tree.whole &&
        std::all_of(tree.applications.begin(), tree.applications.end(), [&](const auto &application) {
            return std::any_of(
                m_rowApplications.begin(), m_rowApplications.end(),
                [&](const auto &rowApplication) { return isRowApplication(application, rowApplication); });
        });
    if (onlyTheRows)
        return GetItemApp3(list, entry.item);
    String result = list;
    for (const ChildApplication &application : applicationsOf(entry)) {
        if (isRowApplication(application, wanted))
            result = registerPiece(result, application.item, KindCode::Application);
        fw::Yield();
    }
    return result;
}

bool Thread2::MatchAppFN(const FolderItem &item, const String &appName)
{
    // Only a folder holds Contents: a file is no application by name, and a link is never entered.
    const ItemFacts &facts = factsOf(item);
    return facts.look.directory && fw::InStr(0, facts.name, appName) > 0 && Globals::gGetTypeFileInfo(item);
}

String Thread2::GetItemApp3(const String &list, const FolderItem &item)
{
    return registerPiece(list, item,
                         Globals::gExtractExtn(item.Name()) == "app" ? KindCode::Application
                                                                     : KindCode::ApplicationFolder);
}

FolderItem Thread2::FolderPref()
{
    if (m_preferences.isNil())
        m_preferences = fw::SpecialFolder::Preferences();
    return m_preferences;
}

FolderItem Thread2::FolderAS()
{
    if (m_applicationSupport.isNil())
        m_applicationSupport = fw::SpecialFolder::ApplicationData();
    return m_applicationSupport;
}

String Thread2::GetItemPref(const String &list, const String &prefName)
{
    if (pWin1->pStopThread2)
        KillMyself("killGet");
    const FolderItem folder = FolderPref().Child(prefName);
    if (!folder.isNil() && folder.Exists())
        return registerPiece(list, folder, KindCode::Preferences);
    return list;
}

String Thread2::GetItemAS(const String &list, const String &apSpName)
{
    if (pWin1->pStopThread2)
        KillMyself("killGet");
    const FolderItem folder = FolderAS().Child(apSpName);
    if (!folder.isNil() && folder.Exists())
        return registerPiece(list, folder, KindCode::ApplicationSupport);
    return list;
}

String Thread2::GetItemPlist(const String &list, const String &plistNam)
{
    if (pWin1->pStopThread2)
        KillMyself("killGet");
    const QString wanted = foldedForSearch(plistNam.toQString());
    const quint64 letters = lettersOf(wanted);
    const bool quillary = plistNam == "Quillary";
    String result = list;
    for (const PreferencesEntry &entry : preferencesEntries()) {
        // The folded forms only rule names out; the framework's own search decides.
        const bool candidate = entry.holdsPlist && (letters & ~entry.letters) == 0 &&
                               entry.foldedName.contains(wanted) && fw::InStr(0, entry.name, plistNam) > 0;
        if (candidate &&
            !(quillary && fw::InStr(0, entry.name, "Quillary") > 0 && fw::InStr(0, entry.name, "Dorven") > 0))
            result = registerPiece(result, entry.item, KindCode::Plist);
        fw::Yield();
    }
    return result;
}

const std::vector<Thread2::PreferencesEntry> &Thread2::preferencesEntries()
{
    if (!m_preferencesEntries) {
        std::vector<PreferencesEntry> entries;
        const FolderItem prefs = FolderPref();
        for (int i = 1; i <= prefs.Count(); ++i) {
            PreferencesEntry entry;
            entry.item = prefs.Item(i);
            entry.name = entry.item.Name();
            entry.foldedName = foldedForSearch(entry.name.toQString());
            entry.letters = lettersOf(entry.foldedName);
            entry.holdsPlist = fw::InStr(0, entry.name, "plist") > 0;
            entries.push_back(std::move(entry));
            fw::Yield();
        }
        m_preferencesEntries = std::move(entries);
    }
    return *m_preferencesEntries;
}

const Thread2::ItemFacts &Thread2::factsOf(const FolderItem &item)
{
    if (m_facts.item.isNil() || !(m_facts.item == item)) {
        // Made once: every item the search meets is compared with them.
        static const QByteArray dot(".");
        static const QByteArray app(".app");
        static const String fold("fold");
        m_facts = ItemFacts();
        m_facts.item = item;
        m_facts.look = item.LookAt();
        m_facts.name = item.Name();
        // As gExtractExtn splits the name: at its last ".".
        const qsizetype at = m_facts.name.bytes().lastIndexOf('.');
        m_facts.dottedExtension = at < 0 ? dot : m_facts.name.bytes().mid(at);
        // A folder's type is "fold": the package test without a second look.
        m_facts.package = m_facts.dottedExtension == app && m_facts.look.macType == fold;
    }
    return m_facts;
}

const String &Thread2::typeCreOf(const FolderItem &item)
{
    factsOf(item);
    if (!m_facts.typeCreRead) {
        // As gGetTypeCre: a package's PkgInfo, any other item's type and creator.
        m_facts.typeCre =
            m_facts.package ? Globals::gPackageTypeCre(item) : m_facts.look.macType + m_facts.look.macCreator;
        m_facts.typeCreRead = true;
    }
    return m_facts.typeCre;
}

void Thread2::readSearchCatalogue()
{
    m_searchRows.clear();
    m_rowByCode.clear();
    m_rowByExtension.clear();
    for (const fw::Dictionary &row : Globals::gItem) {
        SearchRow &searchRow = m_searchRows.emplace_back();
        if (!row.HasKey("appLabel"))
            continue;
        searchRow.label = row.Value("appLabel").StringValue();
        const int32_t apps = row.HasKey("appCount") ? fw::ToInt32(fw::Val(rowText(row, "appCount"))) : 0;
        for (int32_t number = 1; number <= apps; ++number) {
            const String typeKey = numbered("appType", number);
            if (!row.HasKey(typeKey))
                break;
            searchRow.applications.emplace_back(rowText(row, numbered("appName", number)),
                                                row.Value(typeKey).StringValue());
        }
        const size_t index = m_searchRows.size() - 1;
        const int32_t docs = row.HasKey("docCount") ? fw::ToInt32(fw::Val(rowText(row, "docCount"))) : 0;
        for (int32_t number = 1; number <= docs; ++number) {
            const String typeKey = numbered("docType", number);
            if (!row.HasKey(typeKey))
                break;
            const QByteArray type = fw::nativeBytes(row.Value(typeKey).StringValue());
            // An empty type would take every item without a type and creator for a document.
            if (!type.isEmpty() && !m_rowByCode.contains(type))
                m_rowByCode.insert(type, index);
            if (type.startsWith('.') && !m_rowByExtension.contains(type))
                m_rowByExtension.insert(type, index);
        }
    }
}

void Thread2::FindItem()
{
    if (pWin1->pCountGet != 0 && pWin1->pCountFind == 0 &&
        Globals::gCautionDlg(pWin1, true, 2, "", "キャンセル", "",
                             "本処理を実行すると、自動取得リストはクリアされます。続けますか？", "") == 1)
        return;
    fw::SelectFolderDialog dialog;
    dialog.PromptText = "検索を開始するフォルダを指定して下さい。";
    dialog.InitialDirectory = fw::SpecialFolder::Documents();
    const FolderItem folder = dialog.ShowModalWithin(pWin1);
    if (folder.isNil())
        return;
    if (pWin1->pCountFind == 0) {
        pWin1->Listbox1().DeleteAllRows();
        pWin1->pFI.clear();
    }
    ++pWin1->pCountFind;
    ShowProgress("FindItem");
    readSearchCatalogue();
    FindItem2(folder);
}

void Thread2::FindItem2(const FolderItem &folder)
{
    // The folders being walked, each with the number of its next entry: however deep the tree, the walk
    // takes no stack frame per level.
    std::vector<std::pair<FolderItem, int>> walking{{folder, 1}};
    while (!walking.empty()) {
        if (pWin1->pStopThread2)
            KillMyself("killFind");
        auto &[current, next] = walking.back();
        if (next > current.Count()) {
            walking.pop_back();
            continue;
        }
        const FolderItem child = current.Item(next++);
        // A name that begins with "." is skipped whatever the item is: it is not looked at at all. Nor is
        // an item whose path is too long for any call to take, as if its folder could not be read.
        const QByteArray &path = child.nativePath();
        if (path.size() < PATH_MAX && path.at(path.lastIndexOf('/') + 1) != '.') {
            const ItemFacts &facts = factsOf(child);
            if (facts.look.exists && facts.look.visible && !FindItem5(child)) {
                // Links to folders are no directories, so a cycle of links can't make the walk go round.
                if (facts.look.directory && !facts.package) {
                    walking.emplace_back(child, 1);
                } else {
                    FindItem3(child);
                    FindItem4(child);
                }
            }
        }
        fw::Yield();
    }
}

bool Thread2::listFind(const FolderItem &item, const String &label, const String &caption)
{
    // One look serves the row: the listing may be older than the item's removal, and what is gone is
    // not listed.
    const FolderItem::Status status = item.ReadStatus();
    if (status.type == 0)
        return false;
    addSearchRow(item, status, label, caption);
    return true;
}

// The first row and, within it, the lowest number whose application the item is gives the item its
// one row.
void Thread2::FindItem3(const FolderItem &item)
{
    // Only a package can be one here: other folders are walked, and a file or a link holds no Contents.
    if (!factsOf(item).package)
        return;
    for (const SearchRow &row : m_searchRows) {
        for (const auto &[name, type] : row.applications) {
            if (MatchApp(item, name, type)) {
                listFind(item, row.label, "（アプリ）");
                return;
            }
            fw::Yield();
        }
        fw::Yield();
    }
}

void Thread2::FindItem4(const FolderItem &item)
{
    if (m_rowByCode.isEmpty())
        return;
    const auto row = m_rowByCode.constFind(fw::nativeBytes(typeCreOf(item)));
    if (row != m_rowByCode.cend())
        listFind(item, m_searchRows[*row].label, "（書類）");
}

bool Thread2::FindItem5(const FolderItem &item)
{
    const auto row = m_rowByExtension.constFind(factsOf(item).dottedExtension);
    return row != m_rowByExtension.cend() && listFind(item, m_searchRows[*row].label, "（書類）");
}

void Thread2::addSearchRow(const FolderItem &item, const FolderItem::Status &status, const String &label,
                           const String &caption)
{
    fw::Listbox &list = pWin1->Listbox1();
    list.AddRow(item.DisplayName());
    const int row = list.LastIndex();
    list.setRowPicture(row, pWin1->MakeListFolIcon(item, status));
    list.setCell(row, Window1::DateColumn, Globals::gDateTime(status.modified));
    list.setCell(row, Window1::KindCaptionColumn, label + caption);
    list.setCell(row, Window1::KindCodeColumn, KindCode::SearchResult);
    list.setCell(row, Window1::ReferenceColumn, item.AbsolutePath());
}
