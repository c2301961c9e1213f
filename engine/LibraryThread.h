#pragma once
// Runs long calls into a library on a thread of their own, so the window keeps handling its
// events while the library works, and carries the library's callbacks back to the window's thread.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class EngineContext;

// The window's thread (the caller) hands one call at a time to the library thread and waits for
// it, handling in order the notices and questions the library's callbacks send meanwhile and
// letting the window handle its events every few milliseconds. The library thread may run one
// notice ahead of the window: it waits for the notice before to be handled, so the job's pause
// and abort reach it at most one callback late, and the display is refreshed for every callback.
class LibraryThread
{
public:
    explicit LibraryThread(EngineContext &ctx);
    ~LibraryThread();
    LibraryThread(const LibraryThread &) = delete;
    LibraryThread &operator=(const LibraryThread &) = delete;

    // Caller: runs call on the library thread and returns its result once it has returned.
    // An error raised by a notice, a question or the window's events is raised again here, after
    // the call has returned; from then on the library is told to stop at its next callback.
    int run(const std::function<int()> &call);
    bool onCallerThread() const { return std::this_thread::get_id() == m_callerThread; }

    // Library thread: waits until every notice sent before has been handled.
    void catchUp();
    // Library thread: sends a notice to the caller and goes on.
    void notify(std::function<void()> notice);
    // Library thread: sends a question to the caller and waits for its answer (-1 after an error).
    int ask(std::function<int()> question);
    // The job is paused, or should stop (aborted, or an error on the caller's side), as of the
    // last notice or question handled.
    bool pauseRequested() const;
    bool stopRequested() const;

private:
    struct Task
    {
        std::function<int()> work;
        bool question = false;
    };

    void libraryLoop();
    void handleTasks(std::unique_lock<std::mutex> &lock);
    void guarded(const std::function<void()> &action, int *answer);
    void refreshFlags();

    EngineContext &m_ctx;
    const std::thread::id m_callerThread;
    mutable std::mutex m_mutex;
    std::condition_variable m_callerWake;
    std::condition_variable m_libraryWake;

    // Guarded by m_mutex.
    std::function<int()> m_call;
    bool m_callPending = false;
    bool m_callDone = false;
    int m_callResult = 0;
    std::exception_ptr m_callError;
    std::deque<Task> m_tasks;
    std::uint64_t m_sent = 0;
    std::uint64_t m_handled = 0;
    bool m_answered = false;
    int m_answer = 0;
    bool m_paused = false;
    bool m_stop = false;
    bool m_quit = false;

    // The caller's own.
    std::exception_ptr m_error;

    std::thread m_thread;
};
