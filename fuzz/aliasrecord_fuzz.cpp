#include "framework/aliasrecord.h"
#include "util/aliaspath.h"
#include "util/decrareetc.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Alias records come from files that other programs wrote: parsing, resolving and reading the stored
// path must stay within the bytes, whatever they hold.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const fw::String text = fw::String::fromBytes(bytes);
    fw::ParseAliasRecord(bytes);
    Globals::gAbsPath_ex(text);
    const fw::Handle h = DecrareEtc::TextToHandle(text);
    fw::FSSpec target;
    bool changed = false;
    if (fw::ResolveAlias(nullptr, h, target, changed) == fw::noErr)
        DecrareEtc::GetFullPath(target.vRefNum, target.parID);
    fw::DisposeHandle(h);
    return 0;
}
