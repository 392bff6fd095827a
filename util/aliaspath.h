#pragma once

#include "framework/string.h"

namespace AliasPath {

// The absolute path that a preference field holds: the field itself when it is a path; else the
// colon path of its alias record's target ("Volume:folder:" with a trailing ":" for a folder), in
// UTF-8; else, after telling the user what is missing, the item they choose again (a file when
// wantFile), or empty when they cancel.
fw::String gAbsPath_dc(const fw::String &data, bool wantFile);

} // namespace AliasPath

namespace Globals {

// The absolute HFS path stored in an alias record (its tag 2), or the data unchanged when it holds
// none.
fw::String gAbsPath_ex(const fw::String &data);

} // namespace Globals
