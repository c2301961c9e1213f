// The real process priority: every thread of the process follows the list, also threads that
// existed before the change, and the answer is the priority the system put in force.

#include <QTest>

#include <atomic>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

#include "platform/ThreadPriority.h"
#include "ui/DesktopPlatform.h"

namespace {

int nicenessOfThread(pid_t thread)
{
    errno = 0;
    return getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
}

// A helper thread that runs until told to end, as the library thread and the CRC helpers do.
struct HelperThread
{
    std::atomic<pid_t> id{0};
    std::atomic<bool> done{false};
    std::thread thread{[this] {
        id = static_cast<pid_t>(syscall(SYS_gettid));
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }};
    HelperThread()
    {
        while (id == 0)
            std::this_thread::yield();
    }
    ~HelperThread()
    {
        done = true;
        thread.join();
    }
};

} // namespace

class TestThreadPriority : public QObject
{
    Q_OBJECT

private slots:
    void lowReachesThreadsStartedBefore()
    {
        HelperThread helper;
        DesktopPlatform platform;
        QCOMPARE(platform.setProcessPriority(PriorityChoice::Low), PriorityChoice::Low);
        QCOMPARE(nicenessOfThread(helper.id), 19);
        QCOMPARE(CurrentNiceness(), 19);
        // A thread started afterwards inherits it.
        HelperThread later;
        QCOMPARE(nicenessOfThread(later.id), 19);

        // Back to Normal: allowed with the privilege to raise, else refused; either way the
        // answer is what is in force, in every thread.
        const PriorityChoice inForce = platform.setProcessPriority(PriorityChoice::Normal);
        QCOMPARE(inForce, PriorityOfNiceness(CurrentNiceness()));
        QCOMPARE(nicenessOfThread(helper.id), CurrentNiceness());
        QCOMPARE(platform.setProcessPriority(PriorityChoice::NoSelection), inForce);
    }
};

QTEST_GUILESS_MAIN(TestThreadPriority)
#include "tst_threadpriority.moc"
