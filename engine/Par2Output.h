#pragma once
// par2's output read as lines: split at "\r" as well as "\n" (its progress lines end with "\r"),
// the percentages kept apart for the display, and only the last few other lines kept.

#include <optional>
#include <QByteArray>
#include <QString>
#include <QStringList>

struct Par2Progress
{
    QString step;    // "Repairing", "Scanning" ...
    QString percent; // "45.2"
};

class Par2Output
{
public:
    // How many lines are kept, and how long one may be.
    static constexpr int KeptLines = 12;
    static constexpr int LongestLine = 300;

    // Takes the next bytes of output; complete lines are sorted at once.
    void feed(const QByteArray &bytes);
    // The output has ended: what is left is a line too.
    void finish();
    // The latest percentage since the last call, if one came.
    std::optional<Par2Progress> takeProgress();
    // The last lines that were no percentage, oldest first, trimmed.
    QStringList lastLines() const { return m_lines; }
    // Of those, the ones that say why a repair failed: "Repair is not possible.", "You need 140
    // more recovery blocks ...", the files found missing or damaged.
    QStringList reasons() const;

private:
    void takeLine(const QString &line);

    QByteArray m_pending;
    QStringList m_lines;
    std::optional<Par2Progress> m_progress;
};
