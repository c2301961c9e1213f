#include "engine/NameRestore.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "engine/ContentScan.h"
#include "engine/Crc32.h"
#include "engine/EngineContext.h"
#include "engine/FolderEntries.h"
#include "engine/GeneralFuncs.h"
#include "engine/Par2Files.h"
#include "engine/RarVolumeOrder.h"
#include "engine/SfvCheck.h"
#include "engine/TextNumbers.h"

namespace {

constexpr qint64 kPar2HashedBytes = 16 * 1024;

// A name that stays inside its folder.
bool SafeName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QChar(0));
}

bool Exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Renames folder/from to folder/to unless a file of that name is there; logs either way.
bool RenameInFolder(EngineContext &ctx, const QString &folder, const QString &from,
                    const QString &to, const QString &done)
{
    const QString target = folder + QLatin1Char('/') + to;
    if (!SafeName(to) || Exists(target) ||
        !QFile::rename(folder + QLatin1Char('/') + from, target)) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::NotRenamed, {from, to}));
        return false;
    }
    ctx.AddLogLine(LogTag::Unpack + done);
    return true;
}

QByteArray Hash16k(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.read(kPar2HashedBytes), QCryptographicHash::Md5);
}

bool IsPar2(const QString &name)
{
    return name.endsWith(QLatin1String(".par2"), Qt::CaseInsensitive);
}

bool IsSfv(const QString &name)
{
    return name.endsWith(QLatin1String(".sfv"), Qt::CaseInsensitive);
}

// A described file that is not there takes the name of a file that has its size and whose first
// 16 KiB have its hash; only files no description names are looked at.
void RestoreFromPar2(EngineContext &ctx, const QString &folder, QStringList names)
{
    QList<Par2FileDescription> descriptions;
    QStringList describedBy;
    QSet<QString> described;
    for (const Par2FolderFile &par2 : Par2FolderDescriptions(folder)) {
        for (const Par2FileDescription &d : par2.files) {
            if (!described.contains(d.name)) {
                described.insert(d.name);
                descriptions << d;
                describedBy << FileNameOf(par2.path);
            }
        }
    }
    // par2 finds its copy of a damaged file ("<name>.1") by that name: it stays as it is.
    QStringList spare;
    for (const QString &name : names) {
        if (!described.contains(name) && !IsPar2(name) && !IsPar2Copy(name, described))
            spare << name;
    }
    QHash<QString, QByteArray> hashes;
    for (int i = 0; i < descriptions.size(); ++i) {
        const Par2FileDescription &d = descriptions.at(i);
        if (!SafeName(d.name) || Exists(folder + QLatin1Char('/') + d.name))
            continue;
        for (const QString &name : std::as_const(spare)) {
            const QString path = folder + QLatin1Char('/') + name;
            if (QFileInfo(path).size() != d.size)
                continue;
            if (!hashes.contains(name))
                hashes.insert(name, Hash16k(path));
            if (hashes.value(name) != d.hash16KiB)
                continue;
            if (RenameInFolder(
                    ctx, folder, name, d.name,
                    ctx.LangText(Text::RenamedByPar2, {name, d.name, describedBy.at(i)})))
                spare.removeOne(name);
            break;
        }
    }
}

// A listed file that is not there takes the name of an unlisted file with an archive signature
// whose CRC is the one listed.
void RestoreFromSfv(EngineContext &ctx, const QString &folder, const QStringList &names)
{
    struct Missing
    {
        SfvEntry entry;
        QString list;
    };
    QList<Missing> missing;
    QSet<QString> listed;
    for (const QString &name : names) {
        if (!IsSfv(name))
            continue;
        const std::optional<QList<SfvEntry>> entries =
            ReadSfvEntries(folder + QLatin1Char('/') + name);
        for (const SfvEntry &entry : entries.value_or(QList<SfvEntry>())) {
            listed.insert(entry.name);
            const QString path = SfvEntryPath(folder + QLatin1Char('/'), entry.name);
            if (!path.isEmpty() && SafeName(entry.name) && !Exists(path) &&
                !entry.expectedCrc.isEmpty())
                missing << Missing{entry, name};
        }
    }
    if (missing.isEmpty())
        return;
    QStringList spare;
    for (const ContentFile &file : UnplacedArchives(folder)) {
        if (!listed.contains(FileNameOf(file.path)))
            spare << FileNameOf(file.path);
    }
    QHash<QString, QString> crcs;
    for (const Missing &m : std::as_const(missing)) {
        for (const QString &name : std::as_const(spare)) {
            if (!crcs.contains(name))
                crcs.insert(name, FileCrc32(ctx, folder + QLatin1Char('/') + name));
            if (crcs.value(name).compare(m.entry.expectedCrc, Qt::CaseInsensitive) != 0)
                continue;
            if (RenameInFolder(ctx, folder, name, m.entry.name,
                               ctx.LangText(Text::RenamedBySfv, {name, m.entry.name, m.list})))
                spare.removeOne(name);
            break;
        }
    }
}

QString StemOf(const QString &name)
{
    return name.endsWith(QLatin1String(".rar"), Qt::CaseInsensitive) ? name.chopped(4) : name;
}

// Volume sets under names libunrar cannot follow get the names it looks for, in the order their
// headers give; a set whose headers do not show it complete keeps its names.
void RestoreFromHeaders(EngineContext &ctx, const QString &folder)
{
    QList<RarVolumeFile> volumes;
    for (const ContentFile &file : UnplacedArchives(folder)) {
        if (!IsRarKind(file.kind))
            continue;
        const RarVolumeFile volume{file.path, QFileInfo(file.path).size(),
                                   ReadRarHeadersOfVolume(file.path)};
        if (volume.headers.readable && volume.headers.isVolume)
            volumes << volume;
    }
    for (const RarVolumeChain &chain : OrderRarVolumes(volumes)) {
        const int count = int(chain.volumes.size());
        if (!chain.complete || count < 2)
            continue;
        const QString stem = StemOf(FileNameOf(chain.volumes.first().path));
        const bool newNumbering = chain.volumes.first().headers.newNumbering;
        QStringList targets;
        bool free = true;
        for (int i = 0; i < count; ++i) {
            targets << RestoredVolumeName(stem, i, count, newNumbering);
            free = free && !Exists(folder + QLatin1Char('/') + targets.last());
        }
        for (int i = 0; i < count; ++i) {
            const QString name = FileNameOf(chain.volumes.at(i).path);
            if (!free) {
                ctx.AddLogLine(LogTag::Unpack +
                               ctx.LangText(Text::NotRenamed, {name, targets.at(i)}));
                continue;
            }
            RenameInFolder(ctx, folder, name, targets.at(i),
                           ctx.LangText(Text::RenamedByHeaders,
                                        {name, targets.at(i), QString::number(i + 1)}));
        }
    }
}

} // namespace

QString RestoredVolumeName(const QString &stem, int index, int count, bool newNumbering)
{
    if (newNumbering) {
        const int width = int(QString::number(count).size());
        return QStringLiteral("%1.part%2.rar")
            .arg(stem)
            .arg(index + 1, width, 10, QLatin1Char('0'));
    }
    if (index == 0)
        return stem + QStringLiteral(".rar");
    const int later = index - 1;
    const QChar letter = QLatin1Char(char('r' + later / 100));
    return QStringLiteral("%1.%2%3").arg(stem).arg(letter).arg(later % 100, 2, 10,
                                                               QLatin1Char('0'));
}

void RestoreNames(EngineContext &ctx, const QString &releaseFolder)
{
    for (const QString &folder : ReleaseFolders(ctx, releaseFolder)) {
        const QStringList names = FileNamesIn(folder);
        if (std::any_of(names.cbegin(), names.cend(), IsPar2))
            RestoreFromPar2(ctx, folder, names);
        else
            RestoreFromSfv(ctx, folder, names);
        RestoreFromHeaders(ctx, folder);
    }
}
