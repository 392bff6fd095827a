#include "framework/thread.h"

#include "framework/application.h"
#include "framework/coarseclock.h"
#include "framework/exceptions.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <boost/context/fiber.hpp>
#include <boost/context/protected_fixedsize_stack.hpp>

#include <algorithm>
#include <exception>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define FW_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FW_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef FW_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif

namespace fw {

namespace {

namespace ctx = boost::context;

// Qt's dialogs and layouts run on a fiber's stack (the search asks questions): Boost's default of 128 KiB is
// too small for them.
constexpr std::size_t kStackSize = std::size_t{8} * 1024 * 1024;

// Thrown by a thread's Kill (or at its resumption after a Kill from outside) to unwind the fiber to
// its entry. Deliberately not a std::exception, so that no handler of the system's code takes it.
struct KillUnwind
{
};

// Under the coarse clock's tick of 4 ms, which measures a hair less at times: one tick ends a slice.
std::chrono::microseconds g_timeSlice{3000};
int64_t g_timeSliceNanoseconds = std::chrono::nanoseconds(g_timeSlice).count();

struct StackBounds
{
    const void *bottom = nullptr;
    std::size_t size = 0;
};

// The address sanitizer must be told of every switch between stacks, or it checks (and clears on a
// throw) the wrong stack. startSwitch goes right before a switch, finishSwitch right after arriving;
// a null fakeStack on the way out says that the stack left behind is done with.
#ifdef FW_ADDRESS_SANITIZER
void startSwitch(void **fakeStack, const StackBounds &to)
{
    __sanitizer_start_switch_fiber(fakeStack, to.bottom, to.size);
}

void finishSwitch(void *fakeStack, StackBounds *from)
{
    __sanitizer_finish_switch_fiber(fakeStack, from ? &from->bottom : nullptr, from ? &from->size : nullptr);
}

void unpoison(const StackBounds &stack)
{
    ASAN_UNPOISON_MEMORY_REGION(stack.bottom, stack.size);
}
#else
void startSwitch(void ** /*fakeStack*/, const StackBounds & /*to*/) {}
void finishSwitch(void * /*fakeStack*/, StackBounds * /*from*/) {}
void unpoison(const StackBounds & /*stack*/) {}
#endif

// A fiber's stack, which reports where it lies. The frames that a fiber leaves on it when it ends
// keep their sanitizer poisoning; that is cleared before the memory goes back, or the next mapping
// at those addresses would inherit it.
class FiberStack
{
public:
    explicit FiberStack(StackBounds *bounds) : m_bounds(bounds) {}

    ctx::stack_context allocate()
    {
        ctx::stack_context stack = m_stack.allocate();
        *m_bounds = {static_cast<char *>(stack.sp) - stack.size, stack.size};
        return stack;
    }

    void deallocate(ctx::stack_context &stack) noexcept
    {
        unpoison({static_cast<char *>(stack.sp) - stack.size, stack.size});
        m_stack.deallocate(stack);
    }

private:
    ctx::protected_fixedsize_stack m_stack{kStackSize};
    StackBounds *m_bounds;
};

int currentLoopLevel()
{
    return QThread::currentThread()->loopLevel();
}

} // namespace

struct Thread::Fiber
{
    ctx::fiber context; // the suspended fiber; empty while it runs and once it has ended
    ctx::fiber sink;    // where the fiber returns to when it switches out
    bool scheduled = false;
    bool active = false; // its stack is in use: running, or beneath a nested event loop
    bool killRequested = false;
    bool unwinding = false;
    int loopLevel = 0;      // the event-loop level it was resumed at
    int64_t sliceStart = 0; // on the coarse clock, in nanoseconds
    std::exception_ptr escaped;
    StackBounds stack;     // its own stack
    StackBounds sinkStack; // the stack that resumed it last: the event loop's, or a nested loop's
    void *fakeStack = nullptr;
};

// Resumes the fibers from the Qt event loop, one per tick, round robin.
class Scheduler
{
public:
    static Scheduler &instance()
    {
        static Scheduler scheduler;
        return scheduler;
    }

    void add(std::shared_ptr<Thread> thread)
    {
        m_threads.push_back(std::move(thread));
        postTick();
    }

    Thread *current() const { return m_current; }

    // True when the code running now is the current thread's own, not a handler of a nested loop.
    bool inOwnCode() const
    {
        return m_current != nullptr && m_current->m_fiber->loopLevel == currentLoopLevel();
    }

    void yield()
    {
        if (m_current == nullptr)
            return;
        Thread::Fiber &fiber = *m_current->m_fiber;
        if (fiber.unwinding)
            return;
        // The coarse clock keeps a yield that does not switch nearly free; its tick of a few
        // milliseconds is finer than any delay the event loop would notice.
        if (g_timeSlice.count() > 0 && CoarseNanoseconds() - fiber.sliceStart < g_timeSliceNanoseconds)
            return;
        if (!inOwnCode())
            return;
        startSwitch(&fiber.fakeStack, fiber.sinkStack);
        fiber.sink = std::move(fiber.sink).resume();
        finishSwitch(fiber.fakeStack, &fiber.sinkStack);
        if (fiber.killRequested && !fiber.unwinding) {
            fiber.unwinding = true;
            throw KillUnwind{};
        }
    }

    void killAll()
    {
        const std::vector<std::shared_ptr<Thread>> threads = m_threads;
        for (const auto &thread : threads) {
            // A thread beneath a nested loop cannot be unwound from here; its loop ends first.
            if (thread->m_fiber->active)
                continue;
            thread->m_fiber->killRequested = true;
            resume(thread);
        }
    }

private:
    void postTick()
    {
        if (m_tickPending || QCoreApplication::instance() == nullptr)
            return;
        if (m_context.isNull())
            m_context = new QObject(QCoreApplication::instance());
        m_tickPending = true;
        QMetaObject::invokeMethod(
            m_context, [this] { tick(); }, Qt::QueuedConnection);
    }

    void tick()
    {
        m_tickPending = false;
        const auto next = std::find_if(m_threads.begin(), m_threads.end(),
                                       [](const auto &thread) { return !thread->m_fiber->active; });
        if (next == m_threads.end())
            return; // every thread waits beneath a nested loop; the first to switch out posts again
        std::shared_ptr<Thread> thread = *next;
        m_threads.erase(next);
        m_threads.push_back(thread);
        // Posted first: should the fiber open a modal dialog, its nested loop keeps the others running.
        postTick();
        resume(thread);
    }

    void resume(const std::shared_ptr<Thread> &thread)
    {
        Thread::Fiber &fiber = *thread->m_fiber;
        Thread *previous = m_current;
        m_current = thread.get();
        fiber.active = true;
        fiber.loopLevel = currentLoopLevel();
        fiber.sliceStart = CoarseNanoseconds();
        void *fakeStack = nullptr;
        startSwitch(&fakeStack, fiber.stack);
        fiber.context = std::move(fiber.context).resume();
        finishSwitch(fakeStack, nullptr);
        fiber.active = false;
        m_current = previous;
        if (fiber.context) {
            // The tick posted before the resume may have run (and found nothing to do) inside a
            // nested loop that the fiber opened; without a new one the fiber would never resume.
            postTick();
            return;
        }

        fiber.scheduled = false;
        const std::exception_ptr escaped = std::exchange(fiber.escaped, nullptr);
        std::erase(m_threads, thread);
        if (!m_threads.empty())
            postTick();
        if (escaped)
            RuntimeUnhandledException(escaped);
    }

    std::vector<std::shared_ptr<Thread>> m_threads;
    // Per OS thread: fibers run only on the GUI thread, so a Yield made on any other thread sees none.
    static thread_local Thread *m_current;
    bool m_tickPending = false;
    QPointer<QObject> m_context;
};

thread_local Thread *Scheduler::m_current = nullptr;

Thread::Thread() : m_fiber(std::make_unique<Fiber>()) {}

Thread::~Thread() = default;

void Thread::Run()
{
    if (m_fiber->scheduled)
        throw RuntimeException("Thread.Run: the thread is already running");
    Fiber &fiber = *m_fiber;
    fiber.killRequested = false;
    fiber.unwinding = false;
    fiber.context = ctx::fiber(std::allocator_arg, FiberStack(&fiber.stack), [this](ctx::fiber &&sink) {
        Fiber &self = *m_fiber;
        finishSwitch(nullptr, &self.sinkStack);
        self.sink = std::move(sink);
        if (!self.killRequested) {
            try {
                Event_Run();
            } catch (const KillUnwind &) {
                // the thread was killed: its stack has unwound
            } catch (const std::exception &) {
                self.escaped = std::current_exception();
            }
        }
        startSwitch(nullptr, self.sinkStack);
        return std::move(self.sink);
    });
    fiber.scheduled = true;
    Scheduler::instance().add(shared_from_this());
}

void Thread::Kill()
{
    m_fiber->killRequested = true;
    Scheduler &scheduler = Scheduler::instance();
    if (scheduler.current() == this && scheduler.inOwnCode() && !m_fiber->unwinding) {
        m_fiber->unwinding = true;
        throw KillUnwind{};
    }
}

bool Thread::isRunning() const
{
    return m_fiber->scheduled;
}

void Thread::SetStopPoint(std::function<void()> stopPoint)
{
    m_stopPoint = std::move(stopPoint);
}

void Yield()
{
    Scheduler::instance().yield();
}

void StopPoint()
{
    const Scheduler &scheduler = Scheduler::instance();
    if (!scheduler.inOwnCode())
        return;
    Thread &thread = *scheduler.current();
    if (thread.m_stopPoint && !thread.m_fiber->unwinding)
        thread.m_stopPoint();
}

void SetTimeSlice(std::chrono::microseconds slice)
{
    g_timeSlice = slice;
    g_timeSliceNanoseconds = std::chrono::nanoseconds(slice).count();
}

void KillAllThreads()
{
    Scheduler::instance().killAll();
}

} // namespace fw
