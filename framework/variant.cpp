#include "framework/variant.h"

#include "framework/exceptions.h"

namespace fw {

int Variant::type() const
{
    if (std::holds_alternative<int32_t>(m_value))
        return TypeInteger;
    if (std::holds_alternative<double>(m_value))
        return TypeDouble;
    if (std::holds_alternative<bool>(m_value))
        return TypeBoolean;
    if (std::holds_alternative<String>(m_value))
        return TypeString;
    if (std::holds_alternative<FolderItem>(m_value))
        return TypeObject;
    return TypeNil;
}

String Variant::StringValue() const
{
    if (const auto *s = std::get_if<String>(&m_value))
        return *s;
    if (const auto *i = std::get_if<int32_t>(&m_value))
        return Str(static_cast<int64_t>(*i));
    if (const auto *d = std::get_if<double>(&m_value))
        return Str(*d);
    if (const auto *b = std::get_if<bool>(&m_value))
        return *b ? String("True") : String("False");
    if (isNil())
        return {};
    throw TypeMismatchException();
}

int32_t Variant::IntegerValue() const
{
    if (const auto *i = std::get_if<int32_t>(&m_value))
        return *i;
    if (const auto *d = std::get_if<double>(&m_value))
        return ToInt32(*d);
    if (const auto *b = std::get_if<bool>(&m_value))
        return *b ? 1 : 0;
    if (const auto *s = std::get_if<String>(&m_value))
        return ToInt32(Val(*s));
    if (isNil())
        return 0;
    throw TypeMismatchException();
}

FolderItem Variant::FolderItemValue() const
{
    if (const auto *f = std::get_if<FolderItem>(&m_value))
        return *f;
    if (isNil())
        throw NilObjectException();
    throw TypeMismatchException();
}

} // namespace fw
