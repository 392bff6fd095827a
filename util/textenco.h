#pragma once

#include "framework/string.h"

// Conversion of Japanese text between encodings named by the system's own short names:
// "デフォルト", "Shift-JIS", "UTF-8", "UTF-16", "JIS", "EUC" (any other name is the default), and
// "Auto" as the source of gEncText.
namespace TextEnco {

fw::String gEncText(const fw::String &text, const fw::String &source, const fw::String &target);
fw::String gEncTextEtc(const fw::String &text, const fw::String &source, const fw::String &target);
fw::String gEncTextGetEnc(const fw::String &text);
fw::String gEncUTF8alt(const fw::String &text, const fw::String &fallback);
fw::String gEncDefUTF8(const fw::String &text);

} // namespace TextEnco
