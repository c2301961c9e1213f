#pragma once
// Tevo's icon in the notification area: sending the main window there, coming back, the icon menu.

#include <functional>
#include <memory>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

class Dialogs;
class QAction;
class QMenu;
class QWidget;
class Settings;

// The desktop's side of the icon. The real one is QSystemTrayIcon; tests put in their own,
// as a test machine may have no notification area at all.
class TrayShell
{
public:
    virtual ~TrayShell() = default;
    // Shows the icon (again); false when the desktop has no notification area for it.
    virtual bool addIcon() = 0;
    // Removing an icon that is not shown is harmless.
    virtual void removeIcon() = 0;
    virtual bool iconShown() const = 0;
    // The text shown when the pointer rests on the icon.
    virtual void setToolTip(const QString &text) { Q_UNUSED(text); }
    // Shows a message from the icon; false when the desktop cannot show one.
    virtual bool showMessage(const QString &title, const QString &text, bool warning)
    {
        Q_UNUSED(title);
        Q_UNUSED(text);
        Q_UNUSED(warning);
        return false;
    }
};

// The commands behind the menu items; they run even when their buttons are disabled.
struct TrayCommands
{
    std::function<void()> pause;     // the Pause button's command
    std::function<void()> stop;      // the Stop button's command
    std::function<void()> diskSpace; // the "Disk space" button's command
};

// The icon's menu: "Open" (bold, the default item), a separator, "Pause", "Stop", "Disk Space".
struct TrayMenuItems
{
    QMenu *menu = nullptr;
    QAction *open = nullptr;
    QAction *separator = nullptr;
    QAction *pause = nullptr;
    QAction *stop = nullptr;
    QAction *diskSpace = nullptr;
};

class TrayIcon : public QObject
{
    Q_OBJECT
public:
    // Builds its own menu; the shell defaults to a QSystemTrayIcon with the tip "Tevo".
    TrayIcon(QWidget &mainWindow, const Settings &settings, Dialogs &dialogs, TrayCommands commands,
             std::unique_ptr<TrayShell> shell = nullptr);
    // Uses the menu the main window holds.
    TrayIcon(QWidget &mainWindow, const Settings &settings, Dialogs &dialogs,
             const TrayMenuItems &menu, TrayCommands commands,
             std::unique_ptr<TrayShell> shell = nullptr);
    ~TrayIcon() override;

    // Replaces the desktop's side of the icon (tests without a notification area).
    void setShell(std::unique_ptr<TrayShell> shell);

    // Shows the icon and hides the main window. When the desktop refuses the icon, says so
    // and keeps the window on screen, so that Tevo never ends up with neither. Linux desktops
    // have no caption animation, so animate changes nothing.
    void SendToTray(bool animate);
    // Returns from the notification area as NoReturnFromTray and AlwaysInTray allow.
    void ComeBackFromTray();
    // The click rule of "Always stay in TNA" (CheckBox20).
    void AlwaysInTrayChanged(bool on);
    // Removes the icon; the main window's destruction calls it.
    void removeIcon();

    bool iconShown() const;
    // The icon's tip: "Tevo" while idle, the job's progress title while a job runs.
    void setToolTip(const QString &text);
    QString toolTip() const { return m_toolTip; }
    // A message from the icon, for desktops without a notification service; false when the
    // desktop has no notification area either.
    bool showMessage(const QString &title, const QString &text, bool warning);

    QMenu *TrayMenu;
    QAction *Open1;
    QAction *N1;
    QAction *Pause1;
    QAction *Stop1;
    QAction *DiskSpace1;

    static QString tip() { return QStringLiteral("Tevo"); }

public slots:
    // A mouse event on the icon: a left click or double-click comes back, the right button has
    // the menu.
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

private:
    void connectMenu();

    QWidget &m_window;
    const Settings &m_settings;
    Dialogs &m_dialogs;
    TrayCommands m_commands;
    std::unique_ptr<QMenu> m_ownMenu; // only when no menu was handed in
    std::unique_ptr<TrayShell> m_shell;
    QString m_toolTip = tip();
};
