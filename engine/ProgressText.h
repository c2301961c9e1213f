#pragma once
// The figures of the progress display and the job's time line, written so that each one reads
// true: no empty durations, no done amount above its total.

#include <QString>

// A size for the progress display: bytes below 1 KiB ("512 B", "0 B"), else as FormatSize.
QString ProgressSize(qint64 bytes);
// Whole seconds as FormatDuration writes them, without a trailing blank; "0 s" for less than a
// second (and for a negative span).
QString ProgressDuration(qint64 seconds);
// "done/total"; a total below what is done (an estimate that fell short) shows the done amount.
QString SizeProgressText(qint64 done, qint64 total);
