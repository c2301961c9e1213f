#include "engine/LibarchiveBackend.h"

#include <archive.h>
#include <archive_entry.h>
#include <memory>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "engine/ArchiveSignature.h"
#include "engine/EngineContext.h"
#include "engine/GeneralFuncs.h"
#include "engine/JobCheckpoint.h"
#include "engine/ProgressText.h"
#include "engine/RarExtractor.h"
#include "engine/TextNumbers.h"

namespace {

constexpr size_t kBlockSize = 256 * 1024;
// Sizes an entry does not give: the publish check then does not compare them.
constexpr qint64 kUnknownSize = qint64(1) << 62;

struct ReaderFree
{
    void operator()(archive *reader) const { archive_read_free(reader); }
};
using Reader = std::unique_ptr<archive, ReaderFree>;

const QRegularExpression &FirstSplitPart()
{
    static const QRegularExpression pattern(QStringLiteral("\\.7z\\.0*1$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

QString ErrorOf(archive *reader)
{
    const char *text = archive_error_string(reader);
    return text ? QString::fromUtf8(text) : QString();
}

// Tar and the compressions of tar archives that libarchive decodes itself: never a filter that
// runs another program on the file.
void SupportTar(archive *reader)
{
    archive_read_support_format_tar(reader);
    archive_read_support_filter_gzip(reader);
    archive_read_support_filter_bzip2(reader);
    archive_read_support_filter_xz(reader);
    archive_read_support_filter_zstd(reader);
    archive_read_support_filter_lzip(reader);
}

bool StartsCompressed(const QByteArray &head)
{
    for (const QByteArray &magic : {QByteArray("\x1F\x8B", 2), QByteArray("BZh"),
                                    QByteArray("\xFD"
                                               "7zXZ\0",
                                               6),
                                    QByteArray("\x28\xB5\x2F\xFD", 4), QByteArray("LZIP")}) {
        if (head.startsWith(magic))
            return true;
    }
    return false;
}

// Whether libarchive reads a tar header from the compressed file at path.
bool HoldsTar(const QString &path)
{
    Reader reader(archive_read_new());
    SupportTar(reader.get());
    archive_entry *entry = nullptr;
    return archive_read_open_filename(reader.get(), QFile::encodeName(path).constData(),
                                      kBlockSize) == ARCHIVE_OK &&
           archive_read_next_header(reader.get(), &entry) >= ARCHIVE_WARN;
}

// The set's files opened as one stream, the way split 7z sets are cut.
Reader OpenSet(const QStringList &volumes, QString &error)
{
    Reader reader(archive_read_new());
    archive_read_support_format_7zip(reader.get());
    SupportTar(reader.get());
    archive_read_support_format_iso9660(reader.get());
    std::vector<QByteArray> names;
    for (const QString &volume : volumes)
        names.push_back(QFile::encodeName(volume));
    std::vector<const char *> pointers;
    for (const QByteArray &name : names)
        pointers.push_back(name.constData());
    pointers.push_back(nullptr);
    if (archive_read_open_filenames(reader.get(), pointers.data(), kBlockSize) != ARCHIVE_OK) {
        error = ErrorOf(reader.get());
        return nullptr;
    }
    return reader;
}

// The entry's name without "./" parts, which tar archives and disc images carry ("." for the
// root folder itself).
QString EntryName(archive_entry *entry)
{
    const char *utf8 = archive_entry_pathname_utf8(entry);
    const char *name = utf8 ? utf8 : archive_entry_pathname(entry);
    if (!name)
        return QString();
    QString text = utf8 ? QString::fromUtf8(name) : QString::fromLocal8Bit(name);
    while (text.startsWith(QLatin1String("./")))
        text.remove(0, 2);
    return text;
}

// Why the set could not be read: libarchive's own words, or, where it has none (it says nothing
// when a split set simply ends early), what the parts on disk show.
QString ProblemOf(const EngineContext &ctx, const SetPlan &plan, const QString &libraryText)
{
    if (!libraryText.isEmpty())
        return libraryText;
    const QString last = FileNameOf(plan.lastVolume());
    return ctx.LangText(plan.isVolume || FirstSplitPart().match(plan.firstVolume).hasMatch()
                            ? Text::SetContinues
                            : Text::CutShort,
                        {last});
}

} // namespace

bool IsLibarchiveSet(const QString &path)
{
    const ArchiveKind kind = ArchiveKindOfFile(path);
    return kind == ArchiveKind::SevenZip || FirstSplitPart().match(FileNameOf(path)).hasMatch() ||
           (kind == ArchiveKind::None && OtherArchiveKindOfFile(path) != ArchiveKind::None);
}

bool IsFirstSevenZipPart(const QString &fileName)
{
    return FirstSplitPart().match(fileName).hasMatch();
}

ArchiveKind OtherArchiveKindOfFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ArchiveKind::None;
    const QByteArray head = file.read(512);
    // POSIX and GNU tar headers carry "ustar" at 257; an ISO 9660 volume descriptor, "CD001" at
    // 32769 (after 32 KiB of system area).
    if (head.mid(257, 5) == "ustar")
        return ArchiveKind::Tar;
    if (file.seek(32769) && file.read(5) == "CD001")
        return ArchiveKind::DiscImage;
    file.close();
    return StartsCompressed(head) && HoldsTar(path) ? ArchiveKind::Tar : ArchiveKind::None;
}

QStringList SplitVolumes(const QString &firstVolume)
{
    const QRegularExpressionMatch match = FirstSplitPart().match(firstVolume);
    if (!match.hasMatch())
        return {firstVolume};
    const QString stem = firstVolume.left(match.capturedStart()) + QStringLiteral(".7z.");
    const int width = int(match.capturedLength()) - 4;
    QStringList volumes;
    for (int number = 1;; ++number) {
        const QString volume = stem + QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
        if (!QFileInfo(volume).isFile())
            break;
        volumes << volume;
    }
    return volumes.isEmpty() ? QStringList{firstVolume} : volumes;
}

LibarchiveBackend::LibarchiveBackend(EngineContext &ctx, const QString &firstVolume,
                                     const SetPlan *plan)
    : m_ctx(ctx), m_firstVolume(firstVolume), m_listed(plan && plan->opened),
      m_total(m_listed ? plan->unpackedTotal : 0)
{
}

SetPlan LibarchiveBackend::list()
{
    SetPlan plan;
    plan.firstVolume = m_firstVolume;
    plan.volumes = SplitVolumes(m_firstVolume);
    plan.isVolume = plan.volumes.size() > 1;
    plan.firstVolumeFlag = true;
    QString error;
    const Reader reader = OpenSet(plan.volumes, error);
    if (!reader) {
        plan.problem = ProblemOf(m_ctx, plan, error);
        return plan;
    }
    plan.opened = true;
    archive_entry *entry = nullptr;
    for (;;) {
        const int code = archive_read_next_header(reader.get(), &entry);
        if (code == ARCHIVE_EOF) {
            plan.complete = true;
            break;
        }
        if (code < ARCHIVE_WARN) {
            plan.problem = ProblemOf(m_ctx, plan, ErrorOf(reader.get()));
            break;
        }
        PlannedEntry planned;
        planned.name = EntryName(entry);
        if (planned.name == QLatin1String("."))
            continue;
        planned.folder = archive_entry_filetype(entry) == AE_IFDIR;
        planned.size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        plan.entries << planned;
        if (!planned.folder)
            plan.unpackedTotal = AddEntrySize(plan.unpackedTotal, planned.size);
    }
    m_listed = plan.opened;
    m_total = plan.unpackedTotal;
    return plan;
}

bool LibarchiveBackend::extractTo(const QString &folder, ArchiveSink &sink)
{
    if (!m_listed)
        list();
    sink.progressRange(m_total / 1024);
    QString error;
    const Reader reader = OpenSet(SplitVolumes(m_firstVolume), error);
    if (!reader) {
        const QString text =
            m_ctx.LangText(Text::ArchiveOpenFailed, {FileNameOf(m_firstVolume), error});
        sink.logLine(LogTag::Unpack + text);
        sink.errorBox(text, QStringLiteral("Error"));
        sink.finished(false);
        return false;
    }
    m_extracted = {};
    m_done = 0;
    m_textPace.restart();
    const bool ok = extractEntries(reader.get(), folder, sink);
    sink.finished(ok);
    return ok;
}

bool LibarchiveBackend::extractEntries(archive *reader, const QString &folder, ArchiveSink &sink)
{
    archive_entry *entry = nullptr;
    for (;;) {
        const int code = archive_read_next_header(reader, &entry);
        if (code == ARCHIVE_EOF)
            return true;
        const QString name = code < ARCHIVE_WARN ? FileNameOf(m_firstVolume) : EntryName(entry);
        if (name == QLatin1String("."))
            continue;
        QString reason = code < ARCHIVE_WARN ? ErrorOf(reader) : QString();
        if (reason.isEmpty() && NameLeavesFolder(name))
            reason = m_ctx.LangText(Text::OutsideDestination);
        if (!reason.isEmpty()) {
            const QString text = m_ctx.LangText(Text::EntryFailed, {name, reason});
            sink.logLine(LogTag::Unpack + text);
            sink.errorBox(text, QStringLiteral("Error"));
            return false;
        }
        const QString path = folder + name;
        // A tar hard link carries no data of its own: it is left out like other links, whatever
        // type the format gives it.
        switch (archive_entry_hardlink(entry) ? AE_IFLNK : archive_entry_filetype(entry)) {
        case AE_IFDIR:
            if (!QDir().mkpath(path))
                return false;
            m_extracted.entries << name;
            break;
        case AE_IFREG:
            sink.currentEntry(name + QLatin1String(" (Source: ") + FileNameOf(m_firstVolume) +
                              QLatin1Char(')'));
            if (!writeFile(reader, path, name, sink))
                return false;
            m_extracted.entries << name;
            m_extracted.written.insert(
                name, archive_entry_size_is_set(entry) ? archive_entry_size(entry) : kUnknownSize);
            break;
        default:
            // Links and special files are not written; the set keeps its sources.
            m_extracted.leftOut << name;
            sink.logLine(
                LogTag::Unpack +
                m_ctx.LangText(Text::EntryFailed, {name, m_ctx.LangText(Text::LinkSkipped)}));
            break;
        }
        if (sink.checkpoint().pass())
            return false;
    }
}

bool LibarchiveBackend::writeFile(archive *reader, const QString &path, const QString &name,
                                  ArchiveSink &sink)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        reason = m_ctx.LangText(Text::CreateFailed);
    const void *block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    while (reason.isEmpty()) {
        const int code = archive_read_data_block(reader, &block, &size, &offset);
        if (code == ARCHIVE_EOF)
            break;
        if (code < ARCHIVE_WARN) {
            reason = ErrorOf(reader);
            break;
        }
        if ((file.pos() != offset && !file.seek(offset)) ||
            file.write(static_cast<const char *>(block), qint64(size)) != qint64(size)) {
            reason = m_ctx.LangText(Text::WriteFailed);
            break;
        }
        m_done += qint64(size);
        reportProgress(sink);
        // The window gets its turn after every block, as in the other back-ends: otherwise a
        // large entry would hold it, and Stop and Close with it, until the entry is written.
        if (sink.checkpoint().pass())
            reason = m_ctx.LangText(Text::Aborted);
    }
    if (reason.isEmpty())
        return true;
    const QString text = m_ctx.LangText(Text::EntryFailed, {name, reason});
    sink.logLine(LogTag::Unpack + text);
    sink.errorBox(text, QStringLiteral("Error"));
    return false;
}

void LibarchiveBackend::reportProgress(ArchiveSink &sink)
{
    const std::uint32_t now = m_ctx.platform.tickCount();
    const qint64 percent = m_total > 0 ? qMin<qint64>(m_done * 100 / m_total, 100) : 0;
    if (!m_textPace.due(percent, now)) {
        sink.progress(m_done / 1024, QString(), QString());
        return;
    }
    sink.progress(m_done / 1024,
                  SizeProgressText(m_done, m_total) + QLatin1String(" (Time elapsed: ") +
                      ProgressDuration(std::uint32_t(now - m_ctx.job.StepStartTick) / 1000) +
                      QLatin1Char(')'),
                  QString());
}
