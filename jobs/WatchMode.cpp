#include "jobs/WatchMode.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "jobs/WatchRound.h"
#include "tools/GeneralFuncs.h"
#include "ui/MainWindow.h"

namespace {
constexpr int TextStartupCaption = 1;
constexpr int TextWatchingCaption = 154;
constexpr int TextWatchCaption = 155;
constexpr int TextIntervalNotANumber = 153;
constexpr int TextWatchNeedsDeleteFiles = 181;
} // namespace

WatchMode::WatchMode(TForm1 &form)
    : QObject(&form), m_form(form),
      m_timer(std::make_unique<QtWatchTimer>(form.Timer1, [this] { Timer1Timer(); })),
      m_unpack([this, &form] {
          // A round with nothing to do writes no job lines: an idle watch keeps the log quiet.
          if (WatchRoundHasWork(form.context(), m_memory))
              emit form.Button1->clicked(false);
      })
{
    connect(form.Button17, &QPushButton::clicked, this, &WatchMode::Button17Click);
}

WatchMode::~WatchMode() = default;

void WatchMode::setTimer(std::unique_ptr<WatchTimer> timer)
{
    m_timer->stop();
    m_timer = std::move(timer);
    m_form.jobControl().WatchTimerEnabled = m_timer->isActive();
}

void WatchMode::Button17Click()
{
    // The running timer decides, not only the caption: a language change re-captions the
    // button with its start-up text while watching, which must not make watching unstoppable.
    if (m_timer->isActive()) {
        stopWatching();
        return;
    }
    // The start-up caption (text 1) counts as "Watch" too, for language files that word the
    // two differently.
    const QString caption = m_form.Button17->text();
    const EngineContext &ctx = m_form.context();
    if (caption == ctx.LangText(TextWatchCaption) || caption == ctx.LangText(TextStartupCaption))
        startWatching();
}

void WatchMode::startWatching()
{
    EngineContext &ctx = m_form.context();
    const QString text = m_form.Edit6->text();
    // A number of seconds whose milliseconds do not fit the timer is refused like one that is
    // not a number, before anything has changed.
    bool converted = false;
    const qlonglong seconds = text.toLongLong(&converted, 10);
    if (!IsNumeric(text) || !converted || seconds > MaxIntervalSeconds) {
        ctx.dialogs.messageBox(ctx.LangText(TextIntervalNotANumber), QStringLiteral("Error"),
                               MessageIcon::Error);
        return;
    }
    if (!m_form.DeleteSources()) {
        ctx.dialogs.messageBox(ctx.LangText(TextWatchNeedsDeleteFiles), QStringLiteral("Error"),
                               MessageIcon::Error);
        return;
    }
    m_form.CheckBox4->setChecked(true);
    m_timer->stop();
    m_timer->start(seconds == 0 ? 1 : static_cast<int>(seconds * 1000));
    m_form.jobControl().WatchTimerEnabled = true;
    ctx.watchOpenedNfos.clear();
    m_memory = WatchMemory();
    m_form.Button17->setText(ctx.LangText(TextWatchingCaption));
    m_form.Button1->setEnabled(false);
    m_form.Button15->setEnabled(false);
    m_form.Button14->setEnabled(false);
}

void WatchMode::stopWatching()
{
    m_timer->stop();
    m_form.jobControl().WatchTimerEnabled = false;
    m_form.Button17->setText(m_form.context().LangText(TextWatchCaption));
    // Stop and Pause belong to a running job; none runs between two watch rounds.
    m_form.Button1->setEnabled(true);
}

void WatchMode::Timer1Timer()
{
    if (m_form.jobControl().JobStartTick == 0 && m_unpack)
        m_unpack();
}
