// The library thread: calls run off the window's thread, callbacks come back to it in order, the
// window keeps its turns, pause and abort reach the library, and errors never leave it running.

#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/Errors.h"
#include "engine/LibraryThread.h"
#include "support/Fakes.h"

namespace {

// Waits on the library thread, at most a few seconds, until condition holds.
bool waitFor(const std::function<bool()> &condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace

class TestLibraryThread : public QObject
{
    Q_OBJECT

private slots:
    void callbacksRunInOrderOnTheCallersThread()
    {
        TestContext t;
        LibraryThread library(t.context);
        const std::thread::id caller = std::this_thread::get_id();
        std::thread::id callThread;
        QList<int> handled;
        bool offCallerThread = false;
        const int result = library.run([&] {
            callThread = std::this_thread::get_id();
            for (int i = 0; i < 50; ++i) {
                library.notify([&, i] {
                    offCallerThread |= std::this_thread::get_id() != caller;
                    handled << i;
                });
            }
            // A question is answered after every notice sent before it.
            return library.ask([&] { return int(handled.size()); });
        });
        QVERIFY(callThread != caller);
        QVERIFY(library.onCallerThread());
        QVERIFY(!offCallerThread);
        QCOMPARE(result, 50);
        QList<int> expected;
        for (int i = 0; i < 50; ++i)
            expected << i;
        QCOMPARE(handled, expected);
    }

    // The window gets its turns while a call works on, without any callback from it.
    void windowKeepsItsTurnsDuringALongCall()
    {
        TestContext t;
        std::atomic<int> turns{0};
        t.platform.onProcessEvents = [&] { ++turns; };
        LibraryThread library(t.context);
        const int result = library.run([&] { return waitFor([&] { return turns >= 5; }) ? 7 : 0; });
        QCOMPARE(result, 7);
    }

    void pauseAndAbortReachTheLibraryAtItsNextCallback()
    {
        TestContext t;
        LibraryThread library(t.context);
        bool pausedSeen = false;
        bool stopSeen = false;
        bool stoppedEarly = false;
        library.run([&] {
            stoppedEarly = library.stopRequested();
            library.notify([&] { t.job.Paused = true; });
            library.catchUp();
            pausedSeen = library.pauseRequested();
            library.ask([&] {
                t.job.Paused = false;
                t.job.AbortRequested = true;
                return 0;
            });
            stopSeen = library.stopRequested() && !library.pauseRequested();
            return 0;
        });
        QVERIFY(!stoppedEarly);
        QVERIFY(pausedSeen);
        QVERIFY(stopSeen);
    }

    // An error in a notice stops the library and is raised once the call has returned; notices
    // after it are dropped and questions answered with -1.
    void errorInANoticeIsRaisedAfterTheCall()
    {
        TestContext t;
        LibraryThread library(t.context);
        int laterNotices = 0;
        int answer = 0;
        bool stopSeen = false;
        std::atomic<bool> callFinished{false};
        QVERIFY_THROWS_EXCEPTION(TevoError, library.run([&] {
            library.notify([] { throw TevoError(QStringLiteral("disk gone")); });
            library.catchUp();
            stopSeen = library.stopRequested();
            library.notify([&] { ++laterNotices; });
            answer = library.ask([] { return 1; });
            callFinished = true;
            return 0;
        }));
        QVERIFY(callFinished);
        QVERIFY(stopSeen);
        QCOMPARE(laterNotices, 0);
        QCOMPARE(answer, -1);
        // The next call starts afresh.
        QCOMPARE(library.run([&] { return library.stopRequested() ? 0 : 3; }), 3);
    }

    // An error while the window has its turn waits for the library too.
    void errorFromTheWindowWaitsForTheCall()
    {
        TestContext t;
        t.platform.onProcessEvents = [] { throw TevoError(QStringLiteral("window closed")); };
        LibraryThread library(t.context);
        std::atomic<bool> callFinished{false};
        QVERIFY_THROWS_EXCEPTION(TevoError, library.run([&] {
            const bool stopped = waitFor([&] { return library.stopRequested(); });
            callFinished = true;
            return stopped ? 0 : 1;
        }));
        QVERIFY(callFinished);
    }

    void errorInTheCallIsRaisedOnTheCallersThread()
    {
        TestContext t;
        LibraryThread library(t.context);
        QVERIFY_THROWS_EXCEPTION(
            TevoError, library.run([]() -> int { throw TevoError(QStringLiteral("library")); }));
        QCOMPARE(library.run([] { return 4; }), 4);
    }
};

QTEST_GUILESS_MAIN(TestLibraryThread)
#include "tst_librarythread.moc"
