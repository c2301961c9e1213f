#include "jobs/UnpackJob.h"

#include <exception>
#include <optional>

#include "engine/AfterUnpack.h"
#include "engine/EngineContext.h"
#include "engine/Errors.h"
#include "engine/GeneralFuncs.h"
#include "engine/ProgressText.h"
#include "engine/TextNumbers.h"
#include "jobs/JobWindow.h"

UnpackJob::UnpackJob(EngineContext &ctx, JobWindow &window, SoundOutput &sound, FolderRun folderRun)
    : m_ctx(ctx), m_window(window), m_sound(sound), m_folderRun(std::move(folderRun))
{
}

void UnpackJob::start()
{
    m_ctx.view.showTab(WindowTab::ProgressLog);
    m_ctx.AddLogLine(EngineContext::equalsLine());
    m_ctx.AddLogLine(m_ctx.LangText(Text::JobStarted));
    m_ctx.AddLogLine(EngineContext::equalsLine());
    m_ctx.job.JobStartTick = m_ctx.platform.tickCount();
    // A Stop or Pause belongs to the job it was pressed in.
    m_ctx.job.StopRequested = false;
    m_ctx.job.Paused = false;
    m_ctx.job.FilesWrittenThisJob.clear();
    m_ctx.job.FilesMadeByRepair.clear();
    m_running = true;

    // The English literals on purpose: a Stop or Pause left pending by the last job keeps its
    // flag but not its caption.
    m_window.setStopCaption(QStringLiteral("Stop"));
    m_window.setStopEnabled(true);
    m_window.setPauseEnabled(true);
    m_window.setPauseCaption(QStringLiteral("Pause"));
    m_window.setUnpackEnabled(false);
    m_window.setWatchEnabled(false);

    m_folderRuns = 0;
    m_outcomes.clear();
    m_ctx.job.Tally = {};
    m_ctx.Events().jobStarted();
    std::optional<QString> error;
    try {
        runFolders();
    } catch (const TevoError &e) {
        error = e.message();
    } catch (const std::exception &e) {
        error = QString::fromLocal8Bit(e.what());
    }
    m_running = false;
    if (error)
        ++m_ctx.job.Tally.failures;
    endJob();

    // Powering off belongs to the end of the whole job, not to the end of one folder: a queue is
    // done in full (each folder with its after-extraction action) before the machine goes down.
    if (m_folderRuns > 0 && m_ctx.settings.ShutdownAfter())
        m_ctx.platform.requestShutdown();

    if (error)
        m_ctx.dialogs.messageBox(*error, QStringLiteral("Error"), MessageIcon::Error);
}

void UnpackJob::runFolders()
{
    const Settings &settings = m_ctx.settings;
    if (settings.InputMode() == InputModeChoice::SingleFolder) {
        const QStringList extracted = runFolder(settings.InputFolder(), 1, 1);
        if (!m_ctx.job.AbortRequested)
            AfterUnpack(m_ctx, m_sound, extracted);
        return;
    }

    const int count = settings.Queue().size();
    for (int index = 0; index < count; ++index) {
        // Close ends the whole job: no later folder runs.
        if (m_ctx.job.AbortRequested)
            return;
        // Read anew each time: "Clear queue and jump back" may have emptied it meanwhile.
        const QStringList queue = settings.Queue();
        if (index >= queue.size())
            break;
        const QStringList extracted = runFolder(queue.at(index), index + 1, queue.size());
        if (m_ctx.job.AbortRequested)
            return;
        AfterUnpack(m_ctx, m_sound, extracted);
    }
    if (!m_window.watchTimerEnabled())
        m_ctx.view.clearQueue();
}

QStringList UnpackJob::runFolder(const QString &folder, int number, int count)
{
    if (!folder.isEmpty()) {
        m_ctx.AddLogLine(LogTag::Unpack +
                         m_ctx.LangText(Text::FolderStarts,
                                        {QString::number(number), QString::number(count), folder}));
        m_ctx.Events().folderStarted(folder);
    }
    const JobTally before = m_ctx.job.Tally;
    m_ctx.job.FolderRefused = false;
    QStringList extracted = m_folderRun(folder);
    // A refused folder (none given, or none there) unpacks nothing: no reason to power off.
    if (!m_ctx.job.FolderRefused)
        ++m_folderRuns;
    if (!folder.isEmpty()) {
        const FolderOutcome outcome{folder,
                                    m_ctx.job.Tally.archivesUnpacked - before.archivesUnpacked,
                                    m_ctx.job.Tally.failures - before.failures};
        m_outcomes << outcome;
        m_ctx.Events().folderEnded(folder, outcome.unpacked, outcome.failed);
    }
    return extracted;
}

void UnpackJob::logSummary()
{
    for (const FolderOutcome &outcome : std::as_const(m_outcomes)) {
        const QString unpacked = QString::number(outcome.unpacked);
        m_ctx.AddLogLine(
            LogTag::Unpack +
            (outcome.failed == 0
                 ? m_ctx.LangText(Text::FolderNothingFailed, {outcome.folder, unpacked})
                 : m_ctx.LangText(Text::FolderSomeFailed,
                                  {outcome.folder, unpacked, QString::number(outcome.failed)})));
    }
}

void UnpackJob::endJob()
{
    m_window.setStopEnabled(false);
    m_window.setPauseEnabled(false);
    m_window.setWatchEnabled(true);

    logSummary();
    const std::uint32_t elapsed = (m_ctx.platform.tickCount() - m_ctx.job.JobStartTick) / 1000u;
    m_ctx.AddLogLine(LogTag::Unpack + m_ctx.LangText(Text::JobTime, {ProgressDuration(elapsed)}));
    m_ctx.AddLogLine(EngineContext::equalsLine());
    m_ctx.AddLogLine(m_ctx.LangText(Text::JobFinished));
    m_ctx.AddLogLine(EngineContext::equalsLine());
    m_ctx.view.setApplicationTitle(QStringLiteral("[Tevo]"));
    m_ctx.Events().jobEnded(m_ctx.job.Tally.archivesUnpacked, m_ctx.job.Tally.failures,
                            int(elapsed));

    m_ctx.job.JobStartTick = 0;
    m_window.setUnpackEnabled(true);
}

void UnpackJob::stop()
{
    // Stop and Pause act on a running job only (the tray menu reaches them at any time).
    if (!m_running)
        return;
    JobControl &job = m_ctx.job;
    if (!job.StopRequested) {
        job.StopRequested = true;
        m_window.setStopCaption(m_ctx.LangText(Text::StopPendingCaption));
        m_ctx.AddLogLine(LogTag::Notice + m_ctx.LangText(Text::StopPendingNotice));
    } else {
        job.StopRequested = false;
        m_window.setStopCaption(m_ctx.LangText(Text::StopCaption));
        m_ctx.AddLogLine(LogTag::Notice + m_ctx.LangText(Text::StopCancelledNotice));
    }
}

void UnpackJob::togglePause()
{
    if (!m_running)
        return;
    JobControl &job = m_ctx.job;
    if (!job.Paused) {
        m_ctx.AddLogLine(LogTag::Unpack + m_ctx.LangText(Text::Pausing));
        // Lets the log line show before the job holds.
        m_ctx.platform.processEvents();
        job.Paused = true;
        m_window.setPauseCaption(m_ctx.LangText(Text::PausedCaption));
    } else {
        job.Paused = false;
        m_ctx.AddLogLine(LogTag::Unpack + m_ctx.LangText(Text::Resuming));
        m_window.setPauseCaption(m_ctx.LangText(Text::PauseCaption));
    }
}
