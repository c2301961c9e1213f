#include "engine/Backends.h"

#include "engine/EngineContext.h"
#include "engine/LibarchiveBackend.h"
#include "engine/RarExtractor.h"
#include "engine/SetPlan.h"

std::unique_ptr<ArchiveBackend> BackendForSet(EngineContext &ctx, const QString &firstVolume,
                                              const SetPlan *knownPlan)
{
    if (ctx.backendFactory)
        return ctx.backendFactory(ctx, firstVolume, knownPlan);
    if (IsLibarchiveSet(firstVolume))
        return std::make_unique<LibarchiveBackend>(ctx, firstVolume, knownPlan);
    if (knownPlan && knownPlan->opened)
        return std::make_unique<RarBackend>(ctx, *knownPlan);
    return std::make_unique<RarBackend>(ctx, firstVolume);
}
