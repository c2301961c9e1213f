// Texts fit their windows: translated captions never push a control off the main window,
// progress texts fit their labels, and the tool windows keep their font under a large desktop
// font.

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "support/WindowFixture.h"
#include "tools/DiskSpaceWindow.h"
#include "ui/AboutWindow.h"
#include "ui/ElidingButton.h"

namespace {

QList<QPushButton *> buttonRow(const TForm1 &f)
{
    return {f.Button1,  f.Button17, f.Button15, f.Button14,
            f.Button13, f.Button24, f.Button2,  f.Button3};
}

// Whether each plain label and button of the window shows its whole text.
QStringList clippedTexts(const QWidget &window)
{
    QStringList clipped;
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (label->text().isEmpty() || label->textFormat() == Qt::RichText ||
            !label->pixmap().isNull())
            continue;
        const QSize needed = label->fontMetrics().size(0, label->text());
        if (needed.width() > label->width() || needed.height() > label->height())
            clipped << label->text();
    }
    for (const QPushButton *button : window.findChildren<QPushButton *>()) {
        if (button->fontMetrics().horizontalAdvance(button->text()) + 8 > button->width())
            clipped << button->text();
    }
    return clipped;
}

} // namespace

class TestCaptionsFit : public QObject
{
    Q_OBJECT

private slots:
    // Every bottom button stays inside the window, side by side; a shortened caption is shown
    // whole as its tooltip, and the tab bar scrolls rather than running off the window.
    void captionsNeverHideAControl_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("repeat"); // each caption repeated this often
        QTest::newRow("english") << EnglishLanguageFile() << 1;
        QTest::newRow("german") << QStringLiteral(TEVO_SOURCE_DIR "/tests/data/deutsch-1252.lng")
                                << 1;
        QTest::newRow("very long") << EnglishLanguageFile() << 4;
    }
    void captionsNeverHideAControl()
    {
        QFETCH(QString, language);
        QFETCH(int, repeat);
        WindowFixture w;
        TForm1 &f = w.form;
        f.LoadLanguage(language);
        if (repeat > 1) {
            for (QPushButton *button : buttonRow(f))
                button->setText(button->text().repeated(repeat));
            for (int tab = 0; tab < f.Pages->count(); ++tab)
                f.Pages->setTabText(tab, f.Pages->tabText(tab).repeated(repeat));
        }
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QApplication::processEvents();

        int right = -1;
        for (QPushButton *button : buttonRow(f)) {
            QVERIFY2(f.rect().contains(button->geometry()), qPrintable(button->text()));
            QVERIFY(button->x() > right);
            right = button->geometry().right();
            auto *eliding = dynamic_cast<ElidingButton *>(button);
            QVERIFY(eliding);
            QCOMPARE(button->toolTip(), eliding->isElided() ? button->text() : QString());
        }
        if (repeat > 1)
            QVERIFY(dynamic_cast<ElidingButton *>(f.Button3)->isElided());
        else if (language == EnglishLanguageFile())
            QVERIFY(f.Button3->toolTip().isEmpty());

        QTabBar *bar = f.Pages->tabBar();
        QVERIFY(f.Pages->geometry().right() < f.width());
        QVERIFY(bar->geometry().right() <= f.Pages->width());
        for (int tab = 0; tab < f.Pages->count(); ++tab) {
            f.Pages->setCurrentIndex(tab);
            QApplication::processEvents();
            QVERIFY2(bar->rect().intersects(bar->tabRect(tab)), qPrintable(f.Pages->tabText(tab)));
        }
    }

    // The progress labels hold a real progress text and a file name with its volume.
    void progressTextsFitTheirLabels()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        f.LoadLanguage(EnglishLanguageFile());
        f.Pages->setCurrentWidget(f.TabSheet3);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.setProgressText(QStringLiteral(
            "1.52 GiB/4.37 GiB (Time elapsed: 3 m 12 s /ins: 5 m 43 s, 8.10 MiB/s, 2 m 1 s left)"));
        f.setCurrentFileText(QStringLiteral(
            "Some.Movie.2024.1080p.BluRay.x264-GROUP.iso (Source: some.movie.2024.part03.rar)"));
        QApplication::processEvents();
        for (QLabel *label : {f.Label4, f.Label5}) {
            const QRect needed = label->fontMetrics().boundingRect(
                QRect(0, 0, label->width(), 1000), Qt::TextWordWrap, label->text());
            QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                     qPrintable(label->text()));
            QVERIFY(f.GroupBox5->rect().contains(
                label->mapTo(f.GroupBox5, label->rect().bottomRight())));
        }
    }

    // At an 11 pt desktop font the disk-space and about windows keep the font their fixed
    // layouts are made for, so no text clips.
    void toolWindowsKeepTheirFont()
    {
        const QFont before = QApplication::font();
        QFont desktop = before;
        desktop.setPointSize(11);
        QApplication::setFont(desktop);
        MemorySettings settings;
        ScriptedDialogs dialogs;
        TFrmDiskSpace diskSpace(settings, dialogs, [] { return QList<DriveSpace>(); });
        TForm3 about;
        for (QWidget *window :
             {static_cast<QWidget *>(&diskSpace), static_cast<QWidget *>(&about)}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QCOMPARE(window->font().pointSize(), 8);
            QCOMPARE(clippedTexts(*window), QStringList());
        }
        QApplication::setFont(before);
    }
};

QTEST_MAIN(TestCaptionsFit)
#include "tst_captionsfit.moc"
