#pragma once
// Tevo's main window: every setting as a control bound to the settings model, the command buttons,
// the progress display and the log.

#include <memory>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "engine/EngineContext.h"
#include "jobs/CommandLine.h"
#include "jobs/JobNotification.h"
#include "jobs/JobWindow.h"
#include "jobs/UnpackJob.h"
#include "settings/SettingsModel.h"
#include "ui/SoundPlayer.h"
#include "ui/SoundTestButton.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;
class QVBoxLayout;
class InputQueue;
class SettingsBinding;
class WatchMode;
class TrayIcon;
class TFrmDiskSpace;
class TForm3;

// Title, filter ("Name|*.ext|...") and default suffix of one of the window's file choosers.
struct FileDialogSpec
{
    QString title;
    QString filter;
    QString defaultSuffix;
};

class TForm1 : public QWidget, public LogSink, public JobView
{
    Q_OBJECT

public:
    // The dialogs and platform services are handed in so that tests can script them.
    TForm1(Dialogs &dialogs, Platform &platform, QWidget *parent = nullptr);
    ~TForm1() override;

    EngineContext &context() { return m_context; }
    LanguageTexts &language() { return m_language; }
    JobControl &jobControl() { return m_job; }

    // The window's fixed client size.
    static constexpr int ClientWidth = 520;
    static constexpr int ClientHeight = 548;
    // The task-bar title while no job shows its progress.
    static QString idleApplicationTitle() { return QStringLiteral("[Tevo]"); }
    QString applicationTitle() const { return m_applicationTitle; }

    // The settings the controls show; every change of a control is in it at once.
    SettingsModel &settings() { return m_settings; }
    const SettingsModel &settings() const { return m_settings; }
    QString LastOpenPath() const { return m_settings.LastOpenPath(); }
    void setLastOpenPath(const QString &path) { m_settings.setLastOpenPath(path); }

    // LogSink: a finished line goes to the end of Memo1.
    void appendLogLine(const QString &line) override;
    // The log's context menu: the standard entries and "Save log…" (the caller owns it).
    QMenu *createLogContextMenu();
    // Writes the whole log to a file the user chooses.
    void SaveLog();
    // Where every log line also goes while CheckBox24 is on: tevo.log beside "last.os".
    QString logFilePath() const;
    // "[hh:nn] " + text, through the engine context's clock.
    void AddLogLine(const QString &text) { m_context.AddLogLine(text); }

    // JobView.
    void setProgressEnabled(bool enabled) override;
    void setProgressRange(int maximum) override;
    void setProgressPosition(int position) override;
    void setCurrentFileText(const QString &text) override;
    void setProgressText(const QString &text) override;
    void setApplicationTitle(const QString &title) override;
    void setRunControlsLocked(bool locked) override;
    bool runControlsLocked() const { return m_runControlsLocked; }
    void showTab(WindowTab tab) override;
    void clearQueue() override;
    void clearInputFolder() override;
    void requestClose() override;

    // Language files.
    QString ActiveLanguageFile() const { return m_settings.ActiveLanguageFile(); }
    void setActiveLanguageFile(const QString &name) { m_settings.setActiveLanguageFile(name); }
    // Where language files are looked for: the data folder of an installed copy, the program
    // folder, then the data folder Tevo was built for.
    QStringList languageFolders() const { return m_languageFolders; }
    void setLanguageFolders(const QStringList &folders) { m_languageFolders = folders; }
    // Loads the named file (as given, else from the language folders) and re-captions the
    // window; a name that names no file changes nothing. Throws TevoError when the file exists
    // but cannot be read (the texts are then empty and the captions stay).
    void LoadLanguage(const QString &name);
    // Puts the loaded language texts on the 95 captions that have a text number.
    void InitGUILanguage();
    // The controls whose captions come from the language file, each with its text number.
    QList<QPair<int, QWidget *>> CaptionControls() const;
    // The caption a control shows (tab text for a tab page).
    QString captionOf(const QWidget *control) const;
    // Rebuilds the language list from the language folders and reselects ActiveLanguageFile.
    void TabSheet2Show();
    // A language picked from the list becomes ActiveLanguageFile and is loaded at once.
    void ComboBox1Select();
    // The start-up choice of the language file: ActiveLanguageFile, else english.lng; false
    // (after telling the user) when neither exists and the program has to end.
    bool StartupLanguageLoad();

    // The window's standard report of an unexpected error: an error box.
    void ShowError(const QString &message);

    // The program's other windows and the window's life cycle (MainWindowLifecycle.cpp).
    // Close (Button3): asks first while a folder run is in progress, then tells a running job
    // to abort and closes.
    void Button3Click();
    // Disk space (Button13): shows the disk-space window, or brings it to the front.
    void Button13Click();
    // Tray (Button24): sends the window to the notification area.
    void Button24Click();
    // About (Button2): shows the about window without blocking this one.
    void Button2Click();
    TrayIcon &trayIcon() { return *m_trayIcon; }
    TFrmDiskSpace &diskSpaceWindow() { return *m_diskSpaceWindow; }
    TForm3 &aboutWindow() { return *m_aboutWindow; }
    // Where "last.os" is written at every close and read at every start.
    QString lastOptionSetPath() const;
    // A close asked for while a job runs waits until the job has ended; closePending() says
    // one is waiting. finishPendingClose() carries it out now when no job runs any more.
    bool closePending() const { return m_closePending; }
    void finishPendingClose();
    // True once the window has closed: the program ends when control reaches the event loop.
    bool hasClosed() const { return m_closed; }

    // The job commands (MainWindowJob.cpp): Unpack, Stop, Pause, and the sound's Play button.
    void Button1Click();
    // The command line's folders go to the settings, then "-unpack" and "-watch" press Unpack
    // and Watch.
    void ApplyCommandLine(const CommandLine &commandLine);
    void Button14Click();
    void Button15Click();
    void Button12Click();
    // Where the notification at a job's end goes (CheckBox23); tests put in their own.
    void setNotifier(std::unique_ptr<Notifier> notifier) { m_notifier = std::move(notifier); }

    // The click and change rules that tie controls together; each runs on every change, also
    // when code makes it.
    void InputModeRule();
    void OutputModeRule();
    void CheckBox2Click();
    void CheckBox3Click();
    void ComboBox2Change();
    // Tray rule (CheckBox20) and registry rule (CheckBox12).
    virtual void ApplyTrayRule();
    virtual void ApplyShellIntegrationRule();

    // The check boxes and radio buttons that option-set files store, in the window's creation
    // order, and the containers that hold them.
    QList<QAbstractButton *> OptionSetButtons() const;
    QList<QWidget *> OptionSetContainers() const;

    // Option-set files: writes the stored settings (throws TevoError when the file cannot be
    // written) or applies a file to the window, each with an optional confirmation box.
    void SaveOptionSet(const QString &fileName, bool confirm);
    void LoadOptionSet(const QString &fileName, bool confirm);
    // Watch mode (its timer state says whether it watches).
    WatchMode &watchMode() { return *m_watchMode; }
    // The control of that object name, compared without regard to letter case (option-set
    // files name controls that way); null when there is none.
    QWidget *findControl(const QString &name) const;

    // The non-visual file choosers of the window.
    static const FileDialogSpec od;
    static const FileDialogSpec os_save;
    static const FileDialogSpec os_load;

    // Bottom button row.
    QPushButton *Button1 = nullptr;  // Unpack
    QPushButton *Button17 = nullptr; // Watch
    QPushButton *Button15 = nullptr; // Pause
    QPushButton *Button14 = nullptr; // Stop
    QPushButton *Button13 = nullptr; // Disk space
    QPushButton *Button24 = nullptr; // Tray
    QPushButton *Button2 = nullptr;  // About
    QPushButton *Button3 = nullptr;  // Close

    QTabWidget *Pages = nullptr;
    QWidget *TabSheet1 = nullptr; // Input/Output
    QWidget *TabSheet2 = nullptr; // Options
    QWidget *TabSheet5 = nullptr; // After Extraction
    QWidget *TabSheet4 = nullptr; // Skip/Delete-List
    QWidget *TabSheet3 = nullptr; // Progress/Log

    // Input/Output.
    QFrame *Panel2 = nullptr;
    QLabel *Image1 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QRadioButton *RadioButton6 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button4 = nullptr;
    QRadioButton *RadioButton7 = nullptr;
    QListWidget *ListBox1 = nullptr;
    QPushButton *Button6 = nullptr;
    QPushButton *Button16 = nullptr;
    QPushButton *Button7 = nullptr;
    QPushButton *Button10 = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QRadioButton *RadioButton1 = nullptr;
    QRadioButton *RadioButton2 = nullptr;
    QCheckBox *CheckBox2 = nullptr;
    QRadioButton *RadioButton3 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QPushButton *Button5 = nullptr;
    QFrame *Panel3 = nullptr;
    QRadioButton *RadioButton12 = nullptr;
    QRadioButton *RadioButton14 = nullptr;

    // Options.
    QGroupBox *GroupBox4 = nullptr;
    QCheckBox *CheckBox9 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QCheckBox *CheckBox4 = nullptr;
    QCheckBox *CheckBox6 = nullptr;
    QCheckBox *CheckBox5 = nullptr;
    QCheckBox *CheckBox8 = nullptr;
    QCheckBox *CheckBox3 = nullptr;
    QRadioButton *RadioButton4 = nullptr;
    QRadioButton *RadioButton5 = nullptr;
    QCheckBox *CheckBox10 = nullptr;
    QCheckBox *CheckBox11 = nullptr;
    QCheckBox *CheckBox15 = nullptr;
    QCheckBox *CheckBox16 = nullptr;
    QCheckBox *CheckBox17 = nullptr;
    QCheckBox *CheckBox7 = nullptr;
    QCheckBox *CheckBox18 = nullptr;
    QCheckBox *CheckBox22 = nullptr;
    QGroupBox *GroupBox13 = nullptr;
    QCheckBox *CheckBox19 = nullptr;
    QCheckBox *CheckBox20 = nullptr;
    QCheckBox *CheckBox23 = nullptr; // a desktop notification when a job ends
    QGroupBox *GroupBox15 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QGroupBox *GroupBox6 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QCheckBox *CheckBox12 = nullptr;
    QGroupBox *GroupBox7 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label11 = nullptr;
    QPushButton *Button8 = nullptr;
    QPushButton *Button9 = nullptr;
    QGroupBox *GroupBox9 = nullptr;
    QLabel *Label13 = nullptr;
    QLineEdit *Edit6 = nullptr;
    QLabel *Label14 = nullptr;
    QGroupBox *GroupBox14 = nullptr;
    QLabel *Label18 = nullptr; // "File:"
    QComboBox *ComboBox1 = nullptr;

    // After Extraction.
    QGroupBox *GroupBox8 = nullptr;
    QRadioButton *RadioButton8 = nullptr;
    QRadioButton *RadioButton9 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QPushButton *Button11 = nullptr;
    QPushButton *Button12 = nullptr;
    QRadioButton *RadioButton10 = nullptr;
    QLineEdit *Edit4 = nullptr;
    QCheckBox *CheckBox13 = nullptr;
    QFrame *Panel1 = nullptr;
    QRadioButton *RadioButton11 = nullptr;
    QRadioButton *RadioButton13 = nullptr;
    QLineEdit *Edit5 = nullptr;
    QLabel *Label12 = nullptr;
    QCheckBox *CheckBox14 = nullptr;
    QRadioButton *RJumpBackToWelcome = nullptr;

    // Skip/Delete-List.
    QGroupBox *GroupBox10 = nullptr;
    QLabel *Label15 = nullptr;
    QLabel *Label16 = nullptr;
    QLabel *Label17 = nullptr;
    QCheckBox *CheckBox21 = nullptr;
    QGroupBox *GroupBox11 = nullptr;
    QListWidget *ListBox2 = nullptr;
    QPushButton *Button18 = nullptr;
    QPushButton *Button20 = nullptr;
    QPushButton *Button19 = nullptr;
    QGroupBox *GroupBox12 = nullptr;
    QListWidget *ListBox3 = nullptr;
    QPushButton *Button21 = nullptr;
    QPushButton *Button22 = nullptr;
    QPushButton *Button23 = nullptr;

    // Progress/Log.
    QGroupBox *GroupBox5 = nullptr;
    QProgressBar *pbCurrentFile = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QGroupBox *GroupBox3 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QCheckBox *CheckBox24 = nullptr; // the log is also written to logFilePath()
    QCheckBox *CheckBox25 = nullptr; // repair with PAR2 files
    QCheckBox *CheckBox26 = nullptr; // also unpack other archive formats
    QCheckBox *CheckBox27 = nullptr; // unpack archives found inside
    QGroupBox *GroupBox16 = nullptr; // the password list
    QLineEdit *Edit7 = nullptr;

    // Non-visual parts.
    QTimer *Timer1 = nullptr;
    QMenu *TrayMenu = nullptr;
    QAction *Open1 = nullptr;
    QAction *N1 = nullptr;
    QAction *Pause1 = nullptr;
    QAction *Stop1 = nullptr;
    QAction *DiskSpace1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Every way the window closes saves "last.os" and ends the program.
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    // Layout, one builder per tab (MainWindowLayout.cpp).
    void buildWindow();
    void buildButtonRow();
    // Places the bottom buttons so that every caption fits; runs again when a caption changes.
    void arrangeButtonRow();
    void buildInputOutputTab();
    void buildOptionsTab();
    void buildOptionsGroup(QVBoxLayout *column);
    void buildTrayAndPriorityGroups(QVBoxLayout *column);
    void buildOptionsRightColumn(QVBoxLayout *column);
    void buildAfterExtractionTab();
    void buildSkipDeleteTab();
    void buildProgressLogTab();
    void buildNonVisualParts();
    // Some explanations come as fixed lines of the language file; a narrow column shows them
    // as one wrapped paragraph while the line labels (hidden) keep the texts.
    QLabel *newParagraph(QWidget *parent, const char *name, const QList<QLabel *> &lines);
    void updateParagraphs();
    // Creates the tray icon, the disk-space and about windows and hooks up their buttons.
    void connectProgramWindows();
    bool jobRunning() const;
    // Hooks the rules to the controls' change signals (MainWindowRules.cpp).
    void connectRules();
    void appendToLogFile(const QString &line);
    // Reads one language file into the texts and re-captions the window.
    void loadLanguageFile(const QString &path);
    // Creates the unpack job and the sound player and hooks them to their buttons.
    void connectJobCommands();
    // "Save Options" (Button8) and "Open Optionset" (Button9).
    void connectOptionSetButtons();

    QList<QPair<QLabel *, QList<QLabel *>>> m_paragraphs;
    SettingsModel m_settings;
    LanguageTexts m_language;
    JobControl m_job;
    EngineContext m_context;
    QStringList m_languageFolders;
    QString m_applicationTitle;
    bool m_runControlsLocked = false;
    SettingsBinding *m_settingsBinding = nullptr; // owned as a child
    InputQueue *m_inputQueue = nullptr;           // owned as a child
    WatchMode *m_watchMode = nullptr;             // owned as a child
    std::unique_ptr<TrayIcon> m_trayIcon;
    // Top-level windows of their own, so that they can show while this one sits in the tray.
    std::unique_ptr<TFrmDiskSpace> m_diskSpaceWindow;
    std::unique_ptr<TForm3> m_aboutWindow;
    QTimer *m_pendingCloseTimer = nullptr;
    bool m_closePending = false;
    bool m_closed = false;
    std::unique_ptr<QtSoundOutput> m_soundOutput;
    std::unique_ptr<JobWindow> m_jobWindow;
    std::unique_ptr<UnpackJob> m_unpackJob;
    std::unique_ptr<SoundTestButton> m_soundTestButton;
    std::unique_ptr<Notifier> m_notifier;
};
