#include "workers/finderscripts.h"

#include "framework/scripts.h"
#include "framework/thread.h"

#include <cstdint>

namespace {

void runScript(int32_t id, const std::vector<fw::Variant> &args)
{
    if (args.empty()) {
        fw::ScriptExecute(id);
        return;
    }
    const int32_t handle = fw::StartParamScript(id);
    // The bound is read again at every step. NOLINTNEXTLINE(modernize-loop-convert)
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (fw::VarType(args[i]) == fw::Variant::TypeInteger)
            fw::AddIntegerScriptParam(handle, args[i].IntegerValue());
        else
            fw::AddStringScriptParam(handle, args[i].StringValue());
        fw::Yield();
    }
    fw::CompleteParamScriptExecute(handle);
}

} // namespace

void deleteFile(const std::vector<fw::Variant> &args)
{
    runScript(fw::kMoveFileToTrash, args);
}

void deleteFolder(const std::vector<fw::Variant> &args)
{
    runScript(fw::kMoveFolderToTrash, args);
}

void revealFile(const std::vector<fw::Variant> &args)
{
    runScript(fw::kRevealItem, args);
}
