#include "jobs/StartupSettings.h"

#include <QDir>
#include <QFileInfo>

#include "engine/EngineContext.h"
#include "engine/Errors.h"
#include "engine/TextNumbers.h"
#include "engine/Version.h"
#include "settings/OptionSetFile.h"
#include "settings/SettingsModel.h"

void ResetJobControl(JobControl &job)
{
    job.AbortRequested = false;
    job.StopRequested = false;
    job.UnpackRunning = false;
    job.JobStartTick = 0;
}

void LoadStoredSettings(SettingsModel &settings, const QString &path,
                        const std::function<void()> &priorityEntry,
                        const std::function<void(const QString &)> &failed)
{
    if (!QFileInfo(path).isFile())
        return;
    try {
        LoadOptionSet(settings, path, priorityEntry);
    } catch (const TevoError &error) {
        if (failed)
            failed(error.message());
    }
}

StartupLanguage FindStartupLanguage(const SettingsModel &settings,
                                    const QStringList &languageFolders)
{
    const QString active = settings.ActiveLanguageFile();
    if (!active.isEmpty()) {
        const QString path = LanguageTexts::resolve(active, languageFolders);
        if (!path.isEmpty())
            return {path, false};
    }
    for (const QString &folder : languageFolders) {
        const QString fallback = QDir(folder).filePath(FallbackLanguageFile);
        const QFileInfo info(fallback);
        if (info.exists() && !info.isDir())
            return {fallback, true};
    }
    return {};
}

void LogStartupLine(EngineContext &ctx)
{
    ctx.AddLogLine(LogTag::Init + ctx.LangText(Text::Started, {TevoVersionText}));
}
