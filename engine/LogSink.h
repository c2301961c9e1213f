#pragma once
// The end of the activity log: the window's log memo, or a recorder in tests.

#include <QString>

class LogSink
{
public:
    virtual ~LogSink() = default;
    // Appends one finished line (time stamp included) at the end of the log.
    virtual void appendLogLine(const QString &line) = 0;
};
