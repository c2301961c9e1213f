#pragma once
// tevo-cli's run: the window program's Unpack job and watch mode on the same settings, with the
// terminal in place of the window.

#include <memory>

#include "CliArguments.h"
#include "Console.h"
#include "engine/EngineContext.h"
#include "engine/JobControl.h"
#include "engine/LanguageTexts.h"
#include "HeadlessPlatform.h"
#include "JsonEvents.h"
#include "settings/SettingsModel.h"

class UnpackJob;
class WatchMode;
class SignalWatch;
class HeadlessJobWindow;

class HeadlessProgram
{
public:
    explicit HeadlessProgram(const CliArguments &arguments);
    ~HeadlessProgram();

    // Runs the job (or watches until a signal) and returns the exit status.
    int run();

    // The exit status of a run stopped by a signal.
    static int signalExitCode(int signal) { return 128 + signal; }

private:
    // The settings of the option-set file, else of last.os, else the defaults; false when the
    // file asked for cannot be read.
    bool loadSettings();
    // The --set assignments, in order, over the loaded settings.
    void applyAssignments();
    // The settings' language file, else english.lng; false when there is none.
    bool loadLanguage();
    void takeFolders();
    void onSignal(int signal);
    void runJob();
    int jobExitCode() const;

    CliArguments m_arguments;
    std::unique_ptr<JsonEvents> m_json; // with --json only
    Console m_console;
    ConsoleLog m_log;
    ConsoleJobView m_view;
    ConsoleDialogs m_dialogs;
    HeadlessPlatform m_platform;
    HeadlessSound m_sound;
    SettingsModel m_settings;
    LanguageTexts m_language;
    JobControl m_job;
    EngineContext m_ctx;
    std::unique_ptr<HeadlessJobWindow> m_window;
    std::unique_ptr<UnpackJob> m_unpackJob;
    std::unique_ptr<WatchMode> m_watchMode;
    std::unique_ptr<SignalWatch> m_signals;
    int m_signal = 0;
};
