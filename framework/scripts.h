#pragma once

#include "framework/string.h"

#include <cstdint>
#include <functional>
#include <variant>
#include <vector>

namespace fw {

// The compiled scripts are operations of the layer, found by id:
constexpr int32_t kMoveFileToTrash = 168;   // moves a file, link or application to the Trash
constexpr int32_t kMoveFolderToTrash = 169; // moves a folder to the Trash
constexpr int32_t kRevealItem = 170;        // reveals an item in the file manager
// Each acts on its first parameter, an item's absolute path. Moves are checked again just before
// they happen and never fall back to deleting: an item that cannot go to the Trash stays in place.
// A move's optional second parameter is the identity the item had when it was found
// (ItemIdentity::toText): then either id moves the item, file, folder or link, while it is still that.

void ScriptExecute(int32_t id);
// Prepares a run with parameters; the handle names it until CompleteParamScriptExecute.
int32_t StartParamScript(int32_t id);
void AddIntegerScriptParam(int32_t handle, int32_t value);
void AddStringScriptParam(int32_t handle, const String &text);
// Runs the script with the parameters in the order added and ends the run.
void CompleteParamScriptExecute(int32_t handle);

// Why a move did not happen; the system words it for the user.
enum class MoveFailure {
    TrashRefused,      // the Trash did not take the item
    TrashNotRecorded,  // the Trash could not record where it came from, so it was moved back
    TrashStranded,     // neither recorded by the Trash nor moved back
    BadPath,           // not an absolute path without ".", ".." or empty names
    NotFound,          // nothing at the path
    ChangedSinceFound, // not the item that was found there
    KindChanged,       // a file where a folder was expected, or the other way round
    Protected          // a location that is never moved
};

// A move that did not happen: the item's path and why; for a stranded item, where it lies now.
struct ScriptFailure
{
    String path;
    MoveFailure reason;
    String liesAt;
};

// Adds a failure to those that TakeScriptFailures hands over: the layer's moves record theirs so, and
// a run hook that stands in for them may too.
void RecordScriptFailure(ScriptFailure failure);

// Hands over the failures recorded since the last call, oldest first, and forgets them.
std::vector<ScriptFailure> TakeScriptFailures();

// Hears of a reveal that showed nothing, on the main thread: no file manager answered and the folder
// that holds the item could not be opened either. Its argument is that folder's path.
using RevealFailedHook = std::function<void(const String &folder)>;
void SetRevealFailedHook(RevealFailedHook hook);

using ScriptParameter = std::variant<int32_t, String>;
using ScriptRunHook = std::function<void(int32_t id, const std::vector<ScriptParameter> &parameters)>;
// While set, every run goes to the hook instead of the layer's operations; tests watch the
// parameters that way without moving anything. An empty hook restores the operations.
void SetScriptRunHook(ScriptRunHook hook);

} // namespace fw
