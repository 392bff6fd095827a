#pragma once

#include "framework/string.h"

#include <array>
#include <functional>
#include <optional>

namespace fw {
class BinaryStream;
}

// The preference records in which the sibling applications keep their documents folder: "pref2",
// every string enciphered, or the plain "pref". Fields 17 to 19 are the long fields (a path or an
// alias record each); field 19 names the documents folder.
struct PreferenceRecordFormat
{
    // The label given to the bytes of a field; no byte changes.
    enum class Label { Utf8, None, ShiftJis };

    bool enciphered; // "pref2": strings and counts enciphered; "pref": plain, counts as 4-byte integers
    Label longLabel; // fields 17 to 19; the other fields are read and dropped
};

constexpr int kFirstLongField = 17;
constexpr int kDocumentsField = 19;

// Fields 17, 18 and 19, in that order.
using LongFields = std::array<fw::String, kDocumentsField - kFirstLongField + 1>;

// Reads a record from the stream's position. A record that ends before its items do, whose counts or
// lengths promise more than the stream holds, or that has fewer than 20 fields is no record: nothing.
// Reads no further than the stream's end, so absurd counts cost no memory and no time.
// beforeEachRead runs before every item is read: the collection ends the run there on Stop.
std::optional<LongFields> readPreferenceRecord(fw::BinaryStream &stream, const PreferenceRecordFormat &format,
                                               const std::function<void()> &beforeEachRead = {});

// Test hook: runs before every item that a record reader reads, so that tests can make the reading
// slow; empty (the default) for none.
void SetPreferenceRecordReadHook(std::function<void()> hook);
