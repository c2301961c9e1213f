#include "ui/TrayIcon.h"

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include "engine/Dialogs.h"
#include "engine/Settings.h"
#include "ui/Pictures.h"

namespace {

class SystemTrayShell : public TrayShell
{
public:
    SystemTrayShell(QMenu *menu, TrayIcon *owner)
    {
        m_icon.setIcon(ApplicationIcon());
        m_icon.setToolTip(TrayIcon::tip());
        m_icon.setContextMenu(menu); // the desktop opens it on the right button
        QObject::connect(&m_icon, &QSystemTrayIcon::activated, owner, &TrayIcon::iconActivated);
    }
    bool addIcon() override
    {
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            return false;
        m_icon.show();
        m_keepIcon = true;
        return true;
    }
    void removeIcon() override
    {
        m_keepIcon = false;
        m_icon.hide();
    }
    bool iconShown() const override { return m_icon.isVisible(); }
    void setToolTip(const QString &text) override { m_icon.setToolTip(text); }
    bool showMessage(const QString &title, const QString &text, bool warning) override
    {
        if (!QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
            return false;
        // A message needs the icon on screen; one shown only for it goes again afterwards.
        if (!m_icon.isVisible()) {
            m_icon.show();
            QTimer::singleShot(MessageMilliseconds + 1000, &m_icon, [this] {
                if (!m_keepIcon)
                    m_icon.hide();
            });
        }
        m_icon.showMessage(title, text,
                           warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information,
                           MessageMilliseconds);
        return true;
    }

private:
    static constexpr int MessageMilliseconds = 10000;
    QSystemTrayIcon m_icon;
    bool m_keepIcon = false; // shown by SendToTray, not only for a message
};

} // namespace

namespace {

TrayMenuItems buildMenu(QMenu *menu)
{
    TrayMenuItems items;
    items.menu = menu;
    menu->setObjectName(QStringLiteral("TrayMenu"));
    items.open = menu->addAction(QStringLiteral("Open"));
    items.open->setObjectName(QStringLiteral("Open1"));
    QFont bold = items.open->font();
    bold.setBold(true);
    items.open->setFont(bold);
    menu->setDefaultAction(items.open);
    items.separator = menu->addSeparator();
    items.separator->setObjectName(QStringLiteral("N1"));
    items.pause = menu->addAction(QStringLiteral("Pause"));
    items.pause->setObjectName(QStringLiteral("Pause1"));
    items.stop = menu->addAction(QStringLiteral("Stop"));
    items.stop->setObjectName(QStringLiteral("Stop1"));
    items.diskSpace = menu->addAction(QStringLiteral("Disk Space"));
    items.diskSpace->setObjectName(QStringLiteral("DiskSpace1"));
    return items;
}

} // namespace

TrayIcon::TrayIcon(QWidget &mainWindow, const Settings &settings, Dialogs &dialogs,
                   TrayCommands commands, std::unique_ptr<TrayShell> shell)
    : TrayIcon(mainWindow, settings, dialogs, TrayMenuItems{}, std::move(commands),
               std::move(shell))
{
}

TrayIcon::TrayIcon(QWidget &mainWindow, const Settings &settings, Dialogs &dialogs,
                   const TrayMenuItems &menu, TrayCommands commands,
                   std::unique_ptr<TrayShell> shell)
    : m_window(mainWindow), m_settings(settings), m_dialogs(dialogs),
      m_commands(std::move(commands))
{
    TrayMenuItems items = menu;
    if (!items.menu) {
        m_ownMenu = std::make_unique<QMenu>();
        items = buildMenu(m_ownMenu.get());
    }
    TrayMenu = items.menu;
    Open1 = items.open;
    N1 = items.separator;
    Pause1 = items.pause;
    Stop1 = items.stop;
    DiskSpace1 = items.diskSpace;
    connectMenu();
    m_shell = shell ? std::move(shell) : std::make_unique<SystemTrayShell>(TrayMenu, this);
}

void TrayIcon::connectMenu()
{
    connect(Open1, &QAction::triggered, this, &TrayIcon::ComeBackFromTray);
    const auto runCommand = [](const std::function<void()> &command) {
        if (command)
            command();
    };
    connect(Pause1, &QAction::triggered, this,
            [this, runCommand] { runCommand(m_commands.pause); });
    connect(Stop1, &QAction::triggered, this, [this, runCommand] { runCommand(m_commands.stop); });
    connect(DiskSpace1, &QAction::triggered, this,
            [this, runCommand] { runCommand(m_commands.diskSpace); });
}

void TrayIcon::setShell(std::unique_ptr<TrayShell> shell)
{
    if (m_shell)
        m_shell->removeIcon();
    m_shell = std::move(shell);
    m_shell->setToolTip(m_toolTip);
}

void TrayIcon::setToolTip(const QString &text)
{
    m_toolTip = text;
    m_shell->setToolTip(text);
}

bool TrayIcon::showMessage(const QString &title, const QString &text, bool warning)
{
    return m_shell->showMessage(title, text, warning);
}

TrayIcon::~TrayIcon()
{
    // The desktop's icon refers to the menu: it goes first.
    m_shell.reset();
}

void TrayIcon::SendToTray(bool animate)
{
    Q_UNUSED(animate);
    if (!m_shell->addIcon()) {
        m_dialogs.messageBox(QStringLiteral("Can not add TNA-Icon"), QStringLiteral("Error"),
                             MessageIcon::Error);
        return; // without an icon, a hidden window could never be reached again
    }
    m_window.hide();
}

void TrayIcon::ComeBackFromTray()
{
    if (m_settings.NoReturnFromTray())
        return;
    if (m_settings.AlwaysInTray()) {
        if (m_window.isVisible() && m_window.isEnabled()) {
            m_window.raise();
            m_window.activateWindow();
        }
        return;
    }
    m_shell->removeIcon();
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

void TrayIcon::AlwaysInTrayChanged(bool on)
{
    if (on) {
        SendToTray(false);
        m_window.show();
    } else {
        ComeBackFromTray();
    }
}

void TrayIcon::removeIcon()
{
    m_shell->removeIcon();
}

bool TrayIcon::iconShown() const
{
    return m_shell->iconShown();
}

void TrayIcon::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    // The right button's menu is opened by the desktop itself (setContextMenu). Desktops with
    // StatusNotifierItem icons report every left click as Trigger and never a double-click, so
    // Trigger comes back too; where both arrive, the second return changes nothing.
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
        ComeBackFromTray();
}
