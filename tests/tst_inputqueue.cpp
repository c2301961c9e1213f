// The input queue on the real window: browsing, adding, deleting, folder drops, list editing.

#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "ui/InputQueue.h"
#include "ui/MainWindow.h"

namespace {

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Drops the paths on the widget as the file manager does: a list of file URLs.
void drop(QWidget *target, const QStringList &paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    const QPointF at(5, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    QVERIFY(dropped.isAccepted());
}

} // namespace

class TestInputQueue : public QObject
{
    Q_OBJECT

    QTemporaryDir m_data;
    QTemporaryDir *m_dir = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
    FakePlatform *m_platform = nullptr;
    TForm1 *m_form = nullptr;

    QString folder(const QString &name)
    {
        const QString path = m_dir->filePath(name);
        QDir().mkpath(path);
        return path;
    }
    QString file(const QString &name)
    {
        const QString path = m_dir->filePath(name);
        ReleaseMaker::writeText(path, "x");
        return path;
    }
    QString text(int n) const { return m_form->context().LangText(n); }
    QWidget *queueDropTarget() const { return m_form->ListBox1->viewport(); }

private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path())); }

    void init()
    {
        m_dir = new QTemporaryDir;
        m_dialogs = new ScriptedDialogs;
        m_platform = new FakePlatform;
        m_form = new TForm1(*m_dialogs, *m_platform);
        m_form->language().loadFile(EnglishLanguageFile());
    }

    void cleanup()
    {
        delete m_form;
        delete m_platform;
        delete m_dialogs;
        delete m_dir;
    }

    void oneDroppedFolderBecomesTheInputFolder()
    {
        const QString release = folder(QStringLiteral("Release.One"));
        for (QWidget *target : {queueDropTarget(), static_cast<QWidget *>(m_form->Edit1)}) {
            m_form->Edit1->clear();
            drop(target, {release});
            QCOMPARE(m_form->Edit1->text(), release);
            QVERIFY(m_form->RadioButton6->isChecked());
            QCOMPARE(m_form->ListBox1->count(), 0);
        }
    }

    void oneDroppedFileDoesNothing()
    {
        m_form->Edit1->setText(QStringLiteral("/before"));
        drop(queueDropTarget(), {file(QStringLiteral("a.nfo"))});
        drop(m_form->Edit1, {file(QStringLiteral("b.nfo"))});
        QCOMPARE(m_form->Edit1->text(), QStringLiteral("/before"));
        QVERIFY(m_form->RadioButton6->isChecked());
        QCOMPARE(m_form->ListBox1->count(), 0);
    }

    void aFolderWithAFileFillsTheInputFolder()
    {
        const QString release = folder(QStringLiteral("R"));
        drop(queueDropTarget(), {file(QStringLiteral("x.sfv")), release});
        QCOMPARE(m_form->Edit1->text(), release);
        QVERIFY(m_form->RadioButton6->isChecked());
    }

    void severalFoldersAreQueuedOnceEach()
    {
        const QString a = folder(QStringLiteral("A"));
        const QString b = folder(QStringLiteral("B"));
        const QString c = folder(QStringLiteral("C"));
        // B is already queued in another spelling of the same folder.
        m_form->ListBox1->addItem(m_dir->path() + QStringLiteral("//B/"));
        drop(queueDropTarget(), {c, file(QStringLiteral("note.txt")), b, a});
        QVERIFY(m_form->RadioButton7->isChecked());
        QVERIFY(m_form->Button6->isEnabled()); // the input-mode rule ran
        QVERIFY(!m_form->Edit1->isEnabled());
        QCOMPARE(items(m_form->ListBox1),
                 QStringList({m_dir->path() + QStringLiteral("//B/"), c, a}));
        // Dropping them again adds nothing.
        drop(queueDropTarget(), {a, c});
        QCOMPARE(m_form->ListBox1->count(), 3);
    }

    // Entries dragged within the queue are moved by the view itself; a drop of entry data that
    // is not the queue's own drag (another window, another Tevo) never adds a copy.
    void queueEntryDataIsNeverCopiedIn_data()
    {
        QTest::addColumn<Qt::DropAction>("action");
        QTest::newRow("copy") << Qt::CopyAction;
        QTest::newRow("move") << Qt::MoveAction;
    }
    void queueEntryDataIsNeverCopiedIn()
    {
        QFETCH(Qt::DropAction, action);
        QListWidget *queue = m_form->ListBox1;
        m_form->RadioButton7->setChecked(true);
        queue->addItems({QStringLiteral("/q/a"), QStringLiteral("/q/b"), QStringLiteral("/q/c")});
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        QCOMPARE(queue->dragDropMode(), QAbstractItemView::InternalMove);
        QCOMPARE(queue->defaultDropAction(), Qt::MoveAction);
        std::unique_ptr<QMimeData> data(queue->model()->mimeData({queue->model()->index(0, 0)}));
        const QPoint at = queue->visualItemRect(queue->item(2)).center();
        QDragEnterEvent enter(at, action, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(queueDropTarget(), &enter);
        QDragMoveEvent move(at, action, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(queueDropTarget(), &move);
        QDropEvent dropped(at, action, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(queueDropTarget(), &dropped);
        QCOMPARE(items(queue), (QStringList{"/q/a", "/q/b", "/q/c"}));
    }

    void filesOnlySwitchToQueueModeAndAddNothing()
    {
        drop(queueDropTarget(), {file(QStringLiteral("1.rar")), file(QStringLiteral("2.rar"))});
        QVERIFY(m_form->RadioButton7->isChecked());
        QCOMPARE(m_form->ListBox1->count(), 0);
    }

    void addFolderQueuesWithoutDuplicateTest()
    {
        const QString release = folder(QStringLiteral("Same"));
        m_dialogs->folderAnswers = {release, release, QString()};
        m_form->RadioButton7->setChecked(true);
        m_form->Button6->click();
        m_form->Button6->click();
        m_form->Button6->click(); // cancelled
        QCOMPARE(items(m_form->ListBox1), QStringList({release, release}));
        QCOMPARE(m_form->LastOpenPath(), release);
    }

    void addWithSubfoldersQueuesTheDirectSubfolders()
    {
        const QString parent = folder(QStringLiteral("Movie"));
        folder(QStringLiteral("Movie/CD1/deeper"));
        folder(QStringLiteral("Movie/CD2"));
        folder(QStringLiteral("Movie/.hidden"));
        file(QStringLiteral("Movie/movie.nfo"));
        m_dialogs->folderAnswers = {parent + QStringLiteral("/")};
        m_form->RadioButton7->setChecked(true);
        m_form->Button16->click();
        QStringList queued = items(m_form->ListBox1);
        queued.sort();
        QCOMPARE(queued,
                 QStringList({parent + QStringLiteral("/.hidden"), parent + QStringLiteral("/CD1"),
                              parent + QStringLiteral("/CD2")}));
        QCOMPARE(m_form->LastOpenPath(), parent + QStringLiteral("/"));

        m_dialogs->folderAnswers = {QString()};
        m_form->Button16->click();
        QCOMPARE(m_form->ListBox1->count(), 3);
    }

    void browseTakesTheChoiceAsItIs()
    {
        const QString chosen = folder(QStringLiteral("In"));
        m_dialogs->folderAnswers = {chosen, QString()};
        m_form->Button4->click();
        QCOMPARE(m_form->Edit1->text(), chosen);
        QCOMPARE(m_form->LastOpenPath(), chosen);
        m_form->Button4->click(); // cancelled: the field is emptied, the last path stays
        QCOMPARE(m_form->Edit1->text(), QString());
        QCOMPARE(m_form->LastOpenPath(), chosen);

        m_form->RadioButton2->setChecked(true);
        m_dialogs->folderAnswers = {QStringLiteral("/out")};
        m_form->Button5->click();
        QCOMPARE(m_form->Edit2->text(), QStringLiteral("/out"));
        QCOMPARE(m_form->LastOpenPath(), QStringLiteral("/out"));
    }

    void deletingQueueEntries()
    {
        m_form->RadioButton7->setChecked(true);
        m_form->ListBox1->addItems(
            {QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")});
        m_form->Button7->click(); // nothing selected: nothing happens
        QCOMPARE(m_form->ListBox1->count(), 3);
        m_form->ListBox1->setCurrentRow(1);
        m_form->Button7->click();
        QCOMPARE(items(m_form->ListBox1),
                 QStringList({QStringLiteral("/a"), QStringLiteral("/c")}));
        m_form->Button10->click();
        QCOMPARE(m_form->ListBox1->count(), 0);
        QVERIFY(m_dialogs->shownMessages.isEmpty());
    }

    void deleteKeyWorksInEveryListAndMode()
    {
        QVERIFY(m_form->RadioButton6->isChecked());
        m_form->ListBox1->addItems({QStringLiteral("/a"), QStringLiteral("/b")});
        QTest::keyClick(m_form->ListBox1, Qt::Key_Delete); // nothing selected
        QCOMPARE(m_form->ListBox1->count(), 2);
        m_form->ListBox1->setCurrentRow(0);
        QTest::keyClick(m_form->ListBox1, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(items(m_form->ListBox1), QStringList({QStringLiteral("/b")}));

        for (QListWidget *list : {m_form->ListBox2, m_form->ListBox3}) {
            list->addItems({QStringLiteral("*Sample*"), QStringLiteral("Subs")});
            list->setCurrentRow(1);
            QTest::keyClick(list, Qt::Key_Delete);
            QCOMPARE(items(list), QStringList({QStringLiteral("*Sample*")}));
        }
    }

    void skipAndDeleteListEditing()
    {
        QCOMPARE(GetParentBox(m_form->Button18), m_form->ListBox2);
        QCOMPARE(GetParentBox(m_form->Button20), m_form->ListBox2);
        QCOMPARE(GetParentBox(m_form->Button23), m_form->ListBox3);
        QCOMPARE(GetParentBox(m_form->Button8), nullptr); // a group without a list
        QCOMPARE(GetParentBox(m_form->Button1), nullptr); // not in a group box

        m_dialogs->inputAnswers = {QString(), std::nullopt, QStringLiteral("  *Sample*  "),
                                   QStringLiteral("   ")};
        for (int i = 0; i < 4; ++i)
            m_form->Button21->click();
        QCOMPARE(items(m_form->ListBox3),
                 QStringList({QStringLiteral("  *Sample*  "), QStringLiteral("   ")}));
        QCOMPARE(m_form->ListBox2->count(), 0);

        m_dialogs->inputAnswers = {QStringLiteral("Subs")};
        m_form->Button18->click();
        QCOMPARE(items(m_form->ListBox2), QStringList({QStringLiteral("Subs")}));

        m_form->Button22->click(); // nothing selected
        QCOMPARE(m_dialogs->shownMessages.size(), 1);
        QCOMPARE(m_dialogs->shownMessages.at(0).text, text(157));
        QCOMPARE(m_dialogs->shownMessages.at(0).caption, QStringLiteral("Error"));
        QCOMPARE(m_dialogs->shownMessages.at(0).icon, MessageIcon::Error);
        m_form->ListBox3->setCurrentRow(0);
        m_form->Button22->click();
        QCOMPARE(items(m_form->ListBox3), QStringList({QStringLiteral("   ")}));

        m_form->Button19->click();
        QCOMPARE(m_form->ListBox2->count(), 0);
        QCOMPARE(m_form->ListBox3->count(), 1);
    }

    void soundFileBrowse()
    {
        m_dialogs->fileAnswers = {QStringLiteral("/music/done.mp3")};
        m_form->Button11->click();
        QCOMPARE(m_form->Edit3->text(), QStringLiteral("/music/done.mp3"));
        m_form->Button11->click(); // cancelled
        QCOMPARE(m_form->Edit3->text(), QStringLiteral("/music/done.mp3"));
    }
};

QTEST_MAIN(TestInputQueue)
#include "tst_inputqueue.moc"
