#include "framework/scripts.h"

#include "framework/coarseclock.h"
#include "framework/exceptions.h"
#include "framework/finderinfo.h"
#include "framework/folderitem.h"
#include "framework/itemidentity.h"
#include "framework/specialfolder.h"
#include "framework/trash.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QUrl>

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>

namespace fw {

namespace {

// A file manager that does not answer within this time is taken as absent.
constexpr int kRevealTimeoutMs = 3000;
// How long the special folders' real paths serve the moves' checks.
constexpr int64_t kSpecialFoldersValidNs = 250'000'000;

struct PreparedRun
{
    int32_t id = 0;
    std::vector<ScriptParameter> parameters;
};

std::map<int32_t, PreparedRun> g_preparedRuns;
int32_t g_nextHandle = 1;
std::vector<ScriptFailure> g_failures;
ScriptRunHook g_runHook;
RevealFailedHook g_revealFailed;

void checkId(int32_t id)
{
    if (id != kMoveFileToTrash && id != kMoveFolderToTrash && id != kRevealItem)
        throw RuntimeException("no compiled script with id " + std::to_string(id));
}

PreparedRun &preparedRun(int32_t handle)
{
    const auto it = g_preparedRuns.find(handle);
    if (it == g_preparedRuns.end())
        throw RuntimeException("no prepared script run with handle " + std::to_string(handle));
    return it->second;
}

String parameterString(const ScriptParameter &parameter)
{
    if (const auto *number = std::get_if<int32_t>(&parameter))
        return Str(int64_t{*number});
    return std::get<String>(parameter);
}

// The item's path as the system calls take it: its exact bytes.
QByteArray parameterPath(const ScriptParameter &parameter)
{
    return nativeBytes(parameterString(parameter));
}

// Absolute, without empty, "." or ".." components and without a trailing "/".
bool isCleanAbsolutePath(const QByteArray &path)
{
    if (!path.startsWith('/'))
        return false;
    if (path == "/")
        return true;
    const QList<QByteArray> names = path.mid(1).split('/');
    return std::none_of(names.begin(), names.end(),
                        [](const QByteArray &name) { return name.isEmpty() || name == "." || name == ".."; });
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

bool isApplicationFolder(const QByteArray &path)
{
    return nameOf(path).endsWith(".app");
}

// Moves one item; false (with the reason recorded) when it is not in the Trash, where the desktop
// can give it back.
bool moveToTrash(const String &shown, const QByteArray &path)
{
    const TrashResult result = MoveToTrash(path);
    switch (result.outcome) {
    case TrashOutcome::Moved:
        return true;
    case TrashOutcome::Refused:
        RecordScriptFailure({shown, MoveFailure::TrashRefused, {}});
        break;
    case TrashOutcome::PutBack:
        RecordScriptFailure({shown, MoveFailure::TrashNotRecorded, {}});
        break;
    case TrashOutcome::Stranded:
        RecordScriptFailure(
            {shown, MoveFailure::TrashStranded, String::fromBytes(result.liesAt, Encodings::UTF8())});
        break;
    }
    return false;
}

// The special folders' real paths, resolved at most once in a while rather than for every move: a run
// of many moves asks the file system a few times, and a change to them is seen within the interval.
const SpecialFolder::ProtectedLocations &specialLocations()
{
    static std::optional<SpecialFolder::ProtectedLocations> locations;
    static int64_t resolvedAt = 0;
    const int64_t now = CoarseNanoseconds();
    if (!locations || now - resolvedAt > kSpecialFoldersValidNs) {
        locations.emplace();
        resolvedAt = now;
    }
    return *locations;
}

// Checks the item again just before the move: the list may be minutes old. With the identity the
// item had when it was found (the second parameter), that identity decides, whichever script runs:
// a link goes as itself, a file as a file, a folder as a folder. Without it the script's kind does.
void trashItem(const std::vector<ScriptParameter> &parameters, bool folderScript)
{
    const String shown = parameterString(parameters.front());
    const QByteArray path = nativeBytes(shown);
    if (!isCleanAbsolutePath(path)) {
        RecordScriptFailure({shown, MoveFailure::BadPath, {}});
        return;
    }
    struct stat status = {};
    if (lstat(path.constData(), &status) != 0) {
        RecordScriptFailure({shown, MoveFailure::NotFound, {}});
        return;
    }
    if (parameters.size() > 1) {
        // Reached without following a link in any folder on the way: a folder swapped for a link
        // since the item was found leads elsewhere.
        const std::optional<ItemIdentity> found = ItemIdentity::fromText(parameterString(parameters[1]));
        if (!found || IdentityOf(path) != found) {
            RecordScriptFailure({shown, MoveFailure::ChangedSinceFound, {}});
            return;
        }
    } else {
        // lstat: a link is never a folder here, so a link goes as itself, never its target.
        const bool isFolder = S_ISDIR(status.st_mode);
        if (folderScript ? !isFolder : isFolder && !isApplicationFolder(path)) {
            RecordScriptFailure({shown, MoveFailure::KindChanged, {}});
            return;
        }
    }
    // A copy: the folders of the items are resolved afresh for each move.
    if (SpecialFolder::ProtectedLocations(specialLocations()).Protects(FolderItem::fromNativePath(path))) {
        RecordScriptFailure({shown, MoveFailure::Protected, {}});
        return;
    }
    if (!moveToTrash(shown, path))
        return;
    // The item's metadata sidecar goes with it.
    const QByteArray sidecar = FinderInfo::sidecarPath(path);
    struct stat sidecarStatus = {};
    if (lstat(sidecar.constData(), &sidecarStatus) == 0 && S_ISREG(sidecarStatus.st_mode))
        moveToTrash(String::fromBytes(sidecar, Encodings::UTF8()), sidecar);
}

// Opens the folder that holds the item with the desktop's default handler.
void openHoldingFolder(const FolderItem &item)
{
    const FolderItem parent = item.Parent();
    const FolderItem &folder = parent.isNil() ? item : parent;
    if (!QDesktopServices::openUrl(folder.url()) && g_revealFailed)
        g_revealFailed(folder.AbsolutePath());
}

void reveal(const QByteArray &path)
{
    const FolderItem item = FolderItem::fromNativePath(path);
    if (!item.Exists())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openHoldingFolder(item);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{item.url().toString(QUrl::FullyEncoded)} << QString();
    // The window never waits on the file manager: an error, or no answer in time, opens the folder.
    auto *watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(call, kRevealTimeoutMs), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [item](QDBusPendingCallWatcher *answered) {
        if (answered->isError())
            openHoldingFolder(item);
        answered->deleteLater();
    });
}

void run(int32_t id, const std::vector<ScriptParameter> &parameters)
{
    if (g_runHook) {
        g_runHook(id, parameters);
        return;
    }
    // Every script acts on an item; without one there is nothing to do.
    if (parameters.empty())
        return;
    switch (id) {
    case kMoveFileToTrash:
        trashItem(parameters, false);
        break;
    case kMoveFolderToTrash:
        trashItem(parameters, true);
        break;
    case kRevealItem:
        reveal(parameterPath(parameters.front()));
        break;
    }
}

} // namespace

void ScriptExecute(int32_t id)
{
    checkId(id);
    run(id, {});
}

int32_t StartParamScript(int32_t id)
{
    checkId(id);
    const int32_t handle = g_nextHandle++;
    g_preparedRuns.emplace(handle, PreparedRun{id, {}});
    return handle;
}

void AddIntegerScriptParam(int32_t handle, int32_t value)
{
    preparedRun(handle).parameters.emplace_back(value);
}

void AddStringScriptParam(int32_t handle, const String &text)
{
    preparedRun(handle).parameters.emplace_back(text);
}

void CompleteParamScriptExecute(int32_t handle)
{
    const PreparedRun prepared = std::move(preparedRun(handle));
    g_preparedRuns.erase(handle);
    run(prepared.id, prepared.parameters);
}

void RecordScriptFailure(ScriptFailure failure)
{
    g_failures.push_back(std::move(failure));
}

std::vector<ScriptFailure> TakeScriptFailures()
{
    return std::exchange(g_failures, {});
}

void SetRevealFailedHook(RevealFailedHook hook)
{
    g_revealFailed = std::move(hook);
}

void SetScriptRunHook(ScriptRunHook hook)
{
    g_runHook = std::move(hook);
}

} // namespace fw
