#include "framework/scripts.h"

#include "framework/exceptions.h"
#include "framework/folderitem.h"
#include "framework/specialfolder.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

// Qt's "signals" keyword would clash with a field name in the GIO headers.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")
#include <sys/stat.h>

#include <map>
#include <memory>
#include <string>

namespace fw {

namespace {

constexpr int32_t kMoveFileToTrash = 168;
constexpr int32_t kMoveFolderToTrash = 169;
constexpr int32_t kRevealItem = 170;

// A file manager that does not answer within this time is taken as absent.
constexpr int kRevealTimeoutMs = 3000;

struct PreparedRun
{
    int32_t id = 0;
    std::vector<ScriptParameter> parameters;
};

std::map<int32_t, PreparedRun> g_preparedRuns;
int32_t g_nextHandle = 1;
std::vector<ScriptFailure> g_failures;
ScriptRunHook g_runHook;

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

QString parameterText(const ScriptParameter &parameter)
{
    if (const auto *number = std::get_if<int32_t>(&parameter))
        return QString::number(*number);
    return std::get<String>(parameter).toQString();
}

void recordFailure(const QString &path, const char *reason)
{
    g_failures.push_back({String(path), String(reason)});
}

struct GObjectDeleter
{
    void operator()(gpointer object) const { g_object_unref(object); }
};

// Moves one item to the freedesktop.org Trash, where every file manager can put it back.
bool moveToTrash(const QString &path)
{
    const std::unique_ptr<GFile, GObjectDeleter> file(
        g_file_new_for_path(QFile::encodeName(path).constData()));
    GError *error = nullptr;
    if (g_file_trash(file.get(), nullptr, &error))
        return true;
    qWarning("cannot move %s to the Trash: %s", qUtf8Printable(path), error->message);
    g_error_free(error);
    return false;
}

bool isApplicationFolder(const QString &path)
{
    return QFileInfo(path).suffix() == QLatin1String("app");
}

// Checks the item again just before the move: the list may be minutes old.
void trashItem(const QString &path, bool folderExpected)
{
    if (!QDir::isAbsolutePath(path) || QDir::cleanPath(path) != path) {
        recordFailure(path, "パスが正しくありません");
        return;
    }
    struct stat status = {};
    if (lstat(QFile::encodeName(path).constData(), &status) != 0) {
        recordFailure(path, "見つかりません");
        return;
    }
    // lstat: a link is never a folder here, so a link goes as itself, never its target.
    const bool isFolder = S_ISDIR(status.st_mode);
    const bool kindMatches = folderExpected ? isFolder : !isFolder || isApplicationFolder(path);
    if (!kindMatches) {
        recordFailure(path, "種類が変わっています");
        return;
    }
    if (SpecialFolder::IsProtected(FolderItem::fromPath(path))) {
        recordFailure(path, "保護された場所です");
        return;
    }
    if (!moveToTrash(path)) {
        recordFailure(path, "ゴミ箱に移動できませんでした");
        return;
    }
    // The item's metadata sidecar goes with it.
    const QFileInfo item(path);
    const QString sidecar = item.dir().filePath(QStringLiteral("._") + item.fileName());
    struct stat sidecarStatus = {};
    if (lstat(QFile::encodeName(sidecar).constData(), &sidecarStatus) == 0 &&
        S_ISREG(sidecarStatus.st_mode) && !moveToTrash(sidecar))
        recordFailure(sidecar, "ゴミ箱に移動できませんでした");
}

// Opens the folder that holds the item with the desktop's default handler.
void openHoldingFolder(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

void reveal(const QString &path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openHoldingFolder(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    // The window never waits on the file manager: an error, or no answer in time, opens the folder.
    auto *watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(call, kRevealTimeoutMs), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [path](QDBusPendingCallWatcher *answered) {
        if (answered->isError())
            openHoldingFolder(path);
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
    const QString path = parameterText(parameters.front());
    switch (id) {
    case kMoveFileToTrash:
        trashItem(path, false);
        break;
    case kMoveFolderToTrash:
        trashItem(path, true);
        break;
    case kRevealItem:
        reveal(path);
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

std::vector<ScriptFailure> TakeScriptFailures()
{
    return std::exchange(g_failures, {});
}

void SetScriptRunHook(ScriptRunHook hook)
{
    g_runHook = std::move(hook);
}

} // namespace fw
