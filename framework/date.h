#pragma once

#include "framework/string.h"

#include <QDateTime>

namespace fw {

// A point in time in the user's local time zone.
class Date
{
public:
    Date() : m_value(QDateTime::currentDateTime()) {}
    // In the time zone that the system had when the first date was made: reading it anew for every
    // date would look at the system's zone file each time.
    explicit Date(const QDateTime &value);

    // False for the date of an item that does not exist.
    bool isValid() const { return m_value.isValid(); }

    int Year() const { return m_value.date().year(); }
    int Month() const { return m_value.date().month(); }
    int Day() const { return m_value.date().day(); }
    int Hour() const { return m_value.time().hour(); }
    int Minute() const { return m_value.time().minute(); }
    int Second() const { return m_value.time().second(); }

    // The date alone, in the user's short date format.
    String AbbreviatedDate() const;

private:
    QDateTime m_value;
};

} // namespace fw
