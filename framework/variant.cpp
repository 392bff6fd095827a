#include "framework/variant.h"

#include "framework/exceptions.h"

namespace fw {

int Variant::type() const
{
    switch (m_value.index()) {
    case 1:
        return TypeInteger;
    case 2:
        return TypeDouble;
    case 3:
        return TypeBoolean;
    case 4:
        return TypeString;
    case 5:
        return TypeObject;
    default:
        return TypeNil;
    }
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
