#include "ui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>

#include "jobs/WatchMode.h"
#include "settings/LanguageFolders.h"
#include "settings/OptionSetFile.h"
#include "ui/AboutWindow.h"
#include "ui/DiskSpaceWindow.h"
#include "ui/InputQueue.h"
#include "ui/SettingsBinding.h"
#include "ui/TrayIcon.h"

const FileDialogSpec TForm1::od{QStringLiteral("Open Sound"),
                                QStringLiteral("MP3-Files|*.mp3|WAV-Files|*.wav|All Files|*.*"),
                                QStringLiteral("mp3")};
const FileDialogSpec TForm1::os_save{QStringLiteral("Save Optionset"),
                                     QStringLiteral("Tevo Optionsets|*.os|All Files|*.*"),
                                     QStringLiteral("os")};
const FileDialogSpec TForm1::os_load{QStringLiteral("Open Optionset"),
                                     QStringLiteral("Tevo-Optionsets|*.os|All Files|*.*"),
                                     QStringLiteral("os")};

TForm1::TForm1(Dialogs &dialogs, Platform &platform, QWidget *parent)
    : QWidget(parent), m_context(m_settings, m_language, *this, *this, dialogs, platform, m_job)
{
    m_context.programFolder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    m_languageFolders =
        LanguageFolders(m_context.programFolder, QStringLiteral(TEVO_INSTALLED_DATA_DIR));

    buildWindow();
    // The controls follow the settings from here on, before any rule is hooked to them.
    m_settingsBinding = new SettingsBinding(m_settings, *this);
    connect(&m_settings, &SettingsModel::optionSetApplied, this, &TForm1::OutputModeRule);
    connectRules();
    connectOptionSetButtons();
    m_inputQueue = new InputQueue(*this);
    connectJobCommands();
    m_watchMode = new WatchMode(
        m_context, m_settings, *m_jobWindow, Timer1, [this] { emit Button1->clicked(false); },
        this);
    connect(Button17, &QPushButton::clicked, m_watchMode, &WatchMode::toggle);
    connectProgramWindows();
    // The enabled states at creation follow the rules.
    InputModeRule();
    OutputModeRule();
    CheckBox3Click();
    setApplicationTitle(idleApplicationTitle());

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm1::~TForm1()
{
    // The icon goes before the menu it shows.
    m_trayIcon.reset();
    // The queue filters events of the lists and edits, which QWidget's destructor still sends to
    // them once this window is no TForm1 any more: it goes while the window is whole.
    delete m_inputQueue;
    m_inputQueue = nullptr;
}

// ---- Log ---------------------------------------------------------------------------------

void TForm1::appendLogLine(const QString &line)
{
    Memo1->appendPlainText(line);
    appendToLogFile(line);
}

// ---- What a running job shows --------------------------------------------------------------

void TForm1::setProgressEnabled(bool enabled)
{
    for (QWidget *widget : {static_cast<QWidget *>(pbCurrentFile), static_cast<QWidget *>(Label2),
                            static_cast<QWidget *>(Label3), static_cast<QWidget *>(Label4),
                            static_cast<QWidget *>(Label5)})
        widget->setEnabled(enabled);
}

// The progress display is refreshed after every block the engine handles; a value that did not
// change costs no layout, repaint or title update.
void TForm1::setProgressRange(int maximum)
{
    if (pbCurrentFile->minimum() != 0 || pbCurrentFile->maximum() != maximum)
        pbCurrentFile->setRange(0, maximum);
}

void TForm1::setProgressPosition(int position)
{
    if (pbCurrentFile->value() != position)
        pbCurrentFile->setValue(position);
}

void TForm1::setCurrentFileText(const QString &text)
{
    if (Label5->text() != text)
        Label5->setText(text);
}

void TForm1::setProgressText(const QString &text)
{
    if (Label4->text() != text)
        Label4->setText(text);
}

void TForm1::setApplicationTitle(const QString &title)
{
    if (title == m_applicationTitle)
        return;
    m_applicationTitle = title;
    // Task bars and window lists show the window's own title: it carries a job's progress and
    // the product name while idle, and so does the tray icon's tip.
    const QString shown = title == idleApplicationTitle() ? TrayIcon::tip() : title;
    setWindowTitle(shown);
    if (m_trayIcon)
        m_trayIcon->setToolTip(shown);
}

void TForm1::setRunControlsLocked(bool locked)
{
    m_runControlsLocked = locked;
    if (locked) {
        for (QWidget *control : std::initializer_list<QWidget *>{
                 RadioButton1, RadioButton2, RadioButton3, RadioButton4, RadioButton5, Edit2,
                 CheckBox2, RadioButton12, RadioButton14, Button5, CheckBox3, CheckBox8,
                 CheckBox10})
            control->setEnabled(false);
        return;
    }
    RadioButton1->setEnabled(true);
    RadioButton2->setEnabled(true);
    RadioButton3->setEnabled(true);
    CheckBox3->setEnabled(true);
    CheckBox8->setEnabled(true);
    CheckBox10->setEnabled(true);
    OutputModeRule();
    CheckBox3Click();
}

void TForm1::showTab(WindowTab tab)
{
    switch (tab) {
    case WindowTab::InputOutput:
        Pages->setCurrentWidget(TabSheet1);
        break;
    case WindowTab::Options:
        Pages->setCurrentWidget(TabSheet2);
        break;
    case WindowTab::AfterExtraction:
        Pages->setCurrentWidget(TabSheet5);
        break;
    case WindowTab::SkipDeleteList:
        Pages->setCurrentWidget(TabSheet4);
        break;
    case WindowTab::ProgressLog:
        Pages->setCurrentWidget(TabSheet3);
        break;
    }
}

void TForm1::clearQueue()
{
    m_settings.setQueue({});
}

void TForm1::clearInputFolder()
{
    m_settings.setInputFolder({});
}

void TForm1::requestClose()
{
    // Called from inside a folder run ("Close Tevo after extraction"): the job still needs the
    // window and the rest of the queue, so the close waits until the job has ended.
    if (m_closed)
        return;
    m_closePending = true;
    finishPendingClose();
}

void TForm1::ShowError(const QString &message)
{
    m_context.dialogs.messageBox(message, QStringLiteral("Error"), MessageIcon::Error);
}

// ---- Keys and events ---------------------------------------------------------------------

// Enter presses Unpack (or the focused button) and Escape presses Close, unless the focused
// control uses the key itself.
void TForm1::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A focused button takes Enter itself, as on a dialog.
            if (auto *focused = qobject_cast<QPushButton *>(focusWidget());
                focused && focused->isEnabled())
                focused->click();
            else if (Button1->isEnabled())
                Button1->click();
            return;
        case Qt::Key_Escape:
            if (Button3->isEnabled())
                Button3->click();
            return;
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TabSheet2 && event->type() == QEvent::Show)
        TabSheet2Show();
    return QWidget::eventFilter(watched, event);
}

// A caption change of a bottom button asks its parent, the window, for a new layout.
bool TForm1::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest)
        arrangeButtonRow();
    return QWidget::event(event);
}
