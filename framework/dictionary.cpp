#include "framework/dictionary.h"

#include "framework/exceptions.h"

namespace fw {

Variant Dictionary::Value(const String &key) const
{
    const auto it = m_values.find(fold(key));
    if (it == m_values.end())
        throw KeyNotFoundException(key.toStdString());
    return it->second;
}

void Dictionary::Value(const String &key, const Variant &value)
{
    m_values.insert_or_assign(fold(key), value);
}

bool Dictionary::HasKey(const String &key) const
{
    return m_values.contains(fold(key));
}

} // namespace fw
