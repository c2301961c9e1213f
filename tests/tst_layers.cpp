// The layers check (cmake/CheckLayers.cmake) on a small source tree of its own: it reads each
// way of writing an include as the preprocessor does, stops a folder that reaches a layer above
// it or a Qt Gui, Widgets or Multimedia header below ui/, and lets the allowed ones through.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestLayers : public QObject
{
    Q_OBJECT

private slots:
    void check_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("complaint"); // after "Probe.cpp: <folder>/ "; empty: passes

        const QString above = QStringLiteral("may not use jobs/");
        const QString gui = QStringLiteral("is built without Qt Gui");
        QTest::newRow("plain") << "engine" << QByteArray("#include \"jobs/UnpackJob.h\"") << above;
        QTest::newRow("blanks around #")
            << "engine" << QByteArray("  \t#  include \"jobs/UnpackJob.h\"") << above;
        QTest::newRow("comment after #")
            << "engine" << QByteArray("#/* x */include \"jobs/UnpackJob.h\"") << above;
        QTest::newRow("digraph") << "engine" << QByteArray("%:include \"jobs/UnpackJob.h\"")
                                 << above;
        QTest::newRow("continued line")
            << "engine" << QByteArray("#\\\ninclude \"jobs/UnpackJob.h\"") << above;
        QTest::newRow("path from the file")
            << "engine" << QByteArray("#include \"../jobs/UnpackJob.h\"") << above;
        QTest::newRow("angle brackets")
            << "engine" << QByteArray("#include <jobs/UnpackJob.h>") << above;
        QTest::newRow("include_next")
            << "engine" << QByteArray("#include_next <jobs/UnpackJob.h>") << above;
        QTest::newRow("settings below jobs")
            << "settings" << QByteArray("#include \"jobs/UnpackJob.h\"") << above;

        QTest::newRow("module path") << "engine" << QByteArray("#include <QtWidgets/QWidget>")
                                     << gui + QStringLiteral(": #include <QtWidgets/QWidget>");
        QTest::newRow("module header") << "tools" << QByteArray("#include <QtWidgets>") << gui;
        QTest::newRow("bare Gui class") << "settings" << QByteArray("#include <QImage>") << gui;
        QTest::newRow("bare Multimedia class")
            << "engine" << QByteArray("#include <QSoundEffect>") << gui;
        QTest::newRow("lower-case header")
            << "app/cli" << QByteArray("#include <qwidget.h>") << gui;
        QTest::newRow("quoted class") << "jobs" << QByteArray("#include \"QWidget\"") << gui;

        QTest::newRow("Qt Core") << "engine" << QByteArray("#include <QString>") << QString();
        QTest::newRow("Qt Core by module path")
            << "engine" << QByteArray("#include <QtCore/QTimer>") << QString();
        QTest::newRow("own folder, beside the file")
            << "engine" << QByteArray("#include \"Other.h\"") << QString();
        QTest::newRow("a layer below")
            << "jobs" << QByteArray("#include \"settings/SettingsModel.h\"") << QString();
        QTest::newRow("ui uses widgets and jobs")
            << "ui" << QByteArray("#include <QWidget>\n#include \"jobs/UnpackJob.h\"") << QString();
        QTest::newRow("commented out")
            << "engine" << QByteArray("// #include \"jobs/UnpackJob.h\"") << QString();
    }

    void check()
    {
        QFETCH(QString, folder);
        QFETCH(QByteArray, line);
        QFETCH(QString, complaint);
        QTemporaryDir root;
        for (const char *layer :
             {"engine", "settings", "platform", "tools", "jobs", "ui", "app/cli"})
            QVERIFY(QDir(root.path()).mkpath(QLatin1String(layer)));
        for (const char *header :
             {"jobs/UnpackJob.h", "settings/SettingsModel.h", "engine/Other.h"})
            QVERIFY(write(root.filePath(QLatin1String(header)), "#pragma once\n"));
        QVERIFY(write(root.filePath(folder + QStringLiteral("/Probe.cpp")),
                      "// A probe.\n#include <QStringList>\n" + line + "\nint probe();\n"));

        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(QStringLiteral(TEVO_CMAKE_COMMAND),
                    {QStringLiteral("-DTEVO_SOURCE_ROOT=") + root.path(),
                     QStringLiteral("-DTEVO_QT_HEADERS=" TEVO_QT_HEADERS), QStringLiteral("-P"),
                     QStringLiteral(TEVO_SOURCE_DIR "/cmake/CheckLayers.cmake")});
        QVERIFY(check.waitForFinished(60000));
        // CMake wraps its error messages; the words matter, not where the lines break.
        const QString output = QString::fromUtf8(check.readAll()).simplified();
        QVERIFY2((check.exitCode() == 0) == complaint.isEmpty(), qPrintable(output));
        if (!complaint.isEmpty())
            QVERIFY2(output.contains(QStringLiteral("Probe.cpp: %1/ %2").arg(folder, complaint)),
                     qPrintable(output));
    }

private:
    static bool write(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
