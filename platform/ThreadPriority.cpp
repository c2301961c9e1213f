#include "platform/ThreadPriority.h"

#include <QDir>

#include <cerrno>
#include <sys/resource.h>

int NicenessOf(PriorityChoice priority)
{
    switch (priority) {
    case PriorityChoice::High:
        return -10;
    case PriorityChoice::Low:
        return 19;
    case PriorityChoice::Normal:
    case PriorityChoice::NoSelection:
        break;
    }
    return 0;
}

PriorityChoice PriorityOfNiceness(int niceness)
{
    if (niceness < 0)
        return PriorityChoice::High;
    return niceness == 0 ? PriorityChoice::Normal : PriorityChoice::Low;
}

// setpriority(PRIO_PROCESS, pid) changes one thread only on Linux, so the library thread and
// the CRC helpers would keep their niceness: each thread is set by its own id.
bool SetProcessNiceness(int niceness)
{
    bool allSet = true;
    const QStringList threads =
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &thread : threads) {
        bool isNumber = false;
        const id_t id = thread.toUInt(&isNumber);
        if (!isNumber)
            continue;
        // A thread that ended meanwhile (ESRCH) is no failure.
        if (setpriority(PRIO_PROCESS, id, niceness) != 0 && errno != ESRCH)
            allSet = false;
    }
    // Without /proc, at least the calling thread.
    if (threads.isEmpty() && setpriority(PRIO_PROCESS, 0, niceness) != 0)
        allSet = false;
    return allSet;
}

int CurrentNiceness()
{
    errno = 0;
    const int niceness = getpriority(PRIO_PROCESS, 0);
    return errno == 0 ? niceness : 0;
}
