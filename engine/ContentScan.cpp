#include "engine/ContentScan.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include "engine/ArchiveSets.h"
#include "engine/EngineContext.h"
#include "engine/FolderEntries.h"
#include "engine/GeneralFuncs.h"
#include "engine/LibarchiveBackend.h"
#include "engine/RarVolumeOrder.h"
#include "engine/TextNumbers.h"
#include "engine/Wildcard.h"

bool KeptAsItIs(const QString &name)
{
    static const QSet<QString> kept{
        QStringLiteral("epub"), QStringLiteral("cbz"),  QStringLiteral("cbr"),
        QStringLiteral("cb7"),  QStringLiteral("docx"), QStringLiteral("xlsx"),
        QStringLiteral("pptx"), QStringLiteral("odt"),  QStringLiteral("ods"),
        QStringLiteral("odp"),  QStringLiteral("jar"),  QStringLiteral("apk"),
        QStringLiteral("xpi"),  QStringLiteral("whl"),  QStringLiteral("ipa"),
        QStringLiteral("kmz"),  QStringLiteral("3mf"),  QStringLiteral("war"),
        QStringLiteral("aar"),  QStringLiteral("vsix")};
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && kept.contains(name.mid(dot + 1).toLower());
}

namespace {

const QRegularExpression &VolumeName()
{
    static const QRegularExpression pattern(QStringLiteral("\\.(rar|r[0-9]{2,}|[0-9]{3,})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

bool IsRarName(const QString &name)
{
    return name.endsWith(QLatin1String(".rar"), Qt::CaseInsensitive);
}

// Files that are archives inside but are what the user keeps, and files Tevo reads by name.
bool KeptByExtension(const QString &name)
{
    static const QSet<QString> readByName{QStringLiteral("zip"), QStringLiteral("7z"),
                                          QStringLiteral("sfv"), QStringLiteral("par2"),
                                          QStringLiteral("nfo")};
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return KeptAsItIs(name) || (dot >= 0 && readByName.contains(name.mid(dot + 1).toLower()));
}

// How many volume names of the folder share each stem (lower-cased).
QHash<QString, int> VolumeStemCounts(const QStringList &folderNames)
{
    QHash<QString, int> counts;
    for (const QString &name : folderNames) {
        if (VolumeName().match(name).hasMatch())
            ++counts[VolumeSetStem(name).toLower()];
    }
    return counts;
}

// The starts of the RAR sets among one folder's files not placed by their names: archives that
// are no volumes, and the first volumes of complete chains. A lone x.rar is left to the name scan.
QStringList RarStartsByContent(const QList<ContentFile> &files)
{
    QSet<QString> lone;
    QStringList starts;
    QList<RarVolumeFile> volumes;
    for (const ContentFile &file : files) {
        if (!IsRarKind(file.kind))
            continue;
        if (file.lone)
            lone.insert(file.path);
        const RarVolumeFile volume{file.path, QFileInfo(file.path).size(),
                                   ReadRarHeadersOfVolume(file.path)};
        if (!volume.headers.readable)
            continue;
        if (volume.headers.isVolume)
            volumes << volume;
        else
            starts << file.path;
    }
    for (const RarVolumeChain &chain : OrderRarVolumes(volumes)) {
        if (chain.complete)
            starts << chain.volumes.first().path;
    }
    starts.removeIf([&lone](const QString &path) { return lone.contains(path); });
    return starts;
}

} // namespace

QStringList ReleaseFolders(EngineContext &ctx, const QString &releaseFolder)
{
    QStringList folders{releaseFolder};
    if (!ctx.settings.ScanSubdirs())
        return folders;
    for (int i = 0; i < folders.size(); ++i) {
        const QString folder = folders.at(i);
        for (const FolderEntry &entry : ListFolderEntries(folder)) {
            const QString path = folder + QLatin1Char('/') + entry.name;
            if (entry.kind == FolderEntry::Kind::Folder && !IsLeftAloneFolder(entry.name) &&
                FirstMatchingPattern(path, ctx.settings.SkipList()) < 0)
                folders << path;
        }
    }
    return folders;
}

bool PlacedByName(const QString &name, const QHash<QString, int> &volumeStems)
{
    if (KeptByExtension(name))
        return true;
    if (!VolumeName().match(name).hasMatch())
        return false;
    // A lone x.rar may be a single archive or one volume of a set under random names.
    return !IsRarName(name) || volumeStems.value(VolumeSetStem(name).toLower()) > 1;
}

QList<ContentFile> UnplacedArchives(const QString &folder, bool otherFormats)
{
    QList<ContentFile> found;
    const QStringList names = FileNamesIn(folder);
    const QHash<QString, int> volumeStems = VolumeStemCounts(names);
    for (const QString &name : names) {
        if (PlacedByName(name, volumeStems))
            continue;
        ContentFile file;
        file.path = folder + QLatin1Char('/') + name;
        file.kind = ArchiveKindOfFile(file.path);
        file.lone = IsRarName(name);
        if (file.kind == ArchiveKind::None && otherFormats)
            file.kind = OtherArchiveKindOfFile(file.path);
        if (file.kind != ArchiveKind::None)
            found << file;
    }
    return found;
}

ReleaseContent UnplacedArchivesOfRelease(EngineContext &ctx, const QString &releaseFolder)
{
    ReleaseContent content;
    for (const QString &folder : ReleaseFolders(ctx, releaseFolder))
        content << UnplacedArchives(folder, ctx.settings.UnpackOtherFormats());
    return content;
}

QStringList ContentCandidates(EngineContext &ctx, const ReleaseContent &unplaced)
{
    // The RAR sets are named first, then the 7z, tar and disc-image archives.
    QStringList candidates;
    QList<ContentFile> others;
    for (const QList<ContentFile> &files : unplaced) {
        for (const QString &path : RarStartsByContent(files)) {
            ctx.AddLogLine(
                LogTag::Archive +
                ctx.LangText(Text::TakenByContent, {FileNameOf(path), QStringLiteral("RAR")}));
            candidates << path;
        }
        for (const ContentFile &file : files) {
            if (!IsRarKind(file.kind) && file.kind != ArchiveKind::Zip)
                others << file;
        }
    }
    for (const ContentFile &file : std::as_const(others)) {
        ctx.AddLogLine(LogTag::Archive +
                       ctx.LangText(Text::TakenByContent,
                                    {FileNameOf(file.path), ArchiveKindName(file.kind)}));
        candidates << file.path;
    }
    return candidates;
}

QStringList ZipsByContent(EngineContext &ctx, const QString &releaseFolder)
{
    QStringList zips;
    for (const QString &folder : ReleaseFolders(ctx, releaseFolder)) {
        for (const ContentFile &file : UnplacedArchives(folder)) {
            if (file.kind == ArchiveKind::Zip)
                zips << file.path;
        }
    }
    return zips;
}
