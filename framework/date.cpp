#include "framework/date.h"

#include <QLocale>

#include <cstdlib>
#include <mutex>
#include <string>

namespace fw {

namespace {

// The C library reads TZ once and keeps the zone it names: it is told to read it again only when TZ
// has changed, so that a date costs no look at the zone file.
void followTimeZone()
{
    static std::mutex mutex;
    static bool read = false;
    static bool wasSet = false; // an unset TZ and an empty one name different zones
    static std::string was;
    const std::lock_guard lock(mutex);
    const char *tz = std::getenv("TZ");
    if (read && (tz == nullptr ? !wasSet : wasSet && was == tz))
        return;
    ::tzset();
    read = true;
    wasSet = tz != nullptr;
    was = wasSet ? tz : "";
}

} // namespace

Date::Date(const QDateTime &value)
{
    if (!value.isValid())
        return;
    followTimeZone();
    // Whole seconds toward the past, as `date` counts a time before the epoch.
    const qint64 ms = value.toMSecsSinceEpoch();
    const auto seconds = static_cast<std::time_t>(ms / 1000 - (ms % 1000 < 0 ? 1 : 0));
    m_valid = ::localtime_r(&seconds, &m_local) != nullptr;
}

String Date::AbbreviatedDate() const
{
    // Items of one list mostly share their day, and wording a day in the user's format is not cheap.
    static QDate lastDay;
    static String lastText;
    const QDate day(Year(), Month(), Day());
    if (!lastDay.isValid() || day != lastDay) {
        lastText = String(QLocale::system().toString(day, QLocale::ShortFormat));
        lastDay = day;
    }
    return lastText;
}

} // namespace fw
