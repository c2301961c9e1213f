#include "engine/FileScan.h"

#include <QDir>
#include <QFileInfo>

#include "engine/EngineContext.h"
#include "engine/FolderEntries.h"
#include "engine/TextNumbers.h"
#include "engine/Wildcard.h"

namespace {
}

QString ExtensionList::make(const QStringList &tokens)
{
    return tokens.join(Separator);
}

void FindFiles(EngineContext &ctx, const QString &folder, QStringList &result, bool recurse,
               const QString &extensionList)
{
    const QStringList tokens = extensionList.split(ExtensionList::Separator, Qt::SkipEmptyParts);
    const bool skipFiles = ctx.settings.ListsApplyToFiles();

    for (const FolderEntry &entry : ListFolderEntries(folder)) {
        const QString entryPath = folder + QLatin1Char('/') + entry.name;

        if (entry.kind == FolderEntry::Kind::Folder) {
            if (IsLeftAloneFolder(entry.name)) {
                ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::RecyclerLeftAlone, {entryPath}));
                continue;
            }
            if (!recurse || IsInSkipList(ctx, entryPath))
                continue;
            FindFiles(ctx, entryPath, result, recurse, extensionList);
            continue;
        }
        if (entry.kind != FolderEntry::Kind::File)
            continue; // links to folders are never followed

        const int dot = entry.name.lastIndexOf(QLatin1Char('.'));
        if (dot < 0)
            continue;
        const QStringView extension = QStringView(entry.name).mid(dot);
        for (const QString &token : tokens) {
            if (!extension.startsWith(token, Qt::CaseInsensitive))
                continue;
            if (skipFiles && FirstMatchingPattern(entryPath, ctx.settings.SkipList()) >= 0)
                continue;
            result << entryPath;
        }
    }
}
