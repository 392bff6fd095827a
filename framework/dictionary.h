#pragma once

#include "framework/string.h"
#include "framework/variant.h"

#include <QHashFunctions>

#include <unordered_map>

namespace fw {

// String-keyed dictionary; keys match without regard to case, always.
class Dictionary
{
public:
    // The value under the key; raises KeyNotFoundException when there is none.
    Variant Value(const String &key) const;
    void Value(const String &key, const Variant &value);
    bool HasKey(const String &key) const;
    int Count() const { return static_cast<int>(m_values.size()); }

private:
    static QString fold(const String &key) { return key.toQString().toCaseFolded(); }
    // Not QHash: its smallest table alone takes about 3 KB, and most dictionaries hold a dozen values.
    std::unordered_map<QString, Variant> m_values;
};

} // namespace fw
