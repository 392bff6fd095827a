#pragma once

#include "framework/string.h"

#include <QDateTime>

#include <ctime>

namespace fw {

// A point in time in the user's local time zone, as the C library reads TZ (what `date` shows).
class Date
{
public:
    Date() : Date(QDateTime::currentDateTimeUtc()) {}
    explicit Date(const QDateTime &value);

    // False for the date of an item that does not exist.
    bool isValid() const { return m_valid; }

    int Year() const { return m_local.tm_year + 1900; }
    int Month() const { return m_local.tm_mon + 1; }
    int Day() const { return m_local.tm_mday; }
    int Hour() const { return m_local.tm_hour; }
    int Minute() const { return m_local.tm_min; }
    int Second() const { return m_local.tm_sec; } // 60 in a leap second of a zone that counts them

    // The date alone, in the user's short date format.
    String AbbreviatedDate() const;

private:
    std::tm m_local{};
    bool m_valid = false;
};

} // namespace fw
