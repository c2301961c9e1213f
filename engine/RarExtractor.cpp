#include "engine/RarExtractor.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <fcntl.h>
#include <limits>
#include <locale.h>
#include <memory>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "engine/EngineContext.h"
#include "engine/EngineSink.h"
#include "engine/GeneralFuncs.h"
#include "engine/LegacyNames.h"
#include "engine/LibraryThread.h"
#include "engine/ProgressText.h"
#include "engine/ScopeGuard.h"
#include "engine/SetPlan.h"
#include "engine/SetPublish.h"
#include "engine/SmallFileWriter.h"
#include "engine/StagedExtraction.h"
#include "engine/StoredCopy.h"
#include "engine/Utf8Locale.h"

// dll.hpp defines HANDLE, UINT, LPARAM ... as macros, so it stays out of every header.
#include <unrar/dll.hpp>

#include "engine/RarArchiveHandle.h"

QString RarExtraction::EstimateText;

namespace {

// libunrar copies names into buffers of 2048 characters and converts them to the multibyte
// form in buffers of 2048 bytes; a longer path would be cut short there and written somewhere
// else, so paths are kept well below that.
constexpr int kLibraryPathBytes = 2000;
// The name fields of the header record hold 1024 wide characters; a name that fills them may
// have been cut.
constexpr size_t kHeaderNameChars = 1024;

// Entries smaller than this are extracted on the window's thread: a few milliseconds of work at
// most, less than the hand-over to the library thread costs for a release of thousands of files.
constexpr qint64 kLibraryThreadMinimum = 256 * 1024;

// The redirection kinds of libunrar's header record.
constexpr unsigned kRedirUnixSymlink = 1;
constexpr unsigned kRedirWinSymlink = 2;
constexpr unsigned kRedirJunction = 3;
constexpr unsigned kRedirHardLink = 4;
constexpr unsigned kRedirFileCopy = 5;
constexpr unsigned kHostUnix = 3;
// The method number of entries stored as they are.
constexpr unsigned kMethodStored = 0x30;

// libunrar converts every header's time with localtime(), and without TZ the C library looks
// at /etc/localtime again on every call: a stat per entry, the largest cost of listing a set of
// many small files. TZ naming that same file means the same zone, read once. Done once, from the
// window's thread, before the first library thread starts.
void PinLocalTimeZone()
{
    static const bool pinned = [] {
        if (!qEnvironmentVariableIsSet("TZ"))
            qputenv("TZ", ":/etc/localtime");
        return true;
    }();
    Q_UNUSED(pinned);
}

// libunrar keeps name bytes that are not valid in the locale's encoding as the characters
// U+E080..U+E0FF (after a U+FFFE mark) and writes them back as the original bytes. Such a file
// name has no QString form, so the file could not be found again to be checked, listed or opened.
bool hasUnmappedBytes(const QString &name)
{
    for (const QChar c : name) {
        if (c.unicode() == 0xFFFE || (c.unicode() >= 0xE080 && c.unicode() <= 0xE0FF))
            return true;
    }
    return false;
}

// What the library reads or writes for an entry: the larger of its packed and unpacked size.
qint64 entryBytes(const RARHeaderDataEx &header)
{
    const qint64 unpacked = (qint64(header.UnpSizeHigh) << 32) + header.UnpSize;
    const qint64 packed = (qint64(header.PackSizeHigh) << 32) + header.PackSize;
    return std::max(unpacked, packed);
}

// A hard link or a file copy: made from an earlier entry, named by RedirName.
bool isCopyEntry(const RARHeaderDataEx &header)
{
    return header.RedirType == kRedirHardLink || header.RedirType == kRedirFileCopy;
}

bool isLinkEntry(const RARHeaderDataEx &header)
{
    if (header.RedirType == kRedirUnixSymlink || header.RedirType == kRedirWinSymlink ||
        header.RedirType == kRedirJunction)
        return true;
    return header.HostOS == kHostUnix && (header.FileAttr & S_IFMT) == S_IFLNK;
}

// The target of the symbolic link at path; empty when path is no link.
QString readLink(const QString &path)
{
    std::vector<char> buffer(4096);
    const ssize_t size =
        ::readlink(QFile::encodeName(path).constData(), buffer.data(), buffer.size() - 1);
    return size <= 0 ? QString() : QFile::decodeName(QByteArray(buffer.data(), int(size)));
}

// The modification time libunrar would set from header: to the nanosecond when the headers give
// it (part), otherwise to libunrar's tenth of a microsecond; none when the header has no time.
timespec ModificationTime(const RARHeaderDataEx &header, const RarDataPart &part)
{
    if (!header.MtimeHigh && !header.MtimeLow)
        return {0, UTIME_OMIT};
    // 100-nanosecond ticks since 1601.
    constexpr qint64 kTicksTo1970 = 116444736000000000LL;
    const qint64 ticks = qint64(quint64(header.MtimeHigh) << 32 | header.MtimeLow) - kTicksTo1970;
    const qint64 seconds = ticks >= 0 ? ticks / 10000000 : -((-ticks + 9999999) / 10000000);
    timespec time{time_t(seconds), long((ticks - seconds * 10000000) * 100)};
    if (part.mtimeSeconds == seconds && part.mtimeNanoseconds / 100 == time.tv_nsec / 100)
        time.tv_nsec = long(part.mtimeNanoseconds);
    return time;
}

// What libunrar sets on a file it wrote: the attributes of the header (already in the form of
// this system) and the modification time; the access time becomes now.
void SetStoredAttributes(const RARHeaderDataEx &header, const RarDataPart &part,
                         const QString &target)
{
    const QByteArray path = QFile::encodeName(target);
    ::chmod(path.constData(), mode_t(header.FileAttr & 07777));
    const timespec times[2] = {{0, UTIME_NOW}, ModificationTime(header, part)};
    ::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW);
}

// A name that means the same to libunrar and to openat(): relative, no part of it empty, "." or
// "..", and no backslash or control character, which libunrar may write otherwise.
bool IsPlainRelativeName(const QString &name)
{
    qsizetype partStart = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name.at(i) != QLatin1Char('/')) {
            if (name.at(i) == QLatin1Char('\\') || name.at(i).unicode() < 0x20)
                return false;
            continue;
        }
        const QStringView part = QStringView(name).mid(partStart, i - partStart);
        if (part.isEmpty() || part == u"." || part == u"..")
            return false;
        partStart = i + 1;
    }
    return true;
}

// Whether a folder on the way from folder to name is a symbolic link (one an earlier entry of the
// set made): writing through it is left to libunrar's own rules for links.
bool PathCrossesLink(const QString &folder, const QString &name)
{
    QString path = folder;
    const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int i = 0; i + 1 < parts.size(); ++i) {
        path += parts.at(i);
        struct stat info;
        if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode))
            return true;
        path += QLatin1Char('/');
    }
    return false;
}

qint32 clampSeconds(long double milliseconds)
{
    const long double seconds = std::trunc(milliseconds) / 1000;
    if (seconds >= std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    if (seconds <= std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    return qint32(seconds);
}

} // namespace

QString RarErrorReason(const EngineContext &ctx, int code)
{
    switch (code) {
    case ERAR_NO_MEMORY:
        return ctx.LangText(Text::NoMemory);
    case ERAR_BAD_DATA:
        return ctx.LangText(Text::BadData);
    case ERAR_BAD_ARCHIVE:
    case ERAR_UNKNOWN_FORMAT:
        return ctx.LangText(Text::BadArchive);
    case ERAR_EOPEN:
        return ctx.LangText(Text::VolumeNotOpened);
    case ERAR_ECREATE:
        return ctx.LangText(Text::CreateFailed);
    case ERAR_ECLOSE:
    case ERAR_EWRITE:
        return ctx.LangText(Text::WriteFailed);
    case ERAR_EREAD:
        return ctx.LangText(Text::ReadFailed);
    case ERAR_SMALL_BUF:
        return ctx.LangText(Text::PathTooLong);
    case ERAR_MISSING_PASSWORD:
    case ERAR_BAD_PASSWORD:
        return ctx.LangText(Text::Encrypted);
    default:
        return ctx.LangText(Text::LibraryError, {QString::number(code)});
    }
}

// What one extraction holds while it runs: the open archive, the header record and the folder.
struct RarExtraction::Run
{
    explicit Run(EngineContext &ctx) : library(ctx) {}

    std::unique_ptr<ArchiveHandle> archive;
    std::unique_ptr<RARHeaderDataEx> header = std::make_unique<RARHeaderDataEx>();
    std::vector<wchar_t> redirectTarget = std::vector<wchar_t>(kHeaderNameChars);
    // The folder in the file system's form (ending with "/") and in the library's.
    QString folder;
    std::wstring folderW;
    QString archiveName;
    qint64 entrySize = 0;
    // The current entry's name was decoded from a code page: the library would write it under
    // the stored bytes.
    bool nameDecoded = false;
    bool result = true;
    // Where stored entries lie in the set's volumes, when the set's plan is known.
    std::unique_ptr<RarStoredIndex> stored;
    // The entry copied last goes on in the next volume: libunrar shows its parts there.
    bool skipContinuation = false;
    // Writes small files that libunrar decodes, when the set's plan is known.
    std::unique_ptr<SmallFileWriter> writer;
    // A symbolic link was made: later files are left to libunrar's own rules for links.
    bool linkMade = false;
    // Entries are extracted on a thread of their own, so the window stays responsive however
    // long the library works between two of its progress reports.
    LibraryThread library;
};

RarExtraction::RarExtraction(EngineContext &ctx, QStringList &extractedFiles)
    : m_ctx(ctx), m_ownSink(std::make_unique<EngineSink>(ctx)), m_sink(m_ownSink.get()),
      m_extractedFiles(extractedFiles)
{
}

RarExtraction::~RarExtraction() = default;

void RarExtraction::showError(const QString &text, bool withCaption)
{
    m_sink->errorBox(text, withCaption ? QStringLiteral("Error") : QString());
}

void RarExtraction::reportEntryFailure(const QString &entry, const QString &reason, bool showBox)
{
    const QString text = m_ctx.LangText(Text::EntryFailed, {entry, reason});
    m_sink->logLine(LogTag::Unpack + text);
    if (showBox)
        showError(text, true);
}

bool RarExtraction::openFailed(const QString &archiveName, int code)
{
    // The box gives the reasons it always gave; the log line gives every code its reason.
    QString boxReason;
    if (code == ERAR_NO_MEMORY || code == ERAR_BAD_DATA || code == ERAR_BAD_ARCHIVE)
        boxReason = RarErrorReason(m_ctx, code);
    else if (code == ERAR_EOPEN)
        boxReason = m_ctx.LangText(Text::CannotOpen);
    showError(m_ctx.LangText(Text::ArchiveNotOpened, {boxReason}), false);
    const QString reason =
        code == ERAR_SMALL_BUF ? m_ctx.LangText(Text::PathTooLong) : RarErrorReason(m_ctx, code);
    m_sink->logLine(LogTag::Unpack +
                    m_ctx.LangText(Text::ArchiveOpenFailed, {archiveName, reason}));
    return false;
}

bool RarExtraction::openArchive(Run &run, const QString &archivePath)
{
    run.archiveName = FileNameOf(archivePath);
    if (archivePath.toUtf8().size() >= kLibraryPathBytes)
        return openFailed(run.archiveName, ERAR_SMALL_BUF);
    RAROpenArchiveDataEx openData;
    QString refused;
    run.archive = std::make_unique<ArchiveHandle>(OpenCheckedRarArchive(
        archivePath, RAR_OM_EXTRACT, RarCallback, LPARAM(this), openData, &refused));
    if (!run.archive->get() || openData.OpenResult != ERAR_SUCCESS)
        return openFailed(FileNameOf(refused), openData.OpenResult != ERAR_SUCCESS
                                                   ? int(openData.OpenResult)
                                                   : ERAR_UNKNOWN);
    RARSetCallback(run.archive->get(), RarCallback, LPARAM(this));
    return true;
}

bool RarExtraction::extract(const QString &archivePath, const QString &folder, qint64 setTotal)
{
    m_ctx.job.StepStartTick = m_ctx.platform.tickCount();
    FirstVolumeSize = FileSize64(archivePath);
    ProcessedKiB = 0;
    ProgressTotal = 0;
    m_setTotal = setTotal;
    CurrentName.clear();
    m_textPace.restart();
    m_entryShown = false;
    m_wideVolumeMessages = false;
    m_volumeMissingReported = false;
    m_ctx.job.SetDataDamaged = false;

    Utf8CharacterType utf8Names;
    Run run(m_ctx);
    run.folder = WithSlash(folder);
    run.folderW = run.folder.toStdWString();
    if (!openArchive(run, archivePath))
        return false;
    if (m_plan && m_plan->complete && m_password.empty()) {
        run.stored = std::make_unique<RarStoredIndex>(m_plan->volumes);
        run.writer = std::make_unique<SmallFileWriter>(run.folder);
        if (!run.writer->isValid())
            run.writer.reset();
    }
    m_library = &run.library;
    const ScopeGuard forgetLibrary([this] { m_library = nullptr; });
    for (;;) {
        Step step = readHeader(run);
        if (step == Step::Next)
            step = takeEntry(run);
        if (step == Step::Failed)
            return false;
        if (step == Step::End) {
            if (!settleWriter(run))
                return false;
            m_sink->checkpoint().pump();
            if (run.archive->close() != 0)
                showError(m_ctx.LangText(Text::CloseFailed), false);
            return run.result;
        }
    }
}

RarExtraction::Step RarExtraction::readHeader(Run &run)
{
    RARHeaderDataEx &header = *run.header;
    header = RARHeaderDataEx{};
    header.RedirName = run.redirectTarget.data();
    header.RedirNameSize = unsigned(run.redirectTarget.size());
    // libunrar fills the target in for redirections only: an older archive's link after one
    // would otherwise be judged by the target of that earlier entry.
    run.redirectTarget.front() = 0;
    m_callbackError = nullptr;
    const int code = RARReadHeaderEx(run.archive->get(), &header);
    if (m_callbackError)
        std::rethrow_exception(m_callbackError);
    if (code == ERAR_END_ARCHIVE)
        return Step::End;
    if (code != ERAR_SUCCESS) {
        // Without a readable header the rest of the set cannot be trusted; reading on would give
        // the same error again.
        reportLibraryError(CurrentName.isEmpty() ? run.archiveName : CurrentName, code);
        return Step::Failed;
    }
    run.entrySize = (qint64(header.UnpSizeHigh) << 32) + header.UnpSize;
    if (m_setTotal <= 0) {
        m_sink->progress(0, QString(), QString());
        ProgressTotal = run.entrySize;
    } else {
        ProgressTotal = m_setTotal;
    }
    const QString stored = WideFieldText(header.FileNameW, kHeaderNameChars);
    CurrentName = RarEntryName(stored, header.HostOS, header.UnpVer);
    run.nameDecoded = CurrentName != stored;
    return Step::Next;
}

// Entries that must not be written are passed over (and not listed as extracted), and the set
// does not count as extracted.
std::optional<int> RarExtraction::refusalFor(const Run &run) const
{
    const RARHeaderDataEx &header = *run.header;
    if (NameLeavesFolder(CurrentName))
        return Text::OutsideDestination;
    if (hasUnmappedBytes(CurrentName))
        return Text::UnusableName;
    if (wcsnlen(header.FileNameW, kHeaderNameChars) >= kHeaderNameChars - 1 ||
        (run.folder + CurrentName).toUtf8().size() >= kLibraryPathBytes)
        return Text::PathTooLong;
    return std::nullopt;
}

// A link is made only when it resolves to a place inside the folder, and a hard link or file
// copy only when its source lies inside; any other is left out, and the set's sources then stay.
bool RarExtraction::leaveOutLink(Run &run, bool link, const QString &linkTarget)
{
    const RARHeaderDataEx &header = *run.header;
    bool outside = false;
    if (isCopyEntry(header))
        outside = NameLeavesFolder(linkTarget);
    else if (link)
        outside =
            header.RedirType == kRedirJunction ||
            (!linkTarget.isEmpty() && !LinkResolvesInside(run.folder, CurrentName, linkTarget));
    if (outside)
        skipLink(CurrentName, linkTarget);
    return outside;
}

void RarExtraction::showEntry(const Run &run)
{
    if (ProgressTotal < FirstVolumeSize)
        ProgressTotal = FirstVolumeSize;
    m_sink->progressRange(ProgressTotal / 1024);
    // Named at once when it takes a while; in a run of small files, as often as it can be read.
    const std::uint32_t now = m_ctx.platform.tickCount();
    if (!m_entryShown || now - m_entryTick >= ProgressTextIntervalMs ||
        entryBytes(*run.header) >= kLibraryThreadMinimum) {
        m_entryShown = true;
        m_entryTick = now;
        m_sink->currentEntry(CurrentName + QLatin1String(" (Source: ") +
                             FileNameOf(WideFieldText(run.header->ArcNameW, kHeaderNameChars)) +
                             QLatin1Char(')'));
    }
    m_sink->checkpoint().pump();
}

RarExtraction::Step RarExtraction::takeEntry(Run &run)
{
    const RARHeaderDataEx &header = *run.header;
    // The later parts of an entry copied whole already.
    if (std::exchange(run.skipContinuation, false) && (header.Flags & RHDF_SPLITBEFORE)) {
        run.skipContinuation = header.Flags & RHDF_SPLITAFTER;
        return processOrFail(run, RAR_SKIP) ? Step::Next : Step::Failed;
    }
    // Older versions of a file (kept with RAR's version option as "name;n") stay in the archive:
    // only the newest is extracted, as the UnRAR tools do by default.
    if (isOlderVersion(CurrentName))
        return processOrFail(run, RAR_SKIP) ? Step::Next : Step::Failed;
    const bool link = isLinkEntry(header);
    const QString linkTarget = WideFieldText(run.redirectTarget.data(), run.redirectTarget.size());
    const std::optional<int> refusal = refusalFor(run);
    if (!refusal && leaveOutLink(run, link, linkTarget))
        return processOrFail(run, RAR_SKIP) ? Step::Next : Step::Failed;

    if (!refusal)
        m_extractedFiles << CurrentName;
    showEntry(run);
    if (refusal) {
        // A path the library cannot take is an error the user has to act on.
        reportEntryFailure(CurrentName, m_ctx.LangText(*refusal), *refusal == Text::PathTooLong);
        run.result = false;
        return processOrFail(run, RAR_SKIP) ? Step::Next : Step::Failed;
    }
    if (const std::optional<Step> written = writeSmall(run))
        return *written;
    // Whatever is written next comes after the small files queued before it, in the archive's
    // order: a folder's time, a hard link's source and a link's place are then as they would be.
    if (!settleWriter(run))
        return Step::Failed;
    if (link) {
        run.linkMade = true;
        return extractLink(run, linkTarget);
    }
    const bool isFolder = header.Flags & RHDF_DIRECTORY;
    // An empty file needs no password, even when the archive marks it encrypted.
    if (!isFolder && run.entrySize == 0 && (header.Flags & RHDF_ENCRYPTED))
        return extractEmptyEncrypted(run);
    // A name decoded from a code page is written under that name.
    if (run.nameDecoded && isFolder) {
        QDir().mkpath(run.folder + CurrentName);
        return processOrFail(run, RAR_SKIP) ? Step::Next : Step::Failed;
    }
    if (run.nameDecoded)
        QDir().mkpath(QFileInfo(run.folder + CurrentName).path());
    if (!isFolder) {
        if (const std::optional<Step> copied = copyStored(run))
            return *copied;
    }
    const int code =
        process(run, RAR_EXTRACT, run.nameDecoded ? run.folder + CurrentName : QString());
    if (code != ERAR_SUCCESS)
        return failedEntry(code);
    if (!isFolder && !isCopyEntry(header))
        WrittenFiles.insert(CurrentName, run.entrySize);
    m_sink->checkpoint().pump();
    return Step::Next;
}

// A stored file whose parts the headers show in full; libunrar's own checks have passed on the
// header already. Anything else, and any doubt, is left to the library.
QList<StoredPiece> RarExtraction::storedPieces(const Run &run, RarDataPart &firstPart) const
{
    const RARHeaderDataEx &header = *run.header;
    constexpr unsigned kNotPlain = RHDF_ENCRYPTED | RHDF_SOLID | RHDF_DIRECTORY | RHDF_SPLITBEFORE;
    if (!run.stored || header.Method != kMethodStored || (header.Flags & kNotPlain) ||
        header.HashType != RAR_HASH_CRC32 || header.RedirType != 0 || isLinkEntry(header) ||
        run.nameDecoded || run.entrySize < kLibraryThreadMinimum)
        return {};
    return run.stored->piecesOf(entryStart(run), &firstPart);
}

// What libunrar says of the entry it is at, for finding it in the headers.
RarEntryStart RarExtraction::entryStart(const Run &run) const
{
    const RARHeaderDataEx &header = *run.header;
    RarEntryStart start;
    start.volume = WideFieldText(header.ArcNameW, kHeaderNameChars);
    start.name = CurrentName;
    start.partSize = (qint64(header.PackSizeHigh) << 32) + header.PackSize;
    start.entrySize = run.entrySize;
    start.crc = header.FileCRC;
    start.splitAfter = header.Flags & RHDF_SPLITAFTER;
    return start;
}

std::optional<RarExtraction::Step> RarExtraction::copyStored(Run &run)
{
    RarDataPart firstPart;
    const QList<StoredPiece> pieces = storedPieces(run, firstPart);
    // Only an earlier entry of the set can have made a link in the staging folder.
    if (pieces.isEmpty() || (run.linkMade && PathCrossesLink(run.folder, CurrentName)))
        return std::nullopt;
    const QString target = run.folder + CurrentName;
    QDir().mkpath(QFileInfo(target).path());
    StoredCopyResult copy;
    run.library.run([&] {
        copy = CopyStoredPieces(pieces, target, [this](qint64 bytes) {
            return onCallback(UCM_PROCESSDATA, 0, long(bytes)) != -1;
        });
        return 0;
    });
    switch (copy.kind) {
    case StoredCopyResult::Done:
        break;
    case StoredCopyResult::CreateFailed:
        // A name the set holds twice, say: the library knows what to do with it.
        return std::nullopt;
    case StoredCopyResult::Damaged:
        reportDamaged(CurrentName + QLatin1String(" (") + FileNameOf(copy.volume) +
                      QLatin1Char(')'));
        return Step::Failed;
    case StoredCopyResult::Stopped:
        reportEntryFailure(CurrentName, m_ctx.LangText(Text::Aborted), false);
        return Step::Failed;
    case StoredCopyResult::ReadFailed:
    case StoredCopyResult::WriteFailed:
        reportLibraryError(CurrentName,
                           copy.kind == StoredCopyResult::ReadFailed ? ERAR_EREAD : ERAR_EWRITE);
        return Step::Failed;
    }
    SetStoredAttributes(*run.header, firstPart, target);
    WrittenFiles.insert(CurrentName, run.entrySize);
    ++StoredCopies;
    run.skipContinuation = pieces.size() > 1;
    return processOrFail(run, RAR_SKIP) ? Step::Next : Step::Failed;
}

// A small regular file under a plain name, with nothing libunrar would do beyond writing its
// bytes and setting its mode and time.
bool RarExtraction::writerTakes(const Run &run) const
{
    const RARHeaderDataEx &header = *run.header;
    constexpr unsigned kNotPlain =
        RHDF_ENCRYPTED | RHDF_DIRECTORY | RHDF_SPLITBEFORE | RHDF_SPLITAFTER;
    const mode_t type = header.FileAttr & S_IFMT;
    return run.writer && !run.linkMade && !(header.Flags & kNotPlain) && header.RedirType == 0 &&
           !isLinkEntry(header) && (type == 0 || type == S_IFREG) && !run.nameDecoded &&
           entryBytes(header) < kLibraryThreadMinimum && !WrittenFiles.contains(CurrentName) &&
           IsPlainRelativeName(CurrentName);
}

// libunrar decodes and checks the current entry without writing it (its test mode); the bytes
// go to the writer.
std::optional<RarExtraction::Step> RarExtraction::writeSmall(Run &run)
{
    if (!writerTakes(run))
        return std::nullopt;
    const RARHeaderDataEx &header = *run.header;
    const std::optional<RarDataPart> part = run.stored->partOf(entryStart(run));
    if (!part)
        return std::nullopt;
    SmallFile file;
    file.path = QFile::encodeName(CurrentName);
    file.data.reserve(run.entrySize);
    file.mode = mode_t(header.FileAttr & 07777);
    file.modified = ModificationTime(header, *part);
    m_decoded = &file.data;
    m_decodedLimit = run.entrySize;
    const ScopeGuard stopDecoding([this] { m_decoded = nullptr; });
    const int code = process(run, RAR_TEST);
    if (code != ERAR_SUCCESS)
        return failedEntry(code);
    if (file.data.size() != run.entrySize) {
        reportLibraryError(CurrentName, ERAR_BAD_DATA);
        return Step::Failed;
    }
    if (!run.writer->add(std::move(file), [this] { m_sink->checkpoint().pump(); })) {
        settleWriter(run); // reports the file that failed
        return Step::Failed;
    }
    WrittenFiles.insert(CurrentName, run.entrySize);
    ++SmallFilesWritten;
    m_sink->checkpoint().pump();
    return Step::Next;
}

// Waits for the small files queued so far; a file that could not be written fails the set.
bool RarExtraction::settleWriter(Run &run)
{
    if (!run.writer || run.writer->finish([this] { m_sink->checkpoint().pump(); }))
        return true;
    const SmallFileWriter::Failure failure = run.writer->failure();
    run.writer.reset();
    reportLibraryError(QFile::decodeName(failure.path),
                       failure.notCreated ? ERAR_ECREATE : ERAR_EWRITE);
    return false;
}

RarExtraction::Step RarExtraction::extractLink(Run &run, const QString &linkTarget)
{
    if (!processOrFail(run, RAR_EXTRACT))
        return Step::Failed;
    // The target of older archives' links is known only once the link is made.
    const QString target = run.folder + CurrentName;
    const QString made = readLink(target);
    if (made.isEmpty() || !LinkResolvesInside(run.folder, CurrentName, made)) {
        if (!made.isEmpty())
            ::unlink(QFile::encodeName(target).constData());
        skipLink(CurrentName, made.isEmpty() ? linkTarget : made);
        m_extractedFiles.removeLast();
    }
    m_sink->checkpoint().pump();
    return Step::Next;
}

RarExtraction::Step RarExtraction::extractEmptyEncrypted(Run &run)
{
    const QString target = run.folder + CurrentName;
    QDir().mkpath(QFileInfo(target).path());
    QFile empty(target);
    if (!empty.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        reportEntryFailure(CurrentName, m_ctx.LangText(Text::CreateFailed), false);
        return Step::Failed;
    }
    empty.close();
    WrittenFiles.insert(CurrentName, 0);
    return processOrFail(run, RAR_SKIP) ? Step::Next : Step::Failed;
}

// Every result but success means the entry was not written as stored.
RarExtraction::Step RarExtraction::failedEntry(int code)
{
    if (code == ERAR_END_ARCHIVE)
        return Step::End;
    if (m_sink->checkpoint().cancelled())
        reportEntryFailure(CurrentName, m_ctx.LangText(Text::Aborted), false);
    else
        reportLibraryError(CurrentName, code);
    return Step::Failed;
}

void RarExtraction::reportDamaged(const QString &entryWithVolumes)
{
    const QString text = m_ctx.LangText(Text::CrcError, {entryWithVolumes});
    m_ctx.job.SetDataDamaged = true;
    showError(text, true);
    m_sink->logLine(LogTag::Unpack + text);
}

void RarExtraction::reportLibraryError(const QString &entry, int code)
{
    if (code == ERAR_BAD_DATA) {
        reportDamaged(EntryWithVolumes(m_plan, entry));
        return;
    }
    // A missing volume was already reported in a box by the callback.
    reportEntryFailure(entry, RarErrorReason(m_ctx, code), !m_volumeMissingReported);
}

int RarExtraction::process(Run &run, int operation, const QString &destName)
{
    const RARHeaderDataEx &entry = *run.header;
    std::wstring destNameW = destName.toStdWString();
    wchar_t *name = destName.isEmpty() ? nullptr : destNameW.data();
    wchar_t *folder = operation == RAR_EXTRACT && !name ? run.folderW.data() : nullptr;
    // Small entries take less time than handing them over to the library thread would.
    if (entryBytes(entry) < kLibraryThreadMinimum) {
        m_callbackError = nullptr;
        const int code = RARProcessFileW(run.archive->get(), operation, folder, name);
        if (m_callbackError)
            std::rethrow_exception(m_callbackError);
        return code;
    }
    return run.library.run([&] {
        // The library thread needs the UTF-8 character type for its names as well.
        Utf8CharacterType utf8OnThisThread;
        return RARProcessFileW(run.archive->get(), operation, folder, name);
    });
}

// Skips or writes the current entry outside the ordinary road; a failure is reported and ends
// the set.
bool RarExtraction::processOrFail(Run &run, int operation)
{
    const int code = process(run, operation);
    if (code == ERAR_BAD_DATA)
        m_ctx.job.SetDataDamaged = true;
    if (code != ERAR_SUCCESS)
        reportEntryFailure(CurrentName, RarErrorReason(m_ctx, code), false);
    return code == ERAR_SUCCESS;
}

bool RarExtraction::isOlderVersion(const QString &name) const
{
    static const QRegularExpression versioned(QStringLiteral("^(.+);[0-9]+$"));
    const QRegularExpressionMatch match = versioned.match(name);
    return match.hasMatch() && m_entryNames.contains(match.captured(1));
}

void RarExtraction::skipLink(const QString &name, const QString &target)
{
    m_sink->logLine(LogTag::Unpack + m_ctx.LangText(Text::LinkLeftOut, {name, target}));
    SkippedEntries << name;
}

bool RarExtraction::onVolumeChange(const QString &nextVolume, bool libraryAsks)
{
    m_sink->currentEntry(CurrentName + QLatin1String(" (Source: ") + FileNameOf(nextVolume) +
                         QLatin1Char(')'));
    if (m_sink->checkpoint().cancelled())
        return false;
    if (!libraryAsks)
        return true;
    // The library asks only for a volume it could not open. Saying it is there would make it try
    // again for ever; Tevo never offers another file in its place.
    const bool there = QFileInfo(nextVolume).isFile();
    const QString text = there ? m_ctx.LangText(Text::VolumeUnreadable, {FileNameOf(nextVolume)})
                               : m_ctx.LangText(Text::VolumeMissing, {FileNameOf(nextVolume)});
    showError(text, true);
    m_sink->logLine(LogTag::Unpack + text);
    m_volumeMissingReported = true;
    return false;
}

void RarExtraction::onProcessedData(qint64 bytes)
{
    ProcessedKiB += bytes / 1024;
    long double percent = 0;
    if (ProgressTotal > 0)
        percent = static_cast<long double>(ProcessedKiB * 1024) / ProgressTotal * 100;
    const std::uint32_t now = m_ctx.platform.tickCount();
    const qint64 wholePercent = qint64(std::min<long double>(percent, 100));
    if (!m_textPace.due(wholePercent, now)) {
        m_sink->progress(ProcessedKiB, QString(), QString());
        m_sink->checkpoint().pump();
        return;
    }
    const std::uint32_t stepStart = m_ctx.job.StepStartTick;
    if (percent > 0) {
        // Time spent paused is no working time: counted in, the estimate would jump after a
        // resume.
        const std::uint32_t working = std::uint32_t(now - stepStart) - m_ctx.job.pausedInStep();
        const long double estimatedTotal = working * (100 / percent);
        EstimateText = ProgressDuration(clampSeconds(estimatedTotal - working));
    }
    m_sink->progress(ProcessedKiB,
                     SizeProgressText(ProcessedKiB * 1024, ProgressTotal) +
                         QLatin1String(" (Time elapsed: ") +
                         ProgressDuration((now - stepStart) / 1000) + QLatin1String("/ins: ") +
                         ProgressDuration(std::uint32_t(now - m_ctx.job.JobStartTick) / 1000) +
                         QLatin1String("/estimated: ") + EstimateText + QLatin1Char(')'),
                     QLatin1String("[Tevo] ") + QString::number(wholePercent) + QLatin1Char('%'));
    m_sink->checkpoint().pump();
}

int RarExtraction::onCallback(unsigned int message, long p1, long p2)
{
    if (!m_library || m_library->onCallerThread())
        return answerCallback(message, p1, p2);
    // On the library thread: the window's part is done on the window's thread.
    if (message == UCM_PROCESSDATA) {
        m_library->catchUp();
        if (m_library->pauseRequested())
            m_library->ask([this] { return m_sink->checkpoint().waitWhilePaused() ? -1 : 0; });
        m_library->notify([this, p2] { onProcessedData(p2); });
        return m_library->stopRequested() ? -1 : 1;
    }
    if (message == UCM_CHANGEVOLUMEW || message == UCM_CHANGEVOLUME)
        return m_library->ask([=] { return answerCallback(message, p1, p2); });
    // Password requests: the one the user gave that fits the set, or none.
    return message == UCM_NEEDPASSWORDW ? AnswerPassword(m_password, p1, p2) : 0;
}

int RarExtraction::answerCallback(unsigned int message, long p1, long p2)
{
    m_sink->checkpoint().waitWhilePaused();
    switch (message) {
    case UCM_CHANGEVOLUMEW:
        m_wideVolumeMessages = true;
        return onVolumeChange(QString::fromWCharArray(reinterpret_cast<const wchar_t *>(p1)),
                              p2 == RAR_VOL_ASK)
                   ? 0
                   : -1;
    case UCM_CHANGEVOLUME:
        // libunrar asks in wide characters first and repeats the question in multibyte form
        // only after that one was answered; the answer has been given already.
        if (m_wideVolumeMessages)
            return 0;
        return onVolumeChange(QString::fromLocal8Bit(reinterpret_cast<const char *>(p1)),
                              p2 == RAR_VOL_ASK)
                   ? 0
                   : -1;
    case UCM_PROCESSDATA:
        // Never more than one byte past the entry's size: a header that understates it is
        // found out by the size, and cannot fill the memory.
        if (m_decoded)
            m_decoded->append(
                reinterpret_cast<const char *>(p1),
                qBound(qint64(0), m_decodedLimit + 1 - m_decoded->size(), qint64(p2)));
        onProcessedData(p2);
        return m_sink->checkpoint().cancelled() ? -1 : 1;
    case UCM_NEEDPASSWORDW:
        // The password the user gave that fits the set, or none.
        return AnswerPassword(m_password, p1, p2);
    default:
        return 0;
    }
}

int RarCallback(unsigned int message, long userData, long p1, long p2)
{
    auto *extraction = reinterpret_cast<RarExtraction *>(userData);
    // Nothing may unwind through the library: an error is kept, the library told to stop, and
    // the error raised again once the library has returned.
    try {
        return extraction->onCallback(message, p1, p2);
    } catch (...) {
        extraction->m_callbackError = std::current_exception();
        return -1;
    }
}

RarBackend::RarBackend(EngineContext &ctx, const QString &firstVolume)
    : m_ctx(ctx), m_firstVolume(firstVolume)
{
    PinLocalTimeZone();
}

RarBackend::RarBackend(EngineContext &ctx, const SetPlan &plan)
    : m_ctx(ctx), m_firstVolume(plan.firstVolume), m_plan(plan), m_planKnown(plan.opened)
{
    PinLocalTimeZone();
}

SetPlan RarBackend::list()
{
    // Read afresh each time: volumes may have arrived, gone or been repaired since.
    m_plan = ReadSetPlan(m_ctx, m_firstVolume);
    m_planKnown = m_plan.opened;
    return m_plan;
}

bool RarBackend::extractTo(const QString &folder, ArchiveSink &sink)
{
    m_extracted = {};
    RarExtraction extraction(m_ctx, m_extracted.entries);
    extraction.setSink(sink);
    qint64 setTotal = 0;
    if (m_planKnown) {
        for (const PlannedEntry &entry : std::as_const(m_plan.entries))
            extraction.m_entryNames.insert(entry.name);
        extraction.m_plan = &m_plan;
        extraction.m_password = m_plan.password.toStdWString();
        setTotal = m_plan.unpackedTotal;
    }
    const bool extracted = extraction.extract(m_firstVolume, folder, setTotal);
    m_extracted.written = extraction.WrittenFiles;
    m_extracted.leftOut = extraction.SkippedEntries;
    sink.finished(extracted);
    return extracted;
}

namespace {

bool ExtractThroughStaging(EngineContext &ctx, RarBackend &backend, const QString &destination,
                           QStringList &ExtractedFiles, bool &ExtractionIncomplete,
                           QStringList *skippedEntries)
{
    EngineSink sink(ctx);
    StagedExtraction staged;
    staged.ownFolder = true;
    const bool published = ExtractStaged(ctx, backend, sink, destination, staged);
    ExtractedFiles << staged.files;
    if (skippedEntries)
        *skippedEntries = staged.leftOut;
    if (!published)
        ExtractionIncomplete = true;
    return published;
}

} // namespace

bool ExtractRARArchive(EngineContext &ctx, const QString &archivePath, const QString &destination,
                       QStringList &ExtractedFiles, bool &ExtractionIncomplete)
{
    RarBackend backend(ctx, archivePath);
    return ExtractThroughStaging(ctx, backend, destination, ExtractedFiles, ExtractionIncomplete,
                                 nullptr);
}

bool ExtractRARArchive(EngineContext &ctx, const SetPlan &plan, const QString &destination,
                       QStringList &ExtractedFiles, bool &ExtractionIncomplete,
                       QStringList *skippedEntries)
{
    RarBackend backend(ctx, plan);
    return ExtractThroughStaging(ctx, backend, destination, ExtractedFiles, ExtractionIncomplete,
                                 skippedEntries);
}
