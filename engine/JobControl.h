#pragma once
// The job-control flags through which Stop, Pause and Close reach a running job.

#include <cstdint>
#include <QSet>
#include <QString>

struct JobControl
{
    bool UnpackRunning = false;      // a folder run is inside UnPack
    bool StopRequested = false;      // the Stop command is pending
    bool Paused = false;             // the Pause command holds the job
    bool AbortRequested = false;     // the program is closing: cancel now
    std::uint32_t JobStartTick = 0;  // 0 when no job runs
    std::uint32_t StepStartTick = 0; // start of the current ZIP phase or archive set
    bool WatchTimerEnabled = false;  // watch mode is running (kept in step with its timer)
    // Every file the job's extractions have written, so that no later set overwrites one.
    QSet<QString> FilesWrittenThisJob;
};
