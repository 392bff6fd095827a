#pragma once

#include "framework/folderitem.h"
#include "framework/string.h"

#include <cstdint>
#include <variant>

namespace fw {

// A value of one of the framework's value types; VarType gives its type code, one of Type.
class Variant
{
public:
    enum Type {
        TypeNil = 0,
        TypeInteger = 2,
        TypeDouble = 5,
        TypeString = 8,
        TypeObject = 9,
        TypeBoolean = 11
    };

    Variant() = default;
    Variant(int32_t value) : m_value(value) {}             // NOLINT(google-explicit-constructor)
    Variant(double value) : m_value(value) {}              // NOLINT(google-explicit-constructor)
    Variant(bool value) : m_value(value) {}                // NOLINT(google-explicit-constructor)
    Variant(const String &value) : m_value(value) {}       // NOLINT(google-explicit-constructor)
    Variant(const char *value) : m_value(String(value)) {} // NOLINT(google-explicit-constructor)
    Variant(const FolderItem &value) : m_value(value) {}   // NOLINT(google-explicit-constructor)

    int type() const;
    bool isNil() const { return std::holds_alternative<std::monostate>(m_value); }

    // The value as text: a number in decimal, a Boolean as "True"/"False", Nil as "".
    // An object raises TypeMismatchException.
    String StringValue() const;
    // The value as an integer: a text through Val; raises TypeMismatchException for an object.
    int32_t IntegerValue() const;
    // The object value; raises TypeMismatchException for any other type, NilObjectException for Nil.
    FolderItem FolderItemValue() const;

private:
    std::variant<std::monostate, int32_t, double, bool, String, FolderItem> m_value;
};

inline int VarType(const Variant &value)
{
    return value.type();
}

} // namespace fw
