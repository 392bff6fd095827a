#pragma once

#include "framework/string.h"
#include "framework/variant.h"

#include <QHash>

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
    QHash<QString, Variant> m_values;
};

} // namespace fw
