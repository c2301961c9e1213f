#pragma once
// The parts of Tevo's start that need no window, shared by the window program and tevo-cli: the
// job flags, the stored settings, the language file and the start-up line.

#include <functional>
#include <QString>
#include <QStringList>

class EngineContext;
class SettingsModel;
struct JobControl;

// The file start-up falls back to when the settings name no language file that exists.
inline const QString FallbackLanguageFile = QStringLiteral("english.lng");

// No job runs, none is stopping, pausing or closing.
void ResetJobControl(JobControl &job);

// Applies the option-set file (such as "last.os") to the settings when there is one. A file that
// cannot be read is reported through failed, and the settings keep what was read of it. The
// priority entry is applied as LoadOptionSet says.
void LoadStoredSettings(SettingsModel &settings, const QString &path,
                        const std::function<void()> &priorityEntry,
                        const std::function<void(const QString &message)> &failed);

// The language file start-up loads: the settings' ActiveLanguageFile when it names a file that
// exists, else english.lng from the first language folder that holds one (fallback is then
// true); an empty path when there is neither.
struct StartupLanguage
{
    QString path;
    bool fallback = false;
};
StartupLanguage FindStartupLanguage(const SettingsModel &settings,
                                    const QStringList &languageFolders);

// "[iNiT   ] Tevo v1.06 started".
void LogStartupLine(EngineContext &ctx);
