#pragma once
// The desktop notification at the end of an unpack job: what it says and how it reaches the
// desktop (its notification service over D-Bus, else the tray icon's message).

#include <functional>
#include <QString>

struct JobTally;
class LanguageTexts;

class Notifier
{
public:
    virtual ~Notifier() = default;
    // Shows one notification; failed asks for the desktop's more urgent form.
    virtual void notify(const QString &title, const QString &text, bool failed) = 0;
};

// The freedesktop notification service first; where it is missing or refuses, the fallback
// (the tray icon's message).
class DesktopNotifier : public Notifier
{
public:
    using Channel = std::function<bool(const QString &title, const QString &text, bool failed)>;
    explicit DesktopNotifier(Channel fallback, Channel service = NotificationService);
    void notify(const QString &title, const QString &text, bool failed) override;

    // org.freedesktop.Notifications on the session bus; false without an answer.
    static bool NotificationService(const QString &title, const QString &text, bool failed);

private:
    Channel m_fallback;
    Channel m_service;
};

// The notification's text for a job's tally: the sets unpacked and whether anything failed.
QString JobEndText(const LanguageTexts &language, const JobTally &tally);
