// The layers check (cmake/CheckLayers.cmake) on a small source tree of its own: it reads each
// way of writing an include as the preprocessor does, stops a folder that reaches a layer above
// it or a Qt Gui, Widgets or Multimedia header below ui/, and lets the allowed ones through.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "support/ReleaseMaker.h"

class TestLayers : public QObject
{
    Q_OBJECT

private slots:
    void check_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("complaint"); // after "Probe.cpp: <folder>/ "; empty: passes
        QTest::addColumn<QString>("line");

        const QString above = QStringLiteral("may not use jobs/");
        const QString gui = QStringLiteral("is built without Qt Gui");
        const QString passes; // every probe also includes <QStringList> from Qt Core
        QTest::newRow("plain") << "engine" << above << "#include \"jobs/UnpackJob.h\"";
        QTest::newRow("blanks around #")
            << "engine" << above << "  \t#  include \"jobs/UnpackJob.h\"";
        QTest::newRow("comment after #")
            << "engine" << above << "#/* x */include \"jobs/UnpackJob.h\"";
        QTest::newRow("digraph") << "engine" << above << "%:include \"jobs/UnpackJob.h\"";
        QTest::newRow("continued line") << "engine" << above << "#\\\ninclude \"jobs/UnpackJob.h\"";
        QTest::newRow("path from the file")
            << "engine" << above << "#include \"../jobs/UnpackJob.h\"";
        QTest::newRow("angle brackets") << "engine" << above << "#include <jobs/UnpackJob.h>";
        QTest::newRow("include_next") << "engine" << above << "#include_next <jobs/UnpackJob.h>";
        QTest::newRow("settings below jobs")
            << "settings" << above << "#include \"jobs/UnpackJob.h\"";

        QTest::newRow("module path")
            << "engine" << gui + QStringLiteral(": #include <QtWidgets/QWidget>")
            << "#include <QtWidgets/QWidget>";
        QTest::newRow("bare Gui class") << "settings" << gui << "#include <QImage>";
        QTest::newRow("bare Multimedia class") << "tools" << gui << "#include <QSoundEffect>";
        QTest::newRow("lower-case header") << "app/cli" << gui << "#include <qwidget.h>";
        QTest::newRow("quoted class") << "jobs" << gui << "#include \"QWidget\"";

        QTest::newRow("Qt Core by module path") << "engine" << passes << "#include <QtCore/QTimer>";
        QTest::newRow("own folder, beside the file")
            << "engine" << passes << "#include \"Other.h\"";
        QTest::newRow("a layer below")
            << "jobs" << passes << "#include \"settings/SettingsModel.h\"";
        QTest::newRow("ui uses widgets and jobs")
            << "ui" << passes << "#include <QWidget>\n#include \"jobs/UnpackJob.h\"";
        QTest::newRow("commented out") << "engine" << passes << "// #include \"jobs/UnpackJob.h\"";
    }

    void check()
    {
        QFETCH(QString, folder);
        QFETCH(QString, complaint);
        QFETCH(QString, line);
        QTemporaryDir root;
        for (const char *header :
             {"jobs/UnpackJob.h", "settings/SettingsModel.h", "engine/Other.h"})
            ReleaseMaker::writeText(root.filePath(header), "#pragma once\n");
        ReleaseMaker::writeText(root.filePath(folder + "/Probe.cpp"),
                                "#include <QStringList>\n" + line.toUtf8() + '\n');

        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(TEVO_CMAKE_COMMAND,
                    {"-DTEVO_SOURCE_ROOT=" + root.path(), "-DTEVO_QT_HEADERS=" TEVO_QT_HEADERS,
                     "-P", TEVO_SOURCE_DIR "/cmake/CheckLayers.cmake"});
        QVERIFY(check.waitForFinished(60000));
        // CMake wraps its error messages; the words matter, not where the lines break.
        const QString output = QString::fromUtf8(check.readAll()).simplified();
        QVERIFY2((check.exitCode() == 0) == complaint.isEmpty(), qPrintable(output));
        if (!complaint.isEmpty())
            QVERIFY2(output.contains(QStringLiteral("Probe.cpp: %1/ %2").arg(folder, complaint)),
                     qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
