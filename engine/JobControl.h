#pragma once
// The job-control flags through which Stop, Pause and Close reach a running job.

#include <cstdint>
#include <QSet>
#include <QString>

// What the folder runs of one job came to, for the message at its end.
struct JobTally
{
    int archivesUnpacked = 0;
    int failures = 0; // sets that failed their check or extraction, missing folders, errors
};

struct JobControl
{
    bool UnpackRunning = false;      // a folder run is inside UnPack
    bool StopRequested = false;      // the Stop command is pending
    bool Paused = false;             // the Pause command holds the job
    bool AbortRequested = false;     // the program is closing: cancel now
    std::uint32_t JobStartTick = 0;  // 0 when no job runs
    std::uint32_t StepStartTick = 0; // start of the current ZIP phase or archive set
    bool WatchTimerEnabled = false;  // watch mode is running (kept in step with its timer)
    // The last folder run refused its folder (none given, or none there) and touched nothing.
    bool FolderRefused = false;
    // Every file the job's extractions have written, so that no later set overwrites one.
    QSet<QString> FilesWrittenThisJob;
    // The copies of damaged files that par2 made in this job's repairs (paths as NormalizeSlashes
    // gives them): the only "<volume>.1" files the clean-up may delete.
    QSet<QString> FilesMadeByRepair;
    // The last RAR extraction ended on damaged data (a CRC error): a repair may mend it.
    bool SetDataDamaged = false;
    // While watching: sets that failed and have not changed since; the round's job passes them
    // over.
    QSet<QString> SetsLeftForLater;

    // Set to zero when a job starts.
    JobTally Tally;
    // Time spent paused since the step that began at PausedStepTick: no working time, so the
    // remaining-time estimate leaves it out.
    std::uint32_t PausedStepTick = 0;
    std::uint32_t StepPausedMs = 0;
    // The milliseconds paused in the current step (0 when the last pause belonged to another).
    std::uint32_t pausedInStep() const
    {
        return PausedStepTick == StepStartTick ? StepPausedMs : 0;
    }
};
