#pragma once

#include "framework/variant.h"

#include <vector>

// The bridge to the three compiled scripts: each element of args becomes one script parameter, in
// order, integers as integers and everything else as its text. The callers learn nothing of the
// outcome.
void deleteFile(const std::vector<fw::Variant> &args);
void deleteFolder(const std::vector<fw::Variant> &args);
void revealFile(const std::vector<fw::Variant> &args);
