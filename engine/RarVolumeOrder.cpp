#include "engine/RarVolumeOrder.h"

#include <algorithm>

namespace {

bool SameEntry(const RarEntryMark &a, const RarEntryMark &b)
{
    return a.name == b.name && a.size == b.size;
}

bool LastOfSet(const RarVolumeFile &volume)
{
    const RarVolumeHeaders &h = volume.headers;
    if (h.endRead)
        return !h.moreVolumes;
    return !h.last.splitAfter;
}

// A volume still being written has no end record yet. RAR 5 writes one into every volume, RAR 3
// and 4 too; only archives of older versions come without any.
bool EndRecordsRead(const RarVolumeChain &chain)
{
    int read = 0;
    for (const RarVolumeFile &volume : chain.volumes)
        read += volume.headers.endRead ? 1 : 0;
    if (chain.volumes.first().headers.kind == ArchiveKind::Rar5)
        return read == chain.volumes.size();
    return read == 0 || read == chain.volumes.size();
}

// The index in volumes of the best volume to follow previous among those not yet used; -1 when
// none can.
int BestFollower(const RarVolumeFile &previous, const QList<RarVolumeFile> &volumes,
                 const QList<bool> &used)
{
    int best = -1;
    for (int i = 0; i < volumes.size(); ++i) {
        if (used.at(i) || !CanFollow(previous, volumes.at(i)))
            continue;
        if (best < 0 ||
            (volumes.at(i).size == previous.size && volumes.at(best).size != previous.size))
            best = i;
    }
    return best;
}

RarVolumeChain ChainFrom(int start, const QList<RarVolumeFile> &volumes, QList<bool> &used)
{
    RarVolumeChain chain;
    used[start] = true;
    chain.volumes << volumes.at(start);
    while (!LastOfSet(chain.volumes.last())) {
        const int next = BestFollower(chain.volumes.last(), volumes, used);
        if (next < 0)
            break;
        used[next] = true;
        chain.volumes << volumes.at(next);
    }
    chain.complete = LastOfSet(chain.volumes.last()) && EndRecordsRead(chain);
    return chain;
}

} // namespace

bool CanFollow(const RarVolumeFile &previous, const RarVolumeFile &next)
{
    const RarVolumeHeaders &a = previous.headers;
    const RarVolumeHeaders &b = next.headers;
    // Encrypted headers hide the entries and the number, so nothing tells the order.
    if (a.kind != b.kind || !b.isVolume || b.firstVolume || b.encryptedHeaders ||
        LastOfSet(previous))
        return false;
    if (a.number >= 0 && b.number >= 0 && b.number != a.number + 1)
        return false;
    if (a.last.splitAfter)
        return b.first.splitBefore && SameEntry(a.last, b.first);
    return !b.first.splitBefore;
}

QList<RarVolumeChain> OrderRarVolumes(QList<RarVolumeFile> volumes)
{
    std::sort(volumes.begin(), volumes.end(),
              [](const RarVolumeFile &a, const RarVolumeFile &b) { return a.path < b.path; });
    QList<bool> used(volumes.size(), false);
    QList<RarVolumeChain> chains;
    for (int i = 0; i < volumes.size(); ++i) {
        const RarVolumeHeaders &h = volumes.at(i).headers;
        if (!used.at(i) && h.readable && h.isVolume && !h.encryptedHeaders &&
            (h.firstVolume || h.number == 0))
            chains << ChainFrom(i, volumes, used);
    }
    // Volumes of archives that mark neither their first volume nor their numbers.
    for (int i = 0; i < volumes.size(); ++i) {
        const RarVolumeHeaders &h = volumes.at(i).headers;
        if (used.at(i) || !h.readable || !h.isVolume || h.encryptedHeaders || h.number >= 0 ||
            h.first.splitBefore)
            continue;
        bool follows = false;
        for (int j = 0; j < volumes.size() && !follows; ++j)
            follows = j != i && CanFollow(volumes.at(j), volumes.at(i));
        if (!follows)
            chains << ChainFrom(i, volumes, used);
    }
    return chains;
}
