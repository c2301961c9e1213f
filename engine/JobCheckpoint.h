#pragma once
// The job's one checkpoint: where engine work lets the window run, waits while paused and learns
// whether it is to stop or cancel.

#include <cstdint>

struct JobControl;
class Platform;

// Every long piece of engine work (the back-ends, the SFV check, the par2 run, the folder run)
// reaches the job's Stop, Pause and Close only through here, so that pausing, cancelling and the
// event pump behave the same everywhere. It never waits on anything but the clock: a wait for an
// external program polls that program itself, outside the pump.
class JobCheckpoint
{
public:
    JobCheckpoint(JobControl &job, Platform &platform) : m_job(job), m_platform(platform) {}

    // Lets the window handle its pending events (clicks on Stop, Pause, Close ...).
    void pump();
    // Waits while the job is paused, sleeping 10 ms and pumping events; true when the job is to
    // be cancelled (Close), also when it was before the wait.
    bool waitWhilePaused();
    // The ordinary stop between two pieces of work: pump, then wait while paused. True when the
    // work is to be cancelled.
    bool pass();

    // Close was pressed: the work in hand is cancelled, nothing after it starts.
    bool cancelled() const;
    bool paused() const;
    // Stop is pending; it is obeyed between sets, and ends a par2 run.
    bool stopPending() const;
    // Obeys a pending Stop: clears it and says whether it was set.
    bool takeStop();

private:
    JobControl &m_job;
    Platform &m_platform;
};
