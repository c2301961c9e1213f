#include "jobs/ProcessPriority.h"

#include "engine/EngineContext.h"
#include "engine/TextNumbers.h"
#include "settings/SettingsModel.h"

PriorityChoice ApplyProcessPriority(EngineContext &ctx, PriorityChoice wanted)
{
    if (wanted == PriorityChoice::NoSelection)
        return wanted;
    const PriorityChoice inForce = ctx.platform.setProcessPriority(wanted);
    if (inForce != wanted && inForce != PriorityChoice::NoSelection) {
        const QStringList &texts = SettingsModel::priorityTexts();
        ctx.AddLogLine(
            LogTag::Notice +
            ctx.LangText(Text::PriorityRefused, {texts.at(int(wanted)), texts.at(int(inForce))}));
    }
    return inForce;
}
