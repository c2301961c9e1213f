#include "jobs/WatchMode.h"

#include <QTimer>

#include "engine/EngineContext.h"
#include "engine/GeneralFuncs.h"
#include "engine/TextNumbers.h"
#include "jobs/JobWindow.h"
#include "jobs/WatchRound.h"
#include "settings/SettingsModel.h"

WatchMode::WatchMode(EngineContext &ctx, SettingsModel &settings, JobWindow &window, QTimer *timer,
                     std::function<void()> runJob, QObject *parent)
    : QObject(parent), m_ctx(ctx), m_settings(settings), m_window(window),
      m_timer(
          std::make_unique<QtWatchTimer>(timer ? timer : new QTimer(this), [this] { runRound(); })),
      m_unpack([this, runJob = std::move(runJob)] {
          // A round with nothing to do writes no job lines: an idle watch keeps the log quiet.
          if (WatchRoundHasWork(m_ctx, m_memory) && runJob)
              runJob();
      })
{
}

WatchMode::~WatchMode() = default;

void WatchMode::setTimer(std::unique_ptr<WatchTimer> timer)
{
    m_timer->stop();
    m_timer = std::move(timer);
    m_ctx.job.WatchTimerEnabled = m_timer->isActive();
}

void WatchMode::toggle()
{
    // The running timer decides, not only the caption: a language change re-captions the
    // button with its start-up text while watching, which must not make watching unstoppable.
    if (m_timer->isActive()) {
        StopWatching();
        return;
    }
    // The start-up caption (text 1) counts as "Watch" too, for language files that word the
    // two differently.
    const QString caption = m_window.watchCaption();
    if (caption == m_ctx.LangText(Text::WatchCaption) ||
        caption == m_ctx.LangText(Text::WatchButtonCaption))
        StartWatching();
}

bool WatchMode::StartWatching()
{
    EngineContext &ctx = m_ctx;
    const QString text = m_settings.WatchInterval();
    // A number of seconds whose milliseconds do not fit the timer is refused like one that is
    // not a number, before anything has changed.
    bool converted = false;
    const qlonglong seconds = text.toLongLong(&converted, 10);
    if (!IsNumeric(text) || !converted || seconds > MaxIntervalSeconds) {
        ctx.dialogs.messageBox(ctx.LangText(Text::IntervalNotANumber), QStringLiteral("Error"),
                               MessageIcon::Error);
        return false;
    }
    if (!m_settings.DeleteSources()) {
        ctx.dialogs.messageBox(ctx.LangText(Text::WatchNeedsDeleteFiles), QStringLiteral("Error"),
                               MessageIcon::Error);
        return false;
    }
    m_settings.setCheckSfv(true);
    m_timer->stop();
    m_timer->start(seconds == 0 ? 1 : static_cast<int>(seconds * 1000));
    m_ctx.job.WatchTimerEnabled = true;
    ctx.watchOpenedNfos.clear();
    m_memory = WatchMemory();
    m_window.setWatchCaption(ctx.LangText(Text::WatchingCaption));
    m_window.setUnpackEnabled(false);
    m_window.setPauseEnabled(false);
    m_window.setStopEnabled(false);
    return true;
}

void WatchMode::StopWatching()
{
    m_timer->stop();
    m_ctx.job.WatchTimerEnabled = false;
    m_window.setWatchCaption(m_ctx.LangText(Text::WatchCaption));
    // Stop and Pause belong to a running job; none runs between two watch rounds.
    m_window.setUnpackEnabled(true);
}

void WatchMode::runRound()
{
    if (m_ctx.job.JobStartTick == 0 && m_unpack)
        m_unpack();
}
