#include "jobs/JobNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

#include "engine/JobControl.h"
#include "engine/LanguageTexts.h"
#include "engine/TextNumbers.h"

namespace {
// A busy or hung service must not hold up the window.
constexpr int ServiceTimeoutMs = 2000;
} // namespace

DesktopNotifier::DesktopNotifier(Channel fallback, Channel service)
    : m_fallback(std::move(fallback)), m_service(std::move(service))
{
}

void DesktopNotifier::notify(const QString &title, const QString &text, bool failed)
{
    if (m_service && m_service(title, text, failed))
        return;
    if (m_fallback)
        m_fallback(title, text, failed);
}

bool DesktopNotifier::NotificationService(const QString &title, const QString &text, bool failed)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(failed ? 2 : 1)));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("tevo"));
    call << QStringLiteral("Tevo") << uint(0) << QStringLiteral("tevo") << title << text
         << QStringList() << hints << int(-1);
    const QDBusMessage reply = bus.call(call, QDBus::Block, ServiceTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

QString JobEndText(const LanguageTexts &language, const JobTally &tally)
{
    const QString unpacked = QString::number(tally.archivesUnpacked);
    if (tally.failures == 0)
        return language.LangText(Text::NothingFailed, {unpacked});
    return language.LangText(Text::SomeFailed, {unpacked, QString::number(tally.failures)});
}
