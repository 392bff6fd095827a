#include "framework/date.h"

#include <QLocale>
#include <QTimeZone>

namespace fw {

Date::Date(const QDateTime &value)
{
    static const QTimeZone zone = [] {
        QTimeZone system = QTimeZone::systemTimeZone();
        return system.isValid() ? system : QTimeZone::utc();
    }();
    m_value = value.toTimeZone(zone);
}

String Date::AbbreviatedDate() const
{
    return {QLocale::system().toString(m_value.date(), QLocale::ShortFormat)};
}

} // namespace fw
