#include "framework/application.h"
#include "framework/thread.h"
#include "tests/support/modal.h"
#include "tests/support/wait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

using testsupport::waitUntil;

class TestThread : public fw::Thread
{
public:
    explicit TestThread(std::function<void(TestThread &)> body) : m_body(std::move(body)) {}

protected:
    void Event_Run() override { m_body(*this); }

private:
    std::function<void(TestThread &)> m_body;
};

std::shared_ptr<TestThread> startThread(std::function<void(TestThread &)> body)
{
    auto thread = std::make_shared<TestThread>(std::move(body));
    thread->Run();
    return thread;
}

// Sets a flag when destroyed, to see a thread's stack unwind.
struct UnwindProbe
{
    bool *destroyed;
    ~UnwindProbe() { *destroyed = true; }
};

class ThreadTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        fw::KillAllThreads();
        fw::SetTimeSlice(std::chrono::microseconds(0));
        fw::SetUnhandledExceptionHook({});
    }
};

TEST_F(ThreadTest, millionYields_withTimeSlice_seldomSwitchToTheEventLoop)
{
    fw::SetTimeSlice(std::chrono::milliseconds(4));
    // A zero timer counts the event loop's turns, each a switch out of the thread.
    int turns = 0;
    QTimer turn;
    QObject::connect(&turn, &QTimer::timeout, [&] { ++turns; });
    turn.start(0);
    int turnsWhileYielding = -1;
    auto thread = startThread([&](TestThread &) {
        const int before = turns;
        for (int i = 0; i < 1000000; ++i)
            fw::Yield();
        turnsWhileYielding = turns - before;
    });
    ASSERT_TRUE(waitUntil([&] { return !thread->isRunning(); }));
    // Thousands of yields to a slice, however slow the machine: far fewer switches than yields.
    EXPECT_GE(turnsWhileYielding, 0);
    EXPECT_LT(turnsWhileYielding, 1000000 / 100);
}

TEST_F(ThreadTest, yield_onAnotherOsThread_whileAThreadRuns_doesNothing)
{
    std::string log;
    auto a = startThread([&](TestThread &) {
        log += 'a';
        std::thread os([&] {
            fw::Yield(); // must not switch the fiber out from the wrong OS thread
            log += 'o';
        });
        os.join();
        log += 'a';
    });
    auto b = startThread([&](TestThread &) { log += 'b'; });
    ASSERT_TRUE(waitUntil([&] { return !a->isRunning() && !b->isRunning(); }));
    EXPECT_EQ(log, "aoab") << "the other OS thread's yield must not let b run";
}

TEST_F(ThreadTest, twoThreads_interleaveAtEachYield)
{
    std::string log;
    auto body = [&log](char name) {
        return [&log, name](TestThread &) {
            for (int i = 0; i < 3; ++i) {
                log += name;
                fw::Yield();
            }
        };
    };
    auto a = startThread(body('a'));
    auto b = startThread(body('b'));
    EXPECT_TRUE(log.empty()) << "Run must return before the thread starts";
    ASSERT_TRUE(waitUntil([&] { return !a->isRunning() && !b->isRunning(); }));
    EXPECT_EQ(log, "ababab");
}

TEST_F(ThreadTest, killFromOutside_unwindsAtNextResume)
{
    bool destroyed = false;
    bool passedTheLoop = false;
    int steps = 0;
    auto thread = startThread([&](TestThread &) {
        UnwindProbe probe{&destroyed};
        for (;;) {
            ++steps;
            fw::Yield();
        }
        passedTheLoop = true; // NOLINT: reached only if the kill failed
    });
    ASSERT_TRUE(waitUntil([&] { return steps >= 3; }));
    thread->Kill();
    ASSERT_TRUE(waitUntil([&] { return !thread->isRunning(); }));
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(passedTheLoop);
}

TEST_F(ThreadTest, killBySelf_endsTheThreadAtOnce)
{
    bool destroyed = false;
    bool afterKill = false;
    bool caughtAsStdException = false;
    auto thread = startThread([&](TestThread &self) {
        UnwindProbe probe{&destroyed};
        try {
            self.Kill();
            afterKill = true;
        } catch (const std::exception &) {
            caughtAsStdException = true;
        }
        afterKill = true;
    });
    ASSERT_TRUE(waitUntil([&] { return !thread->isRunning(); }));
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(afterKill);
    EXPECT_FALSE(caughtAsStdException);
}

TEST_F(ThreadTest, killBeforeFirstResume_neverRunsTheBody)
{
    bool ran = false;
    auto thread = startThread([&](TestThread &) { ran = true; });
    thread->Kill();
    ASSERT_TRUE(waitUntil([&] { return !thread->isRunning(); }));
    EXPECT_FALSE(ran);
}

TEST_F(ThreadTest, killAllThreads_unwindsSuspendedThreads)
{
    bool destroyed = false;
    int steps = 0;
    auto thread = startThread([&](TestThread &) {
        UnwindProbe probe{&destroyed};
        for (;;) {
            ++steps;
            fw::Yield();
        }
    });
    ASSERT_TRUE(waitUntil([&] { return steps >= 2; }));
    fw::KillAllThreads();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(thread->isRunning());
}

TEST_F(ThreadTest, runningThread_isKeptAliveUntilItEnds)
{
    bool done = false;
    std::weak_ptr<TestThread> weak;
    {
        auto thread = startThread([&](TestThread &) {
            fw::Yield();
            done = true;
        });
        weak = thread;
    }
    EXPECT_FALSE(weak.expired());
    ASSERT_TRUE(waitUntil([&] { return done; }));
    EXPECT_TRUE(waitUntil([&] { return weak.expired(); }));
}

TEST_F(ThreadTest, escapingException_reachesUnhandledService_andProgramGoesOn)
{
    int hookCalls = 0;
    fw::SetUnhandledExceptionHook([&] { ++hookCalls; });
    // The service shows a message: it is closed with its button.
    const testsupport::ModalAnswers answers;

    bool destroyed = false;
    auto failing = startThread([&](TestThread &) {
        UnwindProbe probe{&destroyed};
        fw::Yield();
        throw std::runtime_error("worker failed");
    });
    ASSERT_TRUE(waitUntil([&] { return hookCalls == 1; }));
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(failing->isRunning());

    bool laterRan = false;
    auto later = startThread([&](TestThread &) { laterRan = true; });
    EXPECT_TRUE(waitUntil([&] { return laterRan; }));
}

TEST_F(ThreadTest, modalDialogInThread_othersKeepRunning_andNestedYieldDoesNothing)
{
    int otherSteps = 0;
    bool stopOther = false;
    std::string log;
    int stepsWhileOpen = -1;
    int dialogResult = -1;

    auto other = startThread([&](TestThread &) {
        while (!stopOther) {
            ++otherSteps;
            log += 'b';
            fw::Yield();
        }
    });
    auto asking = startThread([&](TestThread &) {
        QMessageBox box(QMessageBox::Question, QString(), QStringLiteral("続けますか？"),
                        QMessageBox::Yes | QMessageBox::No);
        const int before = otherSteps;
        QTimer probe;
        probe.setSingleShot(true);
        // A handler running in the dialog's nested loop, on this thread's stack.
        QObject::connect(&probe, &QTimer::timeout, [&] {
            log += '[';
            fw::Yield();
            log += ']';
        });
        probe.start(30);
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (otherSteps < before + 5 || log.find(']') == std::string::npos)
                return;
            if (auto *modal = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                stepsWhileOpen = otherSteps - before;
                modal->button(QMessageBox::Yes)->click();
            }
        });
        answer.start(5);
        dialogResult = box.exec();
        stopOther = true;
    });

    ASSERT_TRUE(waitUntil([&] { return !asking->isRunning() && !other->isRunning(); }));
    EXPECT_EQ(dialogResult, QMessageBox::Yes);
    EXPECT_GE(stepsWhileOpen, 5);
    EXPECT_NE(log.find("[]"), std::string::npos) << log;
}

TEST_F(ThreadTest, loneThread_goesOnAfterItsModalDialogCloses)
{
    // The tick posted before the thread was resumed is spent inside the dialog's loop.
    int stepsAfterDialog = 0;
    auto thread = startThread([&](TestThread &) {
        QMessageBox box(QMessageBox::Question, QString(), QStringLiteral("続けますか？"),
                        QMessageBox::Yes | QMessageBox::No);
        const testsupport::ModalAnswers answers({testsupport::press(box.button(QMessageBox::Yes)->text())});
        box.exec();
        for (int i = 0; i < 3; ++i) {
            fw::Yield();
            ++stepsAfterDialog;
        }
    });
    ASSERT_TRUE(waitUntil([&] { return !thread->isRunning(); }));
    EXPECT_EQ(stepsAfterDialog, 3);
}

TEST_F(ThreadTest, threadEndingInsideAnotherThreadsModalLoop_returnsToThatThreadsStack)
{
    // b is resumed by the nested loop of a's dialog, so it switches back onto a's stack, not the
    // event loop's; exceptions thrown there afterwards must unwind a's stack, not another.
    bool bDestroyed = false;
    bool aDestroyed = false;
    bool stopB = false;
    bool caughtInHandler = false;
    int bSteps = 0;
    auto b = startThread([&](TestThread &self) {
        UnwindProbe probe{&bDestroyed};
        while (!stopB) {
            ++bSteps;
            fw::Yield();
        }
        self.Kill();
    });
    auto a = startThread([&](TestThread &self) {
        UnwindProbe probe{&aDestroyed};
        QMessageBox box(QMessageBox::Question, QString(), QStringLiteral("続けますか？"),
                        QMessageBox::Yes | QMessageBox::No);
        const int before = bSteps;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (bSteps < before + 3)
                return;
            stopB = true;
            if (b->isRunning())
                return;
            try {
                throw std::runtime_error("handled on a's stack");
            } catch (const std::runtime_error &) {
                caughtInHandler = true;
            }
            if (auto *modal = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                modal->button(QMessageBox::Yes)->click();
        });
        answer.start(5);
        box.exec();
        self.Kill();
    });

    ASSERT_TRUE(waitUntil([&] { return !a->isRunning() && !b->isRunning(); }));
    EXPECT_TRUE(caughtInHandler);
    EXPECT_TRUE(bDestroyed);
    EXPECT_TRUE(aDestroyed);
}

} // namespace
