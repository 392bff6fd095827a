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
    // Items of one list mostly share their day, and wording a day in the user's format is not cheap.
    static QDate lastDay;
    static String lastText;
    const QDate day = m_value.date();
    if (!lastDay.isValid() || day != lastDay) {
        lastText = String(QLocale::system().toString(day, QLocale::ShortFormat));
        lastDay = day;
    }
    return lastText;
}

} // namespace fw
