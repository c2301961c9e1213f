#pragma once
// The figures of the progress display and the job's time line, written so that each one reads
// true: no empty durations, no done amount above its total.

#include <cstdint>
#include <QString>

// A size for the progress display: bytes below 1 KiB ("512 B", "0 B"), else as FormatSize.
QString ProgressSize(qint64 bytes);
// Whole seconds as FormatDuration writes them, without a trailing blank; "0 s" for less than a
// second (and for a negative span).
QString ProgressDuration(qint64 seconds);
// "done/total"; a total below what is done (an estimate that fell short) shows the done amount.
QString SizeProgressText(qint64 done, qint64 total);

// How often at most progress texts are worded anew within one per cent (milliseconds).
constexpr std::uint32_t ProgressTextIntervalMs = 100;

// When a run of progress reports words its texts anew: at the first report, at another whole per
// cent, or once intervalMs have gone by. A set of thousands of small files reports once per file
// at least, and wording every report cost more than the file.
class ProgressTextPace
{
public:
    explicit ProgressTextPace(std::uint32_t intervalMs = ProgressTextIntervalMs)
        : m_interval(intervalMs)
    {
    }

    // Whether the texts are due at this per cent and tick; when they are, they count as worded.
    bool due(qint64 wholePercent, std::uint32_t now);
    // The next report words them, whatever the per cent and time.
    void restart() { m_worded = false; }

private:
    std::uint32_t m_interval;
    bool m_worded = false;
    qint64 m_percent = 0;
    std::uint32_t m_tick = 0;
};
