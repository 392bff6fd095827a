#pragma once

#include "framework/string.h"

#include <cstdint>

// Deciphers the strings of the sibling applications' "pref2" records: two alphabet characters per
// byte, combined with a seed folded from a key.
namespace Enigma {

// The seed of a key (1 for the empty key).
int32_t Initialize(const fw::String &key);
// The bytes that the text enciphers under the key, without an encoding. A byte that is not in the
// alphabet, or a last byte without its partner, ends the text there.
fw::String Decode(const fw::String &text, const fw::String &key);

} // namespace Enigma
