#pragma once

#include "framework/string.h"

#include <cstdint>

// Helpers around the handle and folder-catalogue calls that alias resolution needs.
namespace DecrareEtc {

// A new handle holding exactly the text's bytes; 0 when none can be made. The caller disposes it.
int32_t TextToHandle(const fw::String &text);
// The colon path of a folder, "Volume:folder:sub:", in the system script; empty when the folder
// cannot be found.
fw::String GetFullPath(int32_t vRefNum, int32_t dirID);

} // namespace DecrareEtc
