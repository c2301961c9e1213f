// The disk-space window: the drive list, its percentages, folder sizes and "Does it fit?".

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "engine/GeneralFuncs.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "tools/DiskSpace.h"
#include "ui/DiskSpaceWindow.h"

namespace {

constexpr qint64 MiB = 1024 * 1024;
constexpr qint64 GiB = 1024 * MiB;

// A file of that size that takes no room on the disk.
void writeSparse(const QString &path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(size));
}

QStringList rowTexts(const QTreeWidget *list, int column)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

} // namespace

class TestDiskSpace : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void percentageIsTruncatedAndSafeForSizeZero()
    {
        QCOMPARE(PercentageUsed(60, 100), QStringLiteral("40%"));
        QCOMPARE(PercentageUsed(591, 1000), QStringLiteral("40%")); // 40.9 % used
        QCOMPARE(PercentageUsed(0, 100), QStringLiteral("100%"));
        QCOMPARE(PercentageUsed(100, 100), QStringLiteral("0%"));
        QCOMPARE(PercentageUsed(0, 0), QStringLiteral("0%"));
        QCOMPARE(PercentageUsed(5, 0), QStringLiteral("0%"));
        QCOMPARE(PercentageUsed(3 * GiB, 4000 * GiB), QStringLiteral("99%"));
    }

    void driveRowsEndWithSeparatorAndTotals()
    {
        const QList<DriveListRow> rows =
            DriveListRows({{"/", 1 * GiB, 4 * GiB}, {"/home/", 6 * GiB, 10 * GiB}});
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0].drive, QStringLiteral("/"));
        QCOMPARE(rows[0].free, QStringLiteral("1024.00 MiB"));
        QCOMPARE(rows[0].size, QStringLiteral("4.00 GiB"));
        QCOMPARE(rows[0].used, QStringLiteral("75%"));
        QCOMPARE(rows[1].used, QStringLiteral("40%"));
        QCOMPARE(rows[2].drive, QStringLiteral("--------"));
        QVERIFY(rows[2].free.isEmpty() && rows[2].size.isEmpty() && rows[2].used.isEmpty());
        QCOMPARE(rows[3].drive, QStringLiteral("All drives"));
        QCOMPARE(rows[3].free, QStringLiteral("7.00 GiB"));
        QCOMPARE(rows[3].size, QStringLiteral("14.00 GiB"));
        QCOMPARE(rows[3].used, QStringLiteral("50%"));

        // No drive at all: the totals are 0 and show "0%" rather than dividing by zero.
        const QList<DriveListRow> none = DriveListRows({});
        QCOMPARE(none.size(), 2);
        QCOMPARE(none[1].used, QStringLiteral("0%"));
        // A drive that reports a size of 0.
        QCOMPARE(DriveListRows({{"/mnt/odd/", 0, 0}})[0].used, QStringLiteral("0%"));
    }

    void localDrivesAreRealDiskMounts()
    {
        const QList<DriveSpace> drives = LocalDrives();
        QStringList roots;
        for (const DriveSpace &drive : drives) {
            QVERIFY2(drive.root.endsWith(QLatin1Char('/')), qPrintable(drive.root));
            QVERIFY2(QFileInfo(drive.root).isDir(), qPrintable(drive.root));
            QVERIFY(drive.totalBytes >= drive.freeBytes);
            QVERIFY(!roots.contains(drive.root));
            roots << drive.root;
        }
        QStringList sorted = roots;
        sorted.sort();
        QCOMPARE(roots, sorted);
        // Pseudo and memory file systems are never drives.
        for (const char *pseudo : {"/proc/", "/sys/", "/dev/", "/dev/shm/", "/run/"})
            QVERIFY2(!roots.contains(QLatin1String(pseudo)), pseudo);
    }

    // Each row: mounts as "device root", the roots listed. One device's mounts share its
    // space, so it is listed (and counted in "All drives") once, at its shortest mount point.
    void eachDeviceIsOneDrive_data()
    {
        QTest::addColumn<QStringList>("mounts");
        QTest::addColumn<QStringList>("roots");
        QTest::newRow("btrfs subvolumes")
            << QStringList{"/dev/sda2 /home/", "/dev/sda2 /", "/dev/sda2 /var/log/"}
            << QStringList{"/"};
        QTest::newRow("bind mount")
            << QStringList{"/dev/sdb1 /srv/data/", "/dev/sdb1 /mnt/d/"} << QStringList{"/mnt/d/"};
        QTest::newRow("two devices")
            << QStringList{"/dev/sdb1 /mnt/b/", "/dev/sda1 /", "/dev/sdb1 /x/"}
            << QStringList{"/", "/x/"};
    }
    void eachDeviceIsOneDrive()
    {
        QFETCH(QStringList, mounts);
        QFETCH(QStringList, roots);
        QList<DiskMount> disks;
        for (const QString &mount : std::as_const(mounts))
            disks << DiskMount{mount.section(' ', 0, 0),
                               DriveSpace{mount.section(' ', 1, 1), 1000, 4000}};
        const QList<DriveSpace> drives = DistinctDrives(disks);
        QStringList listed;
        for (const DriveSpace &drive : drives)
            listed << drive.root;
        QCOMPARE(listed, roots);
        const QList<DriveListRow> rows = DriveListRows(drives);
        QCOMPARE(rows.last().size, FormatSize(4000 * qint64(roots.size())));
    }

    void folderSizeHonoursScanSubdirs()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.path() + QStringLiteral("/release");
        ReleaseMaker::writeFile(root + QStringLiteral("/a.rar"), 3000);
        ReleaseMaker::writeFile(root + QStringLiteral("/.hidden"), 500);
        ReleaseMaker::writeFile(root + QStringLiteral("/Sample/s.avi"), 7000);
        ReleaseMaker::writeFile(root + QStringLiteral("/Sample/deeper/x.bin"), 11);
        writeSparse(root + QStringLiteral("/big.iso"), 5 * GiB); // beyond 32 bits
        // A link back up must not make the walk endless nor count twice.
        QVERIFY(QFile::link(root, root + QStringLiteral("/Sample/loop")));

        qint64 total = 100; // the running total is added to, not replaced
        FolderSize(root, total, false);
        QCOMPARE(total, 100 + 3000 + 500 + 5 * GiB);

        total = 0;
        FolderSize(root, total, true);
        QCOMPARE(total, 3000 + 500 + 7000 + 11 + 5 * GiB);

        total = 0;
        FolderSize(dir.path() + QStringLiteral("/missing"), total, true);
        QCOMPARE(total, qint64(0));
    }

    void fitCheckNamesEveryDriveWithRoom()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString first = dir.path() + QStringLiteral("/one");
        const QString second = dir.path() + QStringLiteral("/two");
        writeSparse(first + QStringLiteral("/cd1.rar"), 400 * MiB);
        writeSparse(second + QStringLiteral("/cd2.rar"), 300 * MiB);
        writeSparse(second + QStringLiteral("/Subs/subs.rar"), 50 * MiB);

        const QList<DriveSpace> drives = {{"/", 700 * MiB, 10 * GiB},
                                          {"/data/", 700 * MiB - 1, 10 * GiB},
                                          {"/srv/", 900 * MiB, 10 * GiB}};
        // 700 MiB in the queue and exactly 700 MiB free: it fits.
        FitCheckAnswer answer = CheckFit({first, second}, false, drives);
        QCOMPARE(answer.kind, FitCheckAnswer::Kind::Fits);
        QCOMPARE(answer.totalBytes, 700 * MiB);
        QCOMPARE(answer.fittingRoots, QStringList({"/", "/srv/"}));
        QCOMPARE(answer.caption, QStringLiteral("Does it fit?"));
        QCOMPARE(answer.text, QStringLiteral("Your queue is currently 700.00 MiB.\nYou can unpack "
                                             "it on the following hard drives:\n\n/, /srv/"));

        // With subfolders the queue grows past two of the drives.
        answer = CheckFit({first, second}, true, drives);
        QCOMPARE(answer.totalBytes, 750 * MiB);
        QCOMPARE(answer.fittingRoots, QStringList({"/srv/"}));

        answer = CheckFit({first, second}, true, {{"/", 10 * MiB, 10 * GiB}});
        QCOMPARE(answer.kind, FitCheckAnswer::Kind::DoesNotFit);
        QCOMPARE(answer.caption, QStringLiteral("It does not fit"));
        QCOMPARE(answer.text, QStringLiteral("Your queue is currently 750.00 MiB.\nYou can not "
                                             "unpack it on any of your hard drives"));

        answer = CheckFit({}, true, drives);
        QCOMPARE(answer.kind, FitCheckAnswer::Kind::NoFolder);
        QCOMPARE(answer.caption, QStringLiteral("Error"));
        QCOMPARE(answer.text, QStringLiteral("You have to select a folder first, stupid!"));
    }

    void fitCheckFoldersFollowTheInputMode()
    {
        SettingsModel settings;
        settings.setInputFolder(QStringLiteral("/in"));
        settings.setQueue(QStringList({"/q1", "/q2"}));
        QCOMPARE(FitCheckFolders(settings), QStringList({"/in"}));
        settings.setInputFolder({});
        QCOMPARE(FitCheckFolders(settings), QStringList());
        settings.setInputMode(InputModeChoice::Queue);
        QCOMPARE(FitCheckFolders(settings), QStringList({"/q1", "/q2"}));
        settings.setQueue({});
        QCOMPARE(FitCheckFolders(settings), QStringList());
    }

    void windowListsDrivesOnShowAndAnswersTheFitCheck()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        writeSparse(dir.path() + QStringLiteral("/q/cd1.rar"), 700 * MiB);

        SettingsModel settings;
        settings.setInputMode(InputModeChoice::Queue);
        settings.setQueue(QStringList({dir.path() + QStringLiteral("/q")}));
        ScriptedDialogs dialogs;
        QList<DriveSpace> drives = {{"/", 1 * GiB, 4 * GiB}, {"/home/", 700 * MiB, 2 * GiB}};
        int driveReads = 0;
        TFrmDiskSpace window(settings, dialogs, [&] {
            ++driveReads;
            return drives;
        });
        QCOMPARE(window.windowTitle(), QStringLiteral("Tevo > Disk space"));
        QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(window.size(), QSize(379, 207));
        QVERIFY(!window.isModal());

        window.showOrRaise();
        QVERIFY(window.isVisible());
        QCOMPARE(rowTexts(window.ListView1, 0),
                 QStringList({"/", "/home/", "--------", "All drives"}));
        QCOMPARE(rowTexts(window.ListView1, 3), QStringList({"75%", "65%", "", "71%"}));

        // Showing it again while visible does not refresh; the Refresh button does.
        drives.removeLast();
        window.showOrRaise();
        QCOMPARE(window.ListView1->topLevelItemCount(), 4);
        QTest::mouseClick(window.Button2, Qt::LeftButton);
        QCOMPARE(rowTexts(window.ListView1, 0), QStringList({"/", "--------", "All drives"}));

        drives.append({"/home/", 700 * MiB, 2 * GiB});
        QTest::mouseClick(window.Button3, Qt::LeftButton);
        QCOMPARE(dialogs.shownMessages.size(), 1);
        QCOMPARE(dialogs.shownMessages[0].caption, QStringLiteral("Does it fit?"));
        QCOMPARE(dialogs.shownMessages[0].icon, MessageIcon::Information);
        QVERIFY(dialogs.shownMessages[0].text.endsWith(QStringLiteral("\n\n/, /home/")));

        settings.setQueue({});
        QTest::mouseClick(window.Button3, Qt::LeftButton);
        QCOMPARE(dialogs.shownMessages.size(), 2);
        QCOMPARE(dialogs.shownMessages[1].text,
                 QStringLiteral("You have to select a folder first, stupid!"));
        QCOMPARE(dialogs.shownMessages[1].icon, MessageIcon::Error);

        // Close hides; the next show refreshes again.
        QTest::mouseClick(window.Button1, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        const int readsBefore = driveReads;
        window.showOrRaise();
        QVERIFY(driveReads > readsBefore);
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestDiskSpace)
#include "tst_diskspace.moc"
