#pragma once
// The command buttons and the watch timer that the Unpack, Stop and Pause commands touch.

#include <QString>

class JobWindow
{
public:
    virtual ~JobWindow() = default;

    virtual void setUnpackEnabled(bool enabled) = 0; // Button1
    virtual void setWatchEnabled(bool enabled) = 0;  // Button17
    virtual void setWatchCaption(const QString &caption) = 0;
    virtual QString watchCaption() const = 0;
    virtual void setStopEnabled(bool enabled) = 0; // Button14
    virtual void setStopCaption(const QString &caption) = 0;
    virtual void setPauseEnabled(bool enabled) = 0; // Button15
    virtual void setPauseCaption(const QString &caption) = 0;
    // Timer1: while watching, the queue is kept after a job.
    virtual bool watchTimerEnabled() const = 0;
};
