#include "engine/SetWriteCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>

#include "engine/EngineContext.h"
#include "engine/GeneralFuncs.h"
#include "engine/SetPlan.h"

namespace {

// The nearest folder of path that exists: the destination may not have been created yet.
QString ExistingAncestor(QString path)
{
    while (!path.isEmpty() && !QFileInfo(path).isDir()) {
        const int slash = path.lastIndexOf(QLatin1Char('/'), path.size() - 2);
        if (slash < 0)
            return QStringLiteral("/");
        path = path.left(slash + 1);
    }
    return path;
}

QString SizeText(qint64 bytes)
{
    const QString text = FormatSize(bytes);
    return text.isEmpty() ? QStringLiteral("%1 bytes").arg(bytes) : text;
}

} // namespace

QString EntryTarget(const QString &destination, const QString &entryName)
{
    return NormalizeSlashes(WithSlash(destination) + entryName);
}

bool SetCanBeWritten(EngineContext &ctx, const SetPlan &plan, const QString &destination,
                     bool ownFolder)
{
    const QString setName = FileNameOf(plan.firstVolume);
    auto refuse = [&](const QString &text) {
        ctx.AddLogLine(LogTag::Unpack + text);
        ctx.ReportError(text);
        return false;
    };

    // The whole set is needed, also where it replaces files: it is written in full into the
    // staging folder on the destination's file system before any old file goes.
    qint64 needed = 0;
    // Whether each top-level name of the set is there already: below one that is not, no entry
    // can meet anything, and a set of thousands of files needs no look at each.
    QHash<QString, bool> topLevelTaken;
    for (const PlannedEntry &entry : plan.entries) {
        if (entry.folder)
            continue;
        needed = AddEntrySize(needed, entry.size);
        const QString top = entry.name.section(QLatin1Char('/'), 0, 0, QString::SectionSkipEmpty);
        auto taken = topLevelTaken.find(top);
        if (taken == topLevelTaken.end())
            taken =
                topLevelTaken.insert(top, QFileInfo::exists(EntryTarget(destination, top)) ||
                                              QFileInfo(EntryTarget(destination, top)).isSymLink());
        if (!*taken)
            continue;
        const QString target = EntryTarget(destination, entry.name);
        if (ctx.job.FilesWrittenThisJob.contains(target))
            return refuse(ctx.LangText(Text::OverwritesThisJob, {entry.name, target}));
        const QFileInfo existing(target);
        if (!ownFolder && existing.exists() &&
            (!existing.isFile() || existing.size() != entry.size))
            return refuse(ctx.LangText(Text::ReplacesDifferent, {entry.name, target}));
    }

    const QString folder = ExistingAncestor(NormalizeFolder(destination));
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.bytesAvailable() >= 0 && needed > storage.bytesAvailable())
        return refuse(ctx.LangText(
            Text::NoRoom, {setName, SizeText(needed), SizeText(storage.bytesAvailable()), folder}));
    return true;
}
