#include "framework/date.h"

#include <QLocale>

namespace fw {

String Date::AbbreviatedDate() const
{
    return {QLocale::system().toString(m_value.date(), QLocale::ShortFormat)};
}

} // namespace fw
