#include "engine/SfvCheck.h"

#include <optional>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "engine/Crc32.h"
#include "engine/EngineContext.h"
#include "engine/Errors.h"
#include "engine/FolderEntries.h"
#include "engine/GeneralFuncs.h"
#include "engine/LegacyNames.h"
#include "engine/ProgressText.h"
#include "engine/TextNumbers.h"

namespace {

QString Plural(int n)
{
    return n == 1 ? QString() : QStringLiteral("s");
}

// The list as text.
QString DecodeSfvText(const QByteArray &content)
{
    return DecodeLegacyName(content, LegacyCodePage::Windows1252);
}

// NULs and blanks at the end of a line are padding: some tools fill the list's last block with
// them, others end a line with a NUL before its line break.
QStringView WithoutPadding(QStringView line)
{
    while (line.endsWith(QChar(0)) || line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    return line;
}

// Whole seconds from a start tick to now; the tick counter wraps like the system's.
qint32 SecondsSince(const EngineContext &ctx, std::uint32_t startTick)
{
    return static_cast<qint32>((ctx.platform.tickCount() - startTick) / 1000);
}

class SfvChecker
{
public:
    SfvChecker(EngineContext &ctx, const QString &sfvPath, const QSet<QString> &otherSetsVolumes)
        : m_ctx(ctx), m_sfvPath(sfvPath), m_otherSetsVolumes(otherSetsVolumes),
          m_folder(FolderOf(sfvPath) + QLatin1Char('/'))
    {
    }

    bool run()
    {
        m_ctx.view.setCurrentFileText(QStringLiteral("(SFV) ") + m_sfvPath.mid(m_folder.size()));
        m_startTick = m_ctx.platform.tickCount();

        if (QFileInfo(m_sfvPath).isFile()) {
            std::optional<QList<SfvEntry>> entries = load();
            if (!entries)
                return false;
            entries->removeIf([this](const SfvEntry &entry) { return ofAnotherSet(entry); });
            if (m_ctx.job.WatchTimerEnabled && !allListedFilesPresent(*entries))
                return false;
            checkEntries(*entries);
        }

        const qint32 seconds = SecondsSince(m_ctx, m_startTick);
        log(m_ctx.LangText(Text::CheckedIn, {QString::number(seconds)}));
        log(m_ctx.LangText(Text::SfvSummary,
                           {QString::number(m_ok), QString::number(m_failed),
                            QString::number(m_missing), ProgressDuration(seconds)}));
        if (!m_missingNames.isEmpty()) {
            // A list that is no SFV file at all would otherwise fill the log with its lines.
            constexpr int MostNamesShown = 10;
            QString names = m_missingNames.mid(0, MostNamesShown).join(QStringLiteral(", "));
            if (m_missingNames.size() > MostNamesShown)
                names += QStringLiteral(", …");
            log(m_ctx.LangText(Text::MissingFiles, {names}));
        }
        return m_passed;
    }

private:
    void log(const QString &message) { m_ctx.AddLogLine(LogTag::Sfv + message); }

    std::optional<QList<SfvEntry>> load()
    {
        QFile file(m_sfvPath);
        if (!file.open(QIODevice::ReadOnly))
            throw TevoError(QStringLiteral("%1: %2").arg(m_sfvPath, file.errorString()));
        if (file.size() > MaximumSfvSize) {
            log(m_ctx.LangText(Text::SfvTooLarge, {m_sfvPath}));
            return std::nullopt;
        }
        const QByteArray content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw TevoError(QStringLiteral("%1: %2").arg(m_sfvPath, file.errorString()));
        return ParseSfv(content);
    }

    // The entry's file when it is there and may be read; logs a name that reaches outside.
    QString listedFile(const SfvEntry &entry)
    {
        const QString path = SfvEntryPath(m_folder, entry.name);
        if (path.isEmpty()) {
            log(m_ctx.LangText(Text::EntryOutsideFolder, {entry.name}));
            return QString();
        }
        return QFileInfo(path).isFile() ? path : QString();
    }

    bool ofAnotherSet(const SfvEntry &entry) const
    {
        if (m_otherSetsVolumes.isEmpty())
            return false;
        const QString path = SfvEntryPath(m_folder, entry.name);
        return !path.isEmpty() && m_otherSetsVolumes.contains(NormalizeSlashes(path));
    }

    // Watch mode only: a release still being downloaded is left for a later round.
    bool allListedFilesPresent(const QList<SfvEntry> &entries)
    {
        for (const SfvEntry &entry : entries) {
            if (listedFile(entry).isEmpty()) {
                log(m_ctx.LangText(Text::ListedFileMissing, {entry.name}));
                return false;
            }
        }
        return true;
    }

    void checkEntries(const QList<SfvEntry> &entries)
    {
        int progressMaximum = 0;
        for (const SfvEntry &entry : entries)
            progressMaximum += entry.hasBlank ? 1 : 0;
        m_ctx.view.setProgressRange(progressMaximum);
        m_ctx.view.setProgressPosition(0);
        int position = 0;

        for (int i = 0; i < entries.size(); ++i) {
            if (m_ctx.checkpoint.waitWhilePaused()) {
                abandon(i, entries.size());
                return;
            }
            const SfvEntry &entry = entries.at(i);
            const QString path = listedFile(entry);
            if (path.isEmpty()) {
                ++m_missing;
                if (!entry.name.isEmpty())
                    m_missingNames << entry.name;
                m_passed = false;
                continue;
            }
            const QString computed = FileCrc32(m_ctx, path);
            if (entry.expectedCrc.toLower() != computed.toLower()) {
                ++m_failed;
                m_damagedNames << entry.name;
                log(m_ctx.LangText(Text::EntryDamaged, {entry.name, computed, entry.expectedCrc}));
                m_passed = false;
                return;
            }
            ++m_ok;
            if (m_ctx.settings.FullOutput())
                log(m_ctx.LangText(Text::EntryOk, {entry.name, entry.expectedCrc}));
            m_ctx.view.setProgressText(progressText());
            m_ctx.view.setProgressPosition(++position);
            m_ctx.checkpoint.pump();
            if (m_ctx.checkpoint.cancelled()) {
                abandon(i + 1, entries.size());
                return;
            }
        }
    }

    // An abort before every entry was checked is no pass: the files not looked at may be bad.
    void abandon(int checked, int total)
    {
        if (checked < total)
            m_passed = false;
    }

    QString progressText() const
    {
        const qint32 elapsed = SecondsSince(m_ctx, m_ctx.job.JobStartTick);
        return QStringLiteral("%1 File%2 OK, %3 File%4 Failed, %5 File%6 Missing "
                              "(Time elapsed ins: %7)")
            .arg(QString::number(m_ok), Plural(m_ok), QString::number(m_failed), Plural(m_failed),
                 QString::number(m_missing), Plural(m_missing), ProgressDuration(elapsed));
    }

    EngineContext &m_ctx;
    const QString m_sfvPath;
    const QSet<QString> &m_otherSetsVolumes;
    const QString m_folder;
    std::uint32_t m_startTick = 0;
    int m_ok = 0;
    int m_failed = 0;
    int m_missing = 0;

public:
    QStringList m_missingNames;
    QStringList m_damagedNames;

private:
    bool m_passed = true;
};

bool IsHexDigits(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
            return false;
    }
    return true;
}

SfvEntry ParseSfvLine(QStringView line)
{
    // "name with blanks   1A2B3C4D": the CRC is the last word.
    constexpr int crcDigits = 8;
    if (line.size() > crcDigits + 1 && IsHexDigits(line.right(crcDigits)) &&
        line.at(line.size() - crcDigits - 1) == QLatin1Char(' ')) {
        QStringView name = line.left(line.size() - crcDigits - 1);
        while (name.endsWith(QLatin1Char(' ')))
            name.chop(1);
        if (!name.isEmpty())
            return {name.toString(), line.right(crcDigits).toString(), true};
    }
    const qsizetype firstBlank = line.indexOf(QLatin1Char(' '));
    if (firstBlank < 0)
        return {line.toString(), QString(), false};
    const qsizetype secondBlank = line.indexOf(QLatin1Char(' '), firstBlank + 1);
    const QStringView crc = secondBlank < 0
                                ? line.mid(firstBlank + 1)
                                : line.mid(firstBlank + 1, secondBlank - firstBlank - 1);
    return {line.left(firstBlank).toString(), crc.toString(), true};
}

// The one file of folder whose name equals name but for letter case; empty when there is none
// or more than one.
QString CaseInsensitiveMatch(const QString &folder, const QString &name)
{
    QString found;
    for (const FolderEntry &entry : ListFolderEntries(folder)) {
        if (entry.kind != FolderEntry::Kind::File ||
            entry.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!found.isEmpty())
            return QString();
        found = entry.name;
    }
    return found;
}

} // namespace

QList<SfvEntry> ParseSfv(const QByteArray &content)
{
    const QString text = DecodeSfvText(content);
    QList<SfvEntry> entries;
    int lineStart = 0;
    while (lineStart < text.size()) {
        int lineEnd = lineStart;
        while (lineEnd < text.size() && text.at(lineEnd) != QLatin1Char('\r') &&
               text.at(lineEnd) != QLatin1Char('\n'))
            ++lineEnd;
        const QStringView line =
            WithoutPadding(QStringView(text).mid(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        if (lineEnd + 1 < text.size() && text.at(lineEnd) == QLatin1Char('\r') &&
            text.at(lineEnd + 1) == QLatin1Char('\n'))
            ++lineStart;

        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        entries.append(ParseSfvLine(line));
    }
    return entries;
}

QString SfvEntryPath(const QString &sfvFolder, const QString &name)
{
    if (name.startsWith(QLatin1Char('/')) || name.contains(QChar(0)))
        return QString();
    const QStringList parts = name.split(QLatin1Char('/'));
    if (parts.contains(QStringLiteral("..")))
        return QString();
    QString path = sfvFolder + name;
    if (!QFileInfo::exists(path)) {
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        const QString other = CaseInsensitiveMatch(path.left(slash), path.mid(slash + 1));
        if (!other.isEmpty())
            path = path.left(slash + 1) + other;
    }
    // A link may point anywhere; only what resolves inside the folder is read.
    const QString resolved = QFileInfo(path).canonicalFilePath();
    if (!resolved.isEmpty()) {
        QString folder = QFileInfo(sfvFolder).canonicalFilePath();
        if (resolved == folder)
            return path; // an empty name or "." names the folder, which is no listed file
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        if (!resolved.startsWith(folder))
            return QString();
    }
    return path;
}

bool CheckSFV(EngineContext &ctx, const QString &sfvPath, const QSet<QString> &otherSetsVolumes,
              SfvFindings *findings)
{
    SfvChecker checker(ctx, sfvPath, otherSetsVolumes);
    const bool passed = checker.run();
    if (findings) {
        findings->missing << checker.m_missingNames;
        findings->damaged << checker.m_damagedNames;
    }
    return passed;
}

std::optional<QList<SfvEntry>> ReadSfvEntries(const QString &path)
{
    QFile file(path);
    if (file.size() > MaximumSfvSize || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return ParseSfv(content);
}
