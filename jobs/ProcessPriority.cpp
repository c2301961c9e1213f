#include "jobs/ProcessPriority.h"

#include "engine/EngineContext.h"
#include "settings/SettingsModel.h"

namespace {
constexpr int TextPriorityRefused = 225;
} // namespace

PriorityChoice ApplyProcessPriority(EngineContext &ctx, PriorityChoice wanted)
{
    if (wanted == PriorityChoice::NoSelection)
        return wanted;
    const PriorityChoice inForce = ctx.platform.setProcessPriority(wanted);
    if (inForce != wanted && inForce != PriorityChoice::NoSelection) {
        const QStringList &texts = SettingsModel::priorityTexts();
        ctx.AddLogLine(
            LogTag::Notice +
            ctx.LangText(TextPriorityRefused, {texts.at(int(wanted)), texts.at(int(inForce))}));
    }
    return inForce;
}
