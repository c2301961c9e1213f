#include "engine/JobCheckpoint.h"

#include "engine/JobControl.h"
#include "engine/Platform.h"

void JobCheckpoint::pump()
{
    m_platform.processEvents();
}

bool JobCheckpoint::waitWhilePaused()
{
    if (m_job.Paused && !m_job.AbortRequested) {
        // The remaining-time estimate leaves out the time paused in its step.
        if (m_job.PausedStepTick != m_job.StepStartTick) {
            m_job.PausedStepTick = m_job.StepStartTick;
            m_job.StepPausedMs = 0;
        }
        const std::uint32_t pauseStart = m_platform.tickCount();
        while (m_job.Paused && !m_job.AbortRequested) {
            m_platform.sleepMs(10);
            m_platform.processEvents();
        }
        m_job.StepPausedMs += m_platform.tickCount() - pauseStart;
    }
    return m_job.AbortRequested;
}

bool JobCheckpoint::pass()
{
    pump();
    return waitWhilePaused();
}

bool JobCheckpoint::cancelled() const
{
    return m_job.AbortRequested;
}

bool JobCheckpoint::paused() const
{
    return m_job.Paused;
}

bool JobCheckpoint::stopPending() const
{
    return m_job.StopRequested;
}

bool JobCheckpoint::takeStop()
{
    const bool pending = m_job.StopRequested;
    m_job.StopRequested = false;
    return pending;
}
