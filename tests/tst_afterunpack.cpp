// After-extraction actions: sound, the follow-up program with an extracted file, clearing the
// queue.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "engine/AfterUnpack.h"
#include "engine/SoundOutput.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "ui/DesktopPlatform.h"

class TestAfterUnpack : public QObject
{
    Q_OBJECT

private slots:
    void splitFollowUpCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expected"); // program, then arguments
        QTest::newRow("default command")
            << QStringLiteral("cdemu load 0 \"%1\"") << QStringLiteral("/data/My Rel/Disc.cue")
            << QStringList{"cdemu", "load", "0", "/data/My Rel/Disc.cue"};
        QTest::newRow("quotes inside a word")
            << QStringLiteral("/opt/daemon -mount 0,\"%1\"") << QStringLiteral("/x y/Disc.cue")
            << QStringList{"/opt/daemon", "-mount", "0,/x y/Disc.cue"};
        QTest::newRow("program alone")
            << QStringLiteral("/usr/bin/mounter") << QString() << QStringList{"/usr/bin/mounter"};
        QTest::newRow("a quoted program path with blanks")
            << QStringLiteral("\"/my tools/run\" '%1'") << QStringLiteral("/r/a.cue")
            << QStringList{"/my tools/run", "/r/a.cue"};
        QTest::newRow("blanks between arguments collapse")
            << QStringLiteral("prog  a   b ") << QString() << QStringList{"prog", "a", "b"};
        // A downloaded name holding quotes and blanks stays one argument.
        QTest::newRow("a hostile file name")
            << QStringLiteral("prog \"%1\"") << QStringLiteral("/r/a\" --evil=1 \"b.cue")
            << QStringList{"prog", "/r/a\" --evil=1 \"b.cue"};
        QTest::newRow("unquoted %1 with blanks in the name")
            << QStringLiteral("prog --file=%1 -x") << QStringLiteral("/r/My Disc.cue")
            << QStringList{"prog", "--file=/r/My Disc.cue", "-x"};
    }
    void splitFollowUpCommand()
    {
        QFETCH(QString, command);
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        const FollowUpCommand parts = SplitFollowUpCommand(command, file);
        QCOMPARE(QStringList{parts.program} + parts.arguments, expected);
    }

    // With nothing extracted, no action happens at all: no sound, no program, no jump back.
    void nothingExtractedDoesNothing()
    {
        for (AfterActionChoice action :
             {AfterActionChoice::PlaySound, AfterActionChoice::RunApplication,
              AfterActionChoice::ClearQueue}) {
            TestContext t;
            RecordingSound sound;
            t.settings.setAfterAction(action);
            t.settings.setSoundFile(QStringLiteral("/snd/ding.wav"));
            t.settings.setRunFileFilter(RunFileFilterChoice::EveryFile);
            AfterUnpack(t.context, sound, {});
            QVERIFY(sound.played.isEmpty());
            QVERIFY(t.platform.startedPrograms.isEmpty());
            QCOMPARE(t.view.queueClears, 0);
            QVERIFY(t.view.shownTabs.isEmpty());
            QVERIFY(t.log.lines.isEmpty());
        }
    }

    void playSound()
    {
        TestContext t;
        RecordingSound sound;
        t.settings.setAfterAction(AfterActionChoice::PlaySound);
        AfterUnpack(t.context, sound, {"/r/a.iso"});
        QVERIFY(sound.played.isEmpty()); // no sound file chosen
        t.settings.setSoundFile(QStringLiteral("/snd/ding.wav"));
        AfterUnpack(t.context, sound, {"/r/a.iso"});
        AfterUnpack(t.context, sound, {"/r/b.iso"});
        QCOMPARE(sound.played, (QStringList{"/snd/ding.wav", "/snd/ding.wav"}));
        QVERIFY(t.platform.startedPrograms.isEmpty());
    }

    void runWithFirstFileOfType()
    {
        TestContext t;
        RecordingSound sound;
        t.settings.setAfterAction(AfterActionChoice::RunApplication);
        t.settings.setRunExtension(QStringLiteral("CUE"));
        const QStringList files{"/rel/Disc.cue.bak", "/rel/cue", "/rel/CD1/My Disc.Cue",
                                "/rel/CD2/Disc2.cue"};
        AfterUnpack(t.context, sound, files);
        QCOMPARE(t.platform.startedPrograms,
                 (QList<QStringList>{{"cdemu", "load", "0", "/rel/CD1/My Disc.Cue"}}));
        QCOMPARE(t.log.messages(),
                 QStringList{"executing \"cdemu load 0 \"/rel/CD1/My Disc.Cue\"\""});
        QVERIFY(sound.played.isEmpty());
    }

    void runWithoutMatchOrCommand()
    {
        TestContext t;
        RecordingSound sound;
        t.settings.setAfterAction(AfterActionChoice::RunApplication);
        AfterUnpack(t.context, sound, {"/rel/a.iso", "/rel/b.cue.bak", "/rel.cue/x"});
        QVERIFY(t.platform.startedPrograms.isEmpty());
        QVERIFY(t.log.lines.isEmpty());

        t.settings.setRunFileFilter(RunFileFilterChoice::EveryFile);
        t.settings.setRunCommand({});
        AfterUnpack(t.context, sound, {"/rel/a.iso"});
        QVERIFY(t.platform.startedPrograms.isEmpty());
    }

    void emptyExtensionMatchesOnlyATrailingDot()
    {
        TestContext t;
        RecordingSound sound;
        t.settings.setAfterAction(AfterActionChoice::RunApplication);
        t.settings.setRunExtension({});
        t.settings.setRunCommand(QStringLiteral("show %1"));
        AfterUnpack(t.context, sound, {"/rel/noext", "/rel/a.iso", "/rel/odd."});
        QCOMPARE(t.platform.startedPrograms, (QList<QStringList>{{"show", "/rel/odd."}}));
    }

    void everyFileUsesTheFirstEntryEvenAFolder()
    {
        TestContext t;
        RecordingSound sound;
        t.settings.setAfterAction(AfterActionChoice::RunApplication);
        t.settings.setRunFileFilter(RunFileFilterChoice::EveryFile);
        t.settings.setRunCommand(QStringLiteral("open %1 %1"));
        AfterUnpack(t.context, sound, {"/rel/CD1", "/rel/CD1/a.cue"});
        QCOMPARE(t.platform.startedPrograms,
                 (QList<QStringList>{{"open", "/rel/CD1", "/rel/CD1"}}));
        QCOMPARE(t.log.messages(), QStringList{"executing \"open /rel/CD1 /rel/CD1\""});
    }

    void clearQueueAndJumpBack()
    {
        TestContext t;
        RecordingSound sound;
        t.settings.setAfterAction(AfterActionChoice::ClearQueue);
        AfterUnpack(t.context, sound, {"/rel/a.iso"});
        QCOMPARE(t.view.queueClears, 1);
        QCOMPARE(t.view.inputFolderClears, 1);
        QCOMPARE(t.view.shownTabs, QList<WindowTab>{WindowTab::InputOutput});
    }

    // The real platform starts a real program: a script that writes down its arguments.
    void realProgramGetsItsArguments()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString script = dir.filePath(QStringLiteral("record.sh"));
        const QString record = dir.filePath(QStringLiteral("args.txt"));
        // Written aside and moved into place, so the file is whole once it exists.
        ReleaseMaker::writeText(script,
                                "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > \"$0.tmp\"\n"
                                "mv \"$0.tmp\" \"" +
                                    record.toUtf8() + "\"\n");
        QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);

        TestContext t;
        DesktopPlatform platform;
        EngineContext context(t.settings, t.language, t.log, t.view, t.dialogs, platform, t.job);
        t.settings.setRunCommand(script + QStringLiteral(" --image \"%1\" -v"));
        RunWithFile(context, QStringLiteral("/data/A Release/Disc 1.cue"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 5000);
        QFile file(record);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 QStringLiteral("[--image]\n[/data/A Release/Disc 1.cue]\n[-v]\n"));
    }
};

QTEST_MAIN(TestAfterUnpack)
#include "tst_afterunpack.moc"
