// The tray icon rules: sending the window away, coming back, the two TNA options and the menu.

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QWidget>

#include "support/Fakes.h"
#include "support/TrayFakes.h"
#include "ui/TrayIcon.h"

namespace {

struct TrayFixture
{
    SettingsModel settings;
    ScriptedDialogs dialogs;
    QWidget window;
    FakeTrayShell *shell = nullptr;
    int pauses = 0, stops = 0, diskSpaces = 0;
    std::unique_ptr<TrayIcon> tray;

    TrayFixture()
    {
        auto fake = std::make_unique<FakeTrayShell>();
        shell = fake.get();
        tray = std::make_unique<TrayIcon>(
            window, settings, dialogs,
            TrayCommands{[this] { ++pauses; }, [this] { ++stops; }, [this] { ++diskSpaces; }},
            std::move(fake));
        window.show();
    }
    int refusals() const
    {
        int count = 0;
        for (const auto &message : dialogs.shownMessages)
            count += message.text == QLatin1String("Can not add TNA-Icon") &&
                     message.caption == QLatin1String("Error") &&
                     message.icon == MessageIcon::Error;
        return count;
    }
};

} // namespace

class TestTrayIcon : public QObject
{
    Q_OBJECT

private slots:
    void trayAndBack()
    {
        TrayFixture f;
        f.tray->SendToTray(true);
        QVERIFY(f.shell->shown);
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.refusals(), 0);

        f.tray->iconActivated(QSystemTrayIcon::DoubleClick);
        QVERIFY(f.window.isVisible());
        QVERIFY(!f.shell->shown);

        f.tray->SendToTray(true);
        f.tray->Open1->trigger();
        QVERIFY(f.window.isVisible());
        QVERIFY(!f.shell->shown);
    }

    // A left click (Trigger: all a StatusNotifierItem desktop reports) and a double-click come
    // back; the middle button and the menu's button do not.
    void iconClicksThatComeBack_data()
    {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<bool>("comesBack");
        QTest::newRow("left click") << QSystemTrayIcon::Trigger << true;
        QTest::newRow("double-click") << QSystemTrayIcon::DoubleClick << true;
        QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << false;
        QTest::newRow("menu button") << QSystemTrayIcon::Context << false;
        QTest::newRow("unknown") << QSystemTrayIcon::Unknown << false;
    }
    void iconClicksThatComeBack()
    {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(bool, comesBack);
        TrayFixture f;
        f.tray->SendToTray(true);
        f.tray->iconActivated(reason);
        QCOMPARE(f.window.isVisible(), comesBack);
        QCOMPARE(f.shell->shown, !comesBack);
        // Where a double-click arrives after its first click's Trigger, nothing more happens.
        f.tray->iconActivated(reason);
        QCOMPARE(f.window.isVisible(), comesBack);
        QCOMPARE(f.shell->shown, !comesBack);
    }

    void refusedIconKeepsTheWindow()
    {
        TrayFixture f;
        f.shell->available = false;
        f.tray->SendToTray(true);
        QCOMPARE(f.refusals(), 1);
        QVERIFY(f.window.isVisible());
        QVERIFY(!f.shell->shown);
    }

    void noReturnFromTrayKeepsTheWindowAway()
    {
        TrayFixture f;
        f.settings.setNoReturnFromTray(true);
        f.tray->SendToTray(true);
        f.tray->iconActivated(QSystemTrayIcon::DoubleClick);
        f.tray->Open1->trigger();
        QVERIFY(!f.window.isVisible());
        QVERIFY(f.shell->shown);
        // The other items still work.
        f.tray->Pause1->trigger();
        f.tray->Stop1->trigger();
        f.tray->DiskSpace1->trigger();
        QCOMPARE(f.pauses, 1);
        QCOMPARE(f.stops, 1);
        QCOMPARE(f.diskSpaces, 1);
    }

    void alwaysInTrayRule()
    {
        TrayFixture f;
        // Turning it on: icon and window both present.
        f.settings.setAlwaysInTray(true);
        f.tray->AlwaysInTrayChanged(true);
        QVERIFY(f.shell->shown);
        QVERIFY(f.window.isVisible());
        QCOMPARE(f.shell->addRequests, 1);

        // Double-click and Open only bring it forward; the icon stays.
        f.tray->iconActivated(QSystemTrayIcon::DoubleClick);
        QVERIFY(f.window.isVisible());
        QVERIFY(f.shell->shown);

        // "Tray" repeats the add request and hides; nothing brings the window back.
        f.tray->SendToTray(true);
        QCOMPARE(f.shell->addRequests, 2);
        QVERIFY(!f.window.isVisible());
        f.tray->Open1->trigger();
        f.tray->iconActivated(QSystemTrayIcon::DoubleClick);
        f.tray->DiskSpace1->trigger();
        QVERIFY(!f.window.isVisible());
        QVERIFY(f.shell->shown);

        // Turning it off comes back.
        f.settings.setAlwaysInTray(false);
        f.tray->AlwaysInTrayChanged(false);
        QVERIFY(f.window.isVisible());
        QVERIFY(!f.shell->shown);
    }

    void alwaysInTrayOffWithNoReturnLeavesTheIcon()
    {
        TrayFixture f;
        f.settings.setAlwaysInTray(true);
        f.tray->AlwaysInTrayChanged(true);
        f.settings.setNoReturnFromTray(true);
        f.settings.setAlwaysInTray(false);
        f.tray->AlwaysInTrayChanged(false);
        QVERIFY(f.shell->shown);
        QVERIFY(f.window.isVisible());
    }

    void alwaysInTrayWithoutNotificationArea()
    {
        TrayFixture f;
        f.shell->available = false;
        f.settings.setAlwaysInTray(true);
        f.tray->AlwaysInTrayChanged(true);
        QCOMPARE(f.refusals(), 1);
        QVERIFY(f.window.isVisible());
    }

    void menuLayout()
    {
        TrayFixture f;
        const QList<QAction *> items = f.tray->TrayMenu->actions();
        QCOMPARE(items.size(), 5);
        QCOMPARE(items[0]->text(), QStringLiteral("Open"));
        QVERIFY(items[1]->isSeparator());
        QCOMPARE(items[2]->text(), QStringLiteral("Pause"));
        QCOMPARE(items[3]->text(), QStringLiteral("Stop"));
        QCOMPARE(items[4]->text(), QStringLiteral("Disk Space"));
        QCOMPARE(f.tray->TrayMenu->defaultAction(), f.tray->Open1);
        QVERIFY(f.tray->Open1->font().bold());
        QCOMPARE(TrayIcon::tip(), QStringLiteral("Tevo"));
    }

    void realShellWithoutNotificationArea()
    {
        // The offscreen platform has no notification area: the real icon is refused, and the
        // window stays.
        SettingsModel settings;
        ScriptedDialogs dialogs;
        QWidget window;
        window.show();
        TrayIcon tray(window, settings, dialogs, TrayCommands{});
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("this desktop has a notification area");
        tray.SendToTray(true);
        QCOMPARE(dialogs.shownMessages.size(), 1);
        QVERIFY(window.isVisible());
        tray.removeIcon(); // harmless when not shown
    }
};

QTEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
