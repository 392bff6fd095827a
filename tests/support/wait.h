#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

namespace testsupport {

// Runs the event loop until the condition holds or the time is up; whether it holds.
[[nodiscard]] inline bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace testsupport
