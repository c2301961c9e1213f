#include "engine/SetPlan.h"

#include <limits>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <string>
#include <sys/stat.h>

#include "engine/ArchiveEnd.h"
#include "engine/ArchiveSets.h"
#include "engine/ArchiveSignature.h"
#include "engine/EngineContext.h"
#include "engine/FolderEntries.h"
#include "engine/LegacyNames.h"
#include "engine/RarExtractor.h"
#include "engine/Utf8Locale.h"

#include <unrar/dll.hpp>

#include "engine/GeneralFuncs.h"
#include "engine/RarArchiveHandle.h"

namespace {

// The earliest compression version of RAR 3; archives of RAR 3 and later mark their first volume
// and end with an end record.
constexpr unsigned kRar3Version = 29;

// One listing: the library's callback records the volumes it opens and refuses every volume it
// has to ask for, since it asks only for a volume it could not open.
class SetLister
{
public:
    SetLister(EngineContext &ctx, SetPlan &plan, const QString &password)
        : m_ctx(ctx), m_plan(plan), m_password(password.toStdWString())
    {
    }

    static int CALLBACK Callback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2)
    {
        return reinterpret_cast<SetLister *>(userData)->onCallback(message, p1, p2);
    }

    // The volume the library asked for and could not open, when it did.
    QString refusedVolume;
    bool aborted = false;

private:
    int onCallback(UINT message, LPARAM p1, LPARAM p2)
    {
        if (message == UCM_NEEDPASSWORDW)
            return AnswerPassword(m_password, p1, p2);
        if (message != UCM_CHANGEVOLUMEW)
            return message == UCM_CHANGEVOLUME ? (m_refused ? -1 : 0) : 0;
        const QString volume = QString::fromWCharArray(reinterpret_cast<const wchar_t *>(p1));
        if (m_ctx.checkpoint.waitWhilePaused()) {
            aborted = true;
            return -1;
        }
        if (p2 == RAR_VOL_ASK) {
            m_refused = true;
            refusedVolume = volume;
            return -1;
        }
        m_plan.volumes << volume;
        m_ctx.checkpoint.pump();
        return m_ctx.checkpoint.cancelled() ? -1 : 0;
    }

    EngineContext &m_ctx;
    SetPlan &m_plan;
    const std::wstring m_password;
    bool m_refused = false;
};

// The files beside firstVolume named as volumes of its set (.rar, .r00, .001 ...).
QStringList VolumeNamedSiblings(const QString &firstVolume)
{
    static const QRegularExpression volumeExtension(QStringLiteral("\\.(rar|r[0-9]+|[0-9]+)$"),
                                                    QRegularExpression::CaseInsensitiveOption);
    QStringList siblings;
    const QString folder = FolderOf(firstVolume);
    for (const FolderEntry &entry : ListFolderEntries(folder)) {
        const QString path = folder + QLatin1Char('/') + entry.name;
        if (entry.kind == FolderEntry::Kind::File && volumeExtension.match(entry.name).hasMatch() &&
            IsSetMember(firstVolume, path))
            siblings << path;
    }
    return siblings;
}

// Volume files beside the first volume that share its stem and were not read: for archives too
// old to carry an end record, the only sign that a later volume was cut short.
QStringList UnreadSiblings(const SetPlan &plan)
{
    QStringList unread;
    for (const QString &path : VolumeNamedSiblings(plan.firstVolume)) {
        bool read = false;
        for (const QString &volume : plan.volumes)
            read = read || QFileInfo(volume) == QFileInfo(path);
        if (!read)
            unread << FileNameOf(path);
    }
    return unread;
}

// The plan of a set with a later volume whose first header is damaged (libunrar is not handed
// such a set): what Tevo's own reader says of the first volume, every volume named as the set's,
// in name order, so that a PAR2 repair can mend the damaged one, and that one as the problem.
SetPlan PlanWithDamagedVolume(EngineContext &ctx, const QString &path, const QString &damaged)
{
    const RarVolumeHeaders head = ReadRarVolumeHeaders(path);
    SetPlan plan;
    plan.firstVolume = path;
    plan.opened = true;
    plan.isVolume = head.isVolume;
    plan.firstVolumeFlag = head.firstVolume;
    // Only RAR 3 and later mark their first volume.
    plan.modernFormat = head.kind == ArchiveKind::Rar5 || head.firstVolume;
    QStringList others = VolumeNamedSiblings(path);
    others.removeIf([&path](const QString &v) { return FileNameOf(v) == FileNameOf(path); });
    others.sort();
    plan.volumes = QStringList{path} + others;
    plan.problem = FileNameOf(damaged) + QLatin1String(": ") + RarErrorReason(ctx, ERAR_BAD_DATA);
    return plan;
}

// Whether the set has volumes before its last and each of them ends with a record that says
// another volume follows: then the last one, too, was written with an end record, and one
// without it was cut short (also where an entry ended, whatever the naming and RAR version).
bool EarlierVolumesGoOn(const SetPlan &plan)
{
    if (plan.volumes.size() < 2)
        return false;
    for (int i = 0; i + 1 < plan.volumes.size(); ++i) {
        if (ArchiveEndOf(plan.volumes.at(i)) != ArchiveEnd::NotLast)
            return false;
    }
    return true;
}

constexpr qint64 kLargestSize = std::numeric_limits<qint64>::max();

// A hostile header may give a size past what a signed 64-bit number holds.
qint64 EntrySize(const RARHeaderDataEx &header)
{
    const quint64 size = quint64(header.UnpSizeHigh) << 32 | header.UnpSize;
    return qint64(qMin(size, quint64(kLargestSize)));
}

// Whether a set listed to its end is complete: libunrar ends a volume that was cut at an entry
// boundary as if it were the last one, so the end record (or its absence) decides.
void JudgeSetEnd(const EngineContext &ctx, SetPlan &plan)
{
    switch (ArchiveEndOf(plan.lastVolume())) {
    case ArchiveEnd::Last:
    case ArchiveEnd::Unknown:
        plan.complete = true;
        break;
    case ArchiveEnd::NotLast:
        plan.problem = ctx.LangText(Text::SetContinues, {FileNameOf(plan.lastVolume())});
        break;
    case ArchiveEnd::Absent:
        if (plan.modernFormat || EarlierVolumesGoOn(plan)) {
            plan.problem = ctx.LangText(Text::CutShort, {FileNameOf(plan.lastVolume())});
            break;
        }
        if (plan.isVolume) {
            const QStringList unread = UnreadSiblings(plan);
            if (!unread.isEmpty()) {
                plan.problem =
                    ctx.LangText(Text::VolumesNotRead, {unread.join(QStringLiteral(", "))});
                break;
            }
        }
        plan.complete = true;
        break;
    }
}

enum class Depth { FirstHeader, WholeSet };

SetPlan ListSet(EngineContext &ctx, const QString &path, Depth depth,
                const QString &password = QString())
{
    SetPlan plan;
    plan.firstVolume = path;
    plan.volumes << path;

    Utf8CharacterType utf8Names;
    SetLister lister(ctx, plan, password);
    RAROpenArchiveDataEx open;
    QString refused;
    // A look at the first header alone moves on to no other volume: the others need no check,
    // which would make every volume of a set read every other one's head.
    ArchiveHandle archive(OpenCheckedRarArchive(path, RAR_OM_LIST, SetLister::Callback,
                                                LPARAM(&lister), open, &refused,
                                                depth == Depth::FirstHeader));
    if (!archive.get() || open.OpenResult != ERAR_SUCCESS) {
        if (!refused.isEmpty() && refused != path)
            return PlanWithDamagedVolume(ctx, path, refused);
        const int code = open.OpenResult ? int(open.OpenResult) : ERAR_UNKNOWN;
        plan.needsPassword = code == ERAR_MISSING_PASSWORD || code == ERAR_BAD_PASSWORD;
        plan.problem = RarErrorReason(ctx, code);
        return plan;
    }
    plan.opened = true;
    plan.isVolume = open.Flags & ROADF_VOLUME;
    plan.firstVolumeFlag = open.Flags & ROADF_FIRSTVOLUME;
    plan.modernFormat = RarFormatOf(path) == RarFormat::Rar50;

    RARSetCallback(archive.get(), SetLister::Callback, LPARAM(&lister));

    RARHeaderDataEx header{};
    for (;;) {
        header = RARHeaderDataEx{};
        int code = RARReadHeaderEx(archive.get(), &header);
        if (code == ERAR_END_ARCHIVE)
            break;
        if (code == ERAR_SUCCESS) {
            if (plan.entries.isEmpty() && (header.Flags & RHDF_SPLITBEFORE))
                plan.startsMidEntry = true;
            if (header.UnpVer >= kRar3Version)
                plan.modernFormat = true;
            PlannedEntry entry;
            entry.name = RarEntryName(WideFieldText(header.FileNameW, std::size(header.FileNameW)),
                                      header.HostOS, header.UnpVer);
            entry.size = EntrySize(header);
            entry.folder = header.Flags & RHDF_DIRECTORY;
            entry.encrypted = (header.Flags & RHDF_ENCRYPTED) && entry.size > 0;
            plan.needsPassword = plan.needsPassword || entry.encrypted;
            entry.firstVolume = entry.lastVolume = int(plan.volumes.size()) - 1;
            plan.entries << entry;
            if (!entry.folder)
                plan.unpackedTotal = AddEntrySize(plan.unpackedTotal, entry.size);
            if (depth == Depth::FirstHeader)
                return plan;
            // Thousands of small entries take a while to list.
            ctx.checkpoint.pump();
            code = RARProcessFileW(archive.get(), RAR_SKIP, nullptr, nullptr);
            // Skipping an entry split over volumes opens the volumes it goes on in.
            plan.entries.last().lastVolume = int(plan.volumes.size()) - 1;
            if (code == ERAR_SUCCESS)
                continue;
        }
        // The listing ended early: a volume missing or unreadable, damaged headers, an abort.
        if (lister.aborted || ctx.checkpoint.cancelled())
            plan.problem = ctx.LangText(Text::Aborted);
        else if (!lister.refusedVolume.isEmpty())
            plan.problem =
                ctx.LangText(QFileInfo::exists(lister.refusedVolume) ? Text::VolumeUnreadable
                                                                     : Text::PlanVolumeMissing,
                             {FileNameOf(lister.refusedVolume)});
        else
            plan.problem = RarErrorReason(ctx, code);
        return plan;
    }
    if (depth == Depth::WholeSet)
        JudgeSetEnd(ctx, plan);
    return plan;
}

// Tests one entry of a RAR set with a password: the library's volume changes and progress go
// through the job's checkpoint, its request for the password gets the one on trial.
class EntryTester
{
public:
    // acceptOnData: RAR 5, whose headers check the password before any data, so that the
    // first block of data decrypted proves it and the rest need not be tested.
    EntryTester(EngineContext &ctx, const QString &password, bool acceptOnData)
        : m_ctx(ctx), m_password(password.toStdWString()), m_acceptOnData(acceptOnData)
    {
    }

    static int CALLBACK Callback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2)
    {
        auto *tester = reinterpret_cast<EntryTester *>(userData);
        if (message == UCM_NEEDPASSWORDW)
            return AnswerPassword(tester->m_password, p1, p2);
        if (message == UCM_CHANGEVOLUMEW || message == UCM_CHANGEVOLUME)
            return p2 == RAR_VOL_ASK ? -1 : 0;
        if (message == UCM_PROCESSDATA) {
            tester->m_sawData = true;
            tester->m_ctx.checkpoint.pump();
            return tester->m_acceptOnData || tester->m_ctx.checkpoint.cancelled() ? -1 : 1;
        }
        return 0;
    }

    // Whether entry number index of the set at firstVolume tests whole.
    bool passes(const QString &firstVolume, int index)
    {
        RAROpenArchiveDataEx open;
        ArchiveHandle archive(
            OpenCheckedRarArchive(firstVolume, RAR_OM_EXTRACT, Callback, LPARAM(this), open));
        if (!archive.get() || open.OpenResult != ERAR_SUCCESS)
            return false;
        RARSetCallback(archive.get(), Callback, LPARAM(this));
        RARHeaderDataEx header{};
        for (int i = 0; RARReadHeaderEx(archive.get(), &header) == ERAR_SUCCESS; ++i) {
            const int operation = i == index ? RAR_TEST : RAR_SKIP;
            const int code = RARProcessFileW(archive.get(), operation, nullptr, nullptr);
            if (i == index && m_acceptOnData)
                return m_sawData && !m_ctx.checkpoint.cancelled();
            if (i == index || code != ERAR_SUCCESS)
                return i == index && code == ERAR_SUCCESS;
            header = RARHeaderDataEx{};
        }
        return false;
    }

private:
    EngineContext &m_ctx;
    const std::wstring m_password;
    const bool m_acceptOnData;
    bool m_sawData = false;
};

// The index of the smallest encrypted entry of plan that begins in its first volume (the library
// reaches it without moving on to another volume), -1 when it has none.
int SmallestEncryptedEntry(const SetPlan &plan)
{
    int smallest = -1;
    for (int i = 0; i < plan.entries.size(); ++i) {
        const PlannedEntry &entry = plan.entries.at(i);
        if (entry.encrypted && entry.firstVolume == 0 &&
            (smallest < 0 || entry.size < plan.entries.at(smallest).size))
            smallest = i;
    }
    return smallest;
}

// Whether password opens (with encrypted headers) and decrypts the set of plan.
bool PasswordFits(EngineContext &ctx, SetPlan &plan, const QString &password)
{
    SetPlan listed = plan;
    if (!plan.opened) {
        listed = ListSet(ctx, plan.firstVolume, Depth::WholeSet, password);
        if (!listed.opened)
            return false;
    }
    const int entry = SmallestEncryptedEntry(listed);
    const bool rar5 = RarFormatOf(listed.firstVolume) == RarFormat::Rar50;
    if (entry >= 0 && !EntryTester(ctx, password, rar5).passes(listed.firstVolume, entry))
        return false;
    plan = listed;
    plan.password = password;
    return true;
}

} // namespace

bool FindRarPassword(EngineContext &ctx, SetPlan &plan, const QStringList &passwords)
{
    for (const QString &password : passwords) {
        if (ctx.checkpoint.cancelled())
            return false;
        if (PasswordFits(ctx, plan, password))
            return true;
    }
    return false;
}

bool SetPlan::startsSet() const
{
    if (!opened || !isVolume || firstVolumeFlag)
        return true;
    // A later volume: RAR 3 and later mark first volumes, and any volume that begins in the
    // middle of an entry follows another.
    return !modernFormat && !startsMidEntry;
}

int RarSetRefusal(const QString &firstVolume, QString *refusedVolume, bool firstOnly)
{
    if (refusedVolume)
        *refusedVolume = firstVolume;
    // RAR 1.4 has headers of its own, which Tevo does not read.
    if (RarFormatOf(firstVolume) != RarFormat::Rar14 && !RarHeadUndamaged(firstVolume))
        return IsRarKind(ArchiveKindOfFile(firstVolume)) ? ERAR_BAD_DATA : ERAR_BAD_ARCHIVE;
    if (firstOnly)
        return 0;
    for (const QString &volume : VolumeNamedSiblings(firstVolume)) {
        if (IsRarKind(ArchiveKindOfFile(volume)) && !RarHeadUndamaged(volume)) {
            if (refusedVolume)
                *refusedVolume = volume;
            return ERAR_BAD_DATA;
        }
    }
    return 0;
}

QString VolumesStamp(const SetPlan &plan)
{
    QString stamp;
    for (const QString &volume : plan.volumes) {
        struct stat info;
        if (::stat(QFile::encodeName(volume).constData(), &info) != 0)
            return QString();
        stamp += QStringLiteral("%1:%2.%3:%4;")
                     .arg(info.st_size)
                     .arg(info.st_mtim.tv_sec)
                     .arg(info.st_mtim.tv_nsec)
                     .arg(info.st_ino);
    }
    return stamp;
}

qint64 AddEntrySize(qint64 total, qint64 size)
{
    if (size <= 0)
        return total;
    return size > std::numeric_limits<qint64>::max() - total ? std::numeric_limits<qint64>::max()
                                                             : total + size;
}

QString EntryWithVolumes(const SetPlan *plan, const QString &entryName)
{
    if (!plan)
        return entryName;
    for (const PlannedEntry &entry : plan->entries) {
        if (entry.name != entryName || entry.lastVolume >= plan->volumes.size())
            continue;
        const QString first = FileNameOf(plan->volumes.at(entry.firstVolume));
        if (entry.firstVolume == entry.lastVolume)
            return QStringLiteral("%1 (%2)").arg(entryName, first);
        return QStringLiteral("%1 (%2 … %3)")
            .arg(entryName, first, FileNameOf(plan->volumes.at(entry.lastVolume)));
    }
    return entryName;
}

SetPlan PeekSetPlan(EngineContext &ctx, const QString &path)
{
    return ListSet(ctx, path, Depth::FirstHeader);
}

SetPlan ReadSetPlan(EngineContext &ctx, const QString &path)
{
    return ListSet(ctx, path, Depth::WholeSet);
}
