// Hostile settings and lists: a delete list that names everything, and an option-set file that
// sets every setting at once to odd values, loaded into the real window.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "engine/DeleteList.h"
#include "settings/OptionSetFile.h"
#include "settings/OptionSetWriter.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "ui/MainWindow.h"

using namespace ReleaseMaker;

namespace {

// Every radio button of the window grouped by the widget that holds it: Qt keeps them
// exclusive per parent, and each group must end with exactly one choice.
QHash<QWidget *, int> checkedRadiosPerGroup(const TForm1 &form)
{
    QHash<QWidget *, int> checked;
    for (QRadioButton *radio : form.findChildren<QRadioButton *>())
        checked[radio->parentWidget()] += radio->isChecked() ? 1 : 0;
    return checked;
}

bool sameSnapshot(const OptionSetSnapshot &a, const OptionSetSnapshot &b)
{
    return a.options == b.options && a.edits == b.edits && a.language == b.language &&
           a.lastOpenPath == b.lastOpenPath && a.lists == b.lists;
}

} // namespace

class TestHostileInputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        static QTemporaryDir data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    }

    // "*" names every entry of the release, and patterns that try to climb match nothing
    // more: the folder itself, its neighbours and everything reached through links stay.
    void deleteListOfEverythingStaysInTheRelease()
    {
        QTemporaryDir dir;
        const QString release = dir.filePath("Rel");
        writeFile(release + "/x.rar", 10);
        writeFile(release + "/Sample/s.avi", 10);
        writeFile(release + "/CD1/deep/file.bin", 10);
        writeFile(dir.filePath("Neighbour/keep.txt"), 10);
        writeFile(dir.filePath("parent-file.txt"), 10);
        QVERIFY(QFile::link(dir.path(), release + "/up"));
        QVERIFY(QFile::link(dir.filePath("Neighbour"), release + "/CD1/neighbour"));
        QVERIFY(QFile::link(dir.filePath("parent-file.txt"), release + "/file-link"));

        for (const bool files : {false, true}) {
            TestContext t;
            t.settings.setListsApplyToFiles(files);
            t.settings.setDeleteList({"*", "..", "*/..", "../*", "/*", "*/*"});
            ProcessDeletelist(t.context, release + "/");
            QVERIFY(QFileInfo(release).isDir());
            QCOMPARE(listTree(dir.filePath("Neighbour")), QStringList{"keep.txt"});
            QVERIFY(QFileInfo(dir.filePath("parent-file.txt")).isFile());
        }
        // Every entry of the release went, links as links.
        QCOMPARE(QDir(release).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                         QDir::NoDotAndDotDot),
                 QStringList());
    }

    void optionSetWithEveryValueOdd()
    {
        QTemporaryDir dir;
        ScriptedDialogs dialogs;
        FakePlatform platform;
        TForm1 form(dialogs, platform);
        form.language().loadFile(EnglishLanguageFile());

        QByteArray file = "\xef\xbb\xbf[Options]\r\n";
        // Every check box and every radio button on, even several of one group.
        for (const QString &name : OptionSetKeys::Options)
            file += name.toUtf8() + "=1\r\n";
        file += "CheckBox12=1\r\nRadioButton6=1\r\nRadioButton7=1\r\n";
        file += "[Edits]\r\n"
                "Edit1=../../..//\t/proc/self\r\n"
                "Edit2=\"\"\"\r\n"
                "Edit4=%1%1%1 ; rm -rf / \"%1\r\n"
                "Edit6=-99999999999999999999\r\n"
                "ComboBox2=Realtime\r\n"
                "ComboBox1=../../../etc/passwd\r\n"
                "[other]\r\nlanguage=../../../etc/passwd\r\nLastOpenPath=\x01\x7f\r\n"
                "[ListBox1]\r\nins=-5\r\n0=/a\r\n-1=/b\r\n"
                "[ListBox2]\r\nins=99999999\r\n0=*\r\n5=?\r\n99999998=#\r\n1=\r\n"
                "[ListBox3]\r\nins=2147483648\r\n0=x\r\n";
        const QString path = dir.filePath("odd.os");
        {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file);
        }
        form.LoadOptionSet(path, false);

        // One choice per group, the settings readable, the lists as far as they go.
        const QHash<QWidget *, int> groups = checkedRadiosPerGroup(form);
        for (auto it = groups.cbegin(); it != groups.cend(); ++it)
            QVERIFY2(it.value() == 1, qPrintable(it.key()->objectName()));
        const Settings &settings = form.context().settings;
        QCOMPARE(settings.WatchInterval(), QStringLiteral("-99999999999999999999"));
        QVERIFY(settings.Queue().isEmpty());
        QCOMPARE(settings.SkipList(), (QStringList{"*", "?", "#"}));
        QVERIFY(settings.DeleteList().isEmpty());
        QCOMPARE(form.ComboBox2->findText(form.ComboBox2->currentText()) >= 0, true);

        // What was loaded saves and loads back to the same state.
        const OptionSetSnapshot loaded = OptionSetSnapshotOf(form.settings());
        const QString again = dir.filePath("again.os");
        form.SaveOptionSet(again, false);
        form.LoadOptionSet(again, false);
        QVERIFY(sameSnapshot(OptionSetSnapshotOf(form.settings()), loaded));
        // "Always in tray" was switched on; without a tray here the window says so, and only that.
        for (const ScriptedDialogs::ShownMessage &message : dialogs.shownMessages)
            QCOMPARE(message.text, QStringLiteral("Can not add TNA-Icon"));
    }
};

QTEST_MAIN(TestHostileInputs)
#include "tst_hostile_inputs.moc"
