#pragma once
// Which back-end extracts an archive set: the folder run asks here and knows nothing else of it.

#include <functional>
#include <memory>
#include <QString>

class ArchiveBackend;
class EngineContext;
struct SetPlan;

// Makes the back-end of a set, given its first volume (or file) and, when read already, its plan.
using BackendFactory = std::function<std::unique_ptr<ArchiveBackend>(
    EngineContext &ctx, const QString &firstVolume, const SetPlan *knownPlan)>;

// The back-end for the set whose first volume is firstVolume: ctx.backendFactory when one is
// set, libarchive's for 7z sets, otherwise libunrar's. knownPlan (opened) spares a second listing.
std::unique_ptr<ArchiveBackend> BackendForSet(EngineContext &ctx, const QString &firstVolume,
                                              const SetPlan *knownPlan = nullptr);
