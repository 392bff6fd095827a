#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace fw {

// A cooperative thread: a fiber on the GUI thread, resumed from the Qt event loop. Threads and the
// event loop share objects without locks; they switch only at Yield().
//
// Make threads with std::make_shared; Run() keeps a running thread alive until its Event_Run ends.
class Thread : public std::enable_shared_from_this<Thread>
{
public:
    Thread();
    virtual ~Thread();
    Thread(const Thread &) = delete;
    Thread &operator=(const Thread &) = delete;

    // Schedules Event_Run on a new fiber (8 MiB stack) and returns at once.
    void Run();
    // Called by the thread itself: unwinds the fiber to its entry at once (destructors run) and does
    // not return. Called from elsewhere: the thread unwinds when it is next resumed.
    void Kill();
    bool isRunning() const;
    // What the thread does at the stop points of the framework's own long loops (the listing of a wide
    // folder, a look through a tree): ends itself when asked to stop, typically. None by default.
    void SetStopPoint(std::function<void()> stopPoint);

protected:
    virtual void Event_Run() = 0;

private:
    friend class Scheduler;
    friend void StopPoint();
    struct Fiber;
    std::unique_ptr<Fiber> m_fiber;
    std::function<void()> m_stopPoint;
};

// The cooperative yield, made once per loop step. Inside a thread it switches to the event loop when
// the thread's time slice is used up; on the main thread, and inside a nested modal loop opened from
// a thread, it does nothing.
void Yield();

// A stop point of a framework loop: runs the current thread's stop point (see SetStopPoint). On the
// main thread, and inside a nested modal loop opened from a thread, it does nothing.
void StopPoint();

// The time slice of a thread between two switches (a few milliseconds by default). Tests set zero,
// so that every Yield switches and interleavings are reproducible.
void SetTimeSlice(std::chrono::microseconds slice);

// Ends every thread (their stacks unwind); used at teardown.
void KillAllThreads();

} // namespace fw
