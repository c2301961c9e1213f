#include "engine/LibraryThread.h"

#include <chrono>

#include "engine/EngineContext.h"

namespace {
// How long the window waits at most between two turns at its events while the library works.
constexpr auto kEventInterval = std::chrono::milliseconds(4);
} // namespace

LibraryThread::LibraryThread(EngineContext &ctx)
    : m_ctx(ctx), m_callerThread(std::this_thread::get_id())
{
    refreshFlags();
    m_thread = std::thread([this] { libraryLoop(); });
}

LibraryThread::~LibraryThread()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_libraryWake.notify_all();
    m_thread.join();
}

void LibraryThread::libraryLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_libraryWake.wait(lock, [this] { return m_quit || m_callPending; });
        if (m_quit)
            return;
        const std::function<int()> call = std::move(m_call);
        m_callPending = false;
        lock.unlock();
        int result = -1;
        std::exception_ptr error;
        try {
            result = call();
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        m_callResult = result;
        m_callError = error;
        m_callDone = true;
        m_callerWake.notify_all();
    }
}

int LibraryThread::run(const std::function<int()> &call)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    refreshFlags();
    m_call = call;
    m_callPending = true;
    m_callDone = false;
    m_libraryWake.notify_all();
    // The call is always waited for, whatever happens here: the library may still be using what
    // the caller owns.
    for (;;) {
        m_callerWake.wait_for(lock, kEventInterval,
                              [this] { return m_callDone || !m_tasks.empty(); });
        handleTasks(lock);
        if (m_callDone)
            break;
        lock.unlock();
        guarded([this] { m_ctx.checkpoint.pump(); }, nullptr);
        lock.lock();
        handleTasks(lock);
    }
    const int result = m_callResult;
    const std::exception_ptr callError = m_callError;
    lock.unlock();

    const std::exception_ptr error = m_error ? m_error : callError;
    m_error = nullptr; // the next run starts afresh
    if (error)
        std::rethrow_exception(error);
    return result;
}

void LibraryThread::handleTasks(std::unique_lock<std::mutex> &lock)
{
    while (!m_tasks.empty()) {
        Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        lock.unlock();
        int answer = -1;
        if (!m_error)
            guarded([&] { answer = task.work(); }, &answer);
        lock.lock();
        refreshFlags();
        ++m_handled;
        if (task.question) {
            m_answer = answer;
            m_answered = true;
        }
        m_libraryWake.notify_all();
    }
    refreshFlags();
}

// Runs action on the caller's thread; an error is kept to be raised once the call has returned.
void LibraryThread::guarded(const std::function<void()> &action, int *answer)
{
    try {
        action();
    } catch (...) {
        if (!m_error)
            m_error = std::current_exception();
        if (answer)
            *answer = -1;
    }
}

// Caller, with m_mutex held: the job's flags as the library thread is to see them.
void LibraryThread::refreshFlags()
{
    m_paused = m_ctx.checkpoint.paused();
    m_stop = m_ctx.checkpoint.cancelled() || m_error;
}

void LibraryThread::catchUp()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_libraryWake.wait(lock, [this] { return m_handled == m_sent; });
}

void LibraryThread::notify(std::function<void()> notice)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_tasks.push_back(Task{[notice = std::move(notice)] {
                                   notice();
                                   return 0;
                               },
                               false});
        ++m_sent;
    }
    m_callerWake.notify_all();
}

int LibraryThread::ask(std::function<int()> question)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_answered = false;
    m_tasks.push_back(Task{std::move(question), true});
    ++m_sent;
    m_callerWake.notify_all();
    m_libraryWake.wait(lock, [this] { return m_answered; });
    return m_answer;
}

bool LibraryThread::pauseRequested() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_paused;
}

bool LibraryThread::stopRequested() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stop;
}
