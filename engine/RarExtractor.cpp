#include "engine/RarExtractor.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <exception>
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
#include <vector>

#include "engine/EngineContext.h"
#include "engine/GeneralFuncs.h"
#include "engine/LibraryThread.h"
#include "engine/PartFile.h"
#include "engine/ProgressText.h"
#include "engine/ScopeGuard.h"
#include "engine/SetPlan.h"
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
constexpr unsigned kHostUnix = 3;

QString fileNamePart(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString fromWide(const wchar_t *text, size_t capacity)
{
    size_t length = 0;
    while (length < capacity && text[length] != 0)
        ++length;
    return QString::fromWCharArray(text, int(length));
}

// A name that is absolute or climbs out with ".." would be written outside the destination.
bool leavesFolder(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return true;
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString &part : parts) {
        if (part == QLatin1String(".."))
            return true;
    }
    return false;
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

// Whether a link stored as entryName with the given target, resolved from its own folder, points
// to a place inside the destination folder (which ends with "/").
bool linkStaysInside(const QString &folder, const QString &entryName, QString target)
{
    target.replace(QLatin1Char('\\'), QLatin1Char('/')); // links made on Windows
    if (target.isEmpty() || target.startsWith(QLatin1Char('/')) ||
        (target.size() > 1 && target.at(1) == QLatin1Char(':')))
        return false;
    // Resolved where the link really lives: a folder on its way may itself be a link.
    const QString linkFolder = QFileInfo(folder + entryName).path();
    QDir().mkpath(linkFolder);
    const QString realFolder = QFileInfo(linkFolder).canonicalFilePath();
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (realFolder.isEmpty() || root.isEmpty())
        return false;
    const QString resolved = QDir::cleanPath(realFolder + QLatin1Char('/') + target);
    return resolved.startsWith(root + QLatin1Char('/'));
}

// The Linux form of a read-only file: nobody may write it, or we may not.
bool isReadOnlyFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    return !(info.permissions() & QFileDevice::WriteOwner) || !info.isWritable();
}

int clampToInt(qint64 value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < 0)
        return 0;
    return int(value);
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
        return ctx.LangText(RarText::NoMemory);
    case ERAR_BAD_DATA:
        return ctx.LangText(RarText::BadData);
    case ERAR_BAD_ARCHIVE:
    case ERAR_UNKNOWN_FORMAT:
        return ctx.LangText(RarText::BadArchive);
    case ERAR_EOPEN:
        return ctx.LangText(RarText::VolumeNotOpened);
    case ERAR_ECREATE:
        return ctx.LangText(RarText::CreateFailed);
    case ERAR_ECLOSE:
    case ERAR_EWRITE:
        return ctx.LangText(RarText::WriteFailed);
    case ERAR_EREAD:
        return ctx.LangText(RarText::ReadFailed);
    case ERAR_SMALL_BUF:
        return ctx.LangText(RarText::PathTooLong);
    case ERAR_MISSING_PASSWORD:
    case ERAR_BAD_PASSWORD:
        return ctx.LangText(RarText::Encrypted);
    default:
        return ctx.LangText(RarText::LibraryError, {QString::number(code)});
    }
}

RarExtraction::RarExtraction(EngineContext &ctx, QStringList &extractedFiles,
                             bool &extractionIncomplete)
    : m_ctx(ctx), m_extractedFiles(extractedFiles), m_extractionIncomplete(extractionIncomplete)
{
}

void RarExtraction::showError(const QString &text, bool withCaption)
{
    if (!m_ctx.settings.SuppressErrors())
        m_ctx.dialogs.messageBox(text, withCaption ? QStringLiteral("Error") : QString(),
                                 MessageIcon::Error);
}

void RarExtraction::reportEntryFailure(const QString &entry, const QString &reason, bool showBox)
{
    const QString text = m_ctx.LangText(RarText::EntryFailed, {entry, reason});
    m_ctx.AddLogLine(LogTag::Unpack + text);
    if (showBox)
        showError(text, true);
}

bool RarExtraction::extract(const QString &archivePath, const QString &destination, qint64 setTotal)
{
    m_ctx.job.StepStartTick = m_ctx.platform.tickCount();
    FirstVolumeSize = FileSize64(archivePath);
    ProcessedKiB = 0;
    ProgressTotal = 0;
    m_setTotal = setTotal;
    CurrentName.clear();
    m_wideVolumeMessages = false;
    m_volumeMissingReported = false;

    const QString archiveName = fileNamePart(archivePath);
    // The box gives the reasons it always gave; the log line gives every code its reason.
    auto openFailed = [&](int code) {
        QString boxReason;
        if (code == ERAR_NO_MEMORY || code == ERAR_BAD_DATA || code == ERAR_BAD_ARCHIVE)
            boxReason = RarErrorReason(m_ctx, code);
        else if (code == ERAR_EOPEN)
            boxReason = m_ctx.LangText(RarText::CannotOpen);
        showError(m_ctx.LangText(RarText::ArchiveNotOpened, {boxReason}), false);
        const QString reason = code == ERAR_SMALL_BUF ? m_ctx.LangText(RarText::PathTooLong)
                                                      : RarErrorReason(m_ctx, code);
        m_ctx.AddLogLine(LogTag::Unpack +
                         m_ctx.LangText(RarText::ArchiveOpenFailed, {archiveName, reason}));
        return false;
    };
    if (archivePath.toUtf8().size() >= kLibraryPathBytes)
        return openFailed(ERAR_SMALL_BUF);

    Utf8CharacterType utf8Names;
    std::wstring destinationW = destination.toStdWString(); // the library's form
    std::wstring archiveW = archivePath.toStdWString();
    RAROpenArchiveDataEx openData{};
    openData.ArcNameW = archiveW.data();
    openData.OpenMode = RAR_OM_EXTRACT;
    ArchiveHandle archive(RAROpenArchiveEx(&openData));
    if (!archive.get() || openData.OpenResult != ERAR_SUCCESS)
        return openFailed(openData.OpenResult != ERAR_SUCCESS ? int(openData.OpenResult)
                                                              : ERAR_UNKNOWN);
    RARSetCallback(archive.get(), RarCallback, LPARAM(this));
    // Entries are extracted on a thread of their own, so the window stays responsive however long
    // the library works between two of its progress reports. Small entries take less time than
    // handing them over would, so they are extracted here.
    LibraryThread library(m_ctx);
    m_library = &library;
    const ScopeGuard forgetLibrary([this] { m_library = nullptr; });
    // A file goes to destName (its hidden part name), a folder under the destination folder.
    // replaces: the file a finished part file is to take the place of.
    auto processFile = [&](int operation, const RARHeaderDataEx &entry,
                           const QString &destName = QString(),
                           const QString &replaces = QString()) {
        std::wstring destNameW = destName.toStdWString();
        wchar_t *targetFolder =
            operation == RAR_EXTRACT && destName.isEmpty() ? destinationW.data() : nullptr;
        wchar_t *targetName = destName.isEmpty() ? nullptr : destNameW.data();
        if (entryBytes(entry) < kLibraryThreadMinimum) {
            m_callbackError = nullptr;
            const int code = RARProcessFileW(archive.get(), operation, targetFolder, targetName);
            if (m_callbackError)
                std::rethrow_exception(m_callbackError);
            return code;
        }
        return library.run([&] {
            // The library thread needs the UTF-8 character type for its names as well.
            Utf8CharacterType utf8OnThisThread;
            const int code = RARProcessFileW(archive.get(), operation, targetFolder, targetName);
            // Removing a large file that is being replaced frees all its pages, which takes tens
            // of milliseconds: done here, off the window's thread, once its successor is whole.
            const qint64 size = (qint64(entry.UnpSizeHigh) << 32) + entry.UnpSize;
            if (code == ERAR_SUCCESS && !replaces.isEmpty() && QFileInfo(destName).size() == size &&
                QFileInfo(replaces).isFile())
                ::unlink(QFile::encodeName(replaces).constData());
            return code;
        });
    };

    // The file-system form of the destination folder.
    QString folder = destination;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');

    auto header = std::make_unique<RARHeaderDataEx>();
    std::vector<wchar_t> redirectTarget(kHeaderNameChars);
    QString previousName;
    bool havePrevious = false;
    QSet<QString> cleanedFolders;
    bool result = true;
    // Skips or writes the current entry outside the ordinary road; a failure is reported and ends
    // the set.
    auto processOrFail = [&](int operation, const QString &destName = QString()) {
        const int code = processFile(operation, *header, destName);
        if (code != ERAR_SUCCESS)
            reportEntryFailure(CurrentName, RarErrorReason(m_ctx, code), false);
        return code == ERAR_SUCCESS;
    };

    for (;;) {
        *header = RARHeaderDataEx{};
        header->RedirName = redirectTarget.data();
        header->RedirNameSize = unsigned(redirectTarget.size());
        m_callbackError = nullptr;
        int code = RARReadHeaderEx(archive.get(), header.get());
        if (m_callbackError)
            std::rethrow_exception(m_callbackError);
        if (code == ERAR_END_ARCHIVE) {
            m_ctx.checkpoint.pump();
            if (archive.close() != 0)
                showError(m_ctx.LangText(RarText::CloseFailed), false);
            return result;
        }
        if (code != ERAR_SUCCESS) {
            // Without a readable header the rest of the set cannot be trusted; reading on would
            // give the same error again.
            const QString entry = CurrentName.isEmpty() ? archiveName : CurrentName;
            if (code == ERAR_BAD_DATA) {
                const QString text = m_ctx.LangText(RarText::CrcError, {entry});
                showError(text, true);
                m_ctx.AddLogLine(LogTag::Unpack + text);
            } else {
                reportEntryFailure(entry, RarErrorReason(m_ctx, code), !m_volumeMissingReported);
            }
            return false;
        }

        const qint64 entrySize = (qint64(header->UnpSizeHigh) << 32) + header->UnpSize;
        if (m_setTotal <= 0) {
            m_ctx.view.setProgressPosition(0);
            ProgressTotal = entrySize;
        } else {
            ProgressTotal = m_setTotal;
        }
        CurrentName = fromWide(header->FileNameW, kHeaderNameChars);
        const QString target = folder + CurrentName;

        // Older versions of a file (kept with RAR's version option as "name;n") stay in the
        // archive: only the newest is extracted, as the UnRAR tools do by default.
        if (isOlderVersion(CurrentName)) {
            if (!processOrFail(RAR_SKIP))
                return false;
            continue;
        }

        // Entries that must not be written: they are passed over (and not listed as extracted),
        // and the set does not count as extracted.
        QString refusal;
        const bool link = isLinkEntry(*header);
        const QString linkTarget = fromWide(redirectTarget.data(), redirectTarget.size());
        if (leavesFolder(CurrentName))
            refusal = m_ctx.LangText(RarText::OutsideDestination);
        else if (hasUnmappedBytes(CurrentName))
            refusal = m_ctx.LangText(RarText::UnusableName);
        else if (!link && header->RedirType != 0 && leavesFolder(linkTarget))
            refusal = m_ctx.LangText(RarText::OutsideDestination);
        else if (wcsnlen(header->FileNameW, kHeaderNameChars) >= kHeaderNameChars - 1 ||
                 target.toUtf8().size() >= kLibraryPathBytes)
            refusal = m_ctx.LangText(RarText::PathTooLong);

        // A link is made only when it points to a place inside the destination; any other is
        // passed over, and the set's sources then stay.
        if (refusal.isEmpty() && link &&
            (header->RedirType == kRedirJunction ||
             (!linkTarget.isEmpty() && !linkStaysInside(folder, CurrentName, linkTarget)))) {
            skipLink(CurrentName, linkTarget);
            if (!processOrFail(RAR_SKIP))
                return false;
            continue;
        }

        if (refusal.isEmpty())
            m_extractedFiles << target;
        if (ProgressTotal < FirstVolumeSize)
            ProgressTotal = FirstVolumeSize;
        m_ctx.view.setProgressRange(clampToInt(ProgressTotal / 1024));
        if (havePrevious && previousName != CurrentName) {
            const QFileInfo previous(folder + previousName);
            if (!previous.isFile() && !previous.isDir())
                m_extractionIncomplete = true;
        }
        m_ctx.view.setCurrentFileText(CurrentName + QLatin1String(" (Source: ") +
                                      fileNamePart(fromWide(header->ArcNameW, kHeaderNameChars)) +
                                      QLatin1Char(')'));
        previousName = CurrentName;
        havePrevious = true;
        m_ctx.checkpoint.pump();

        if (!refusal.isEmpty()) {
            // A path the library cannot take is an error the user has to act on.
            reportEntryFailure(CurrentName, refusal,
                               refusal == m_ctx.LangText(RarText::PathTooLong));
            result = false;
            if (!processOrFail(RAR_SKIP))
                return false;
            continue;
        }

        // A file the user made read-only is never replaced (the library would overwrite it, and
        // so would any process that may ignore permissions).
        if (!(header->Flags & RHDF_DIRECTORY) && isReadOnlyFile(target)) {
            const QString text = m_ctx.LangText(RarText::ReadOnlyTarget, {target});
            showError(text, false);
            m_ctx.AddLogLine(LogTag::Unpack + text);
            return false;
        }

        const bool isFolder = header->Flags & RHDF_DIRECTORY;
        const QString parent = target.left(target.lastIndexOf(QLatin1Char('/')));
        if (link) {
            QDir().mkpath(parent);
            if (!processOrFail(RAR_EXTRACT, target))
                return false;
            // The target of older archives' links is known only once the link is made.
            const QString made = readLink(target);
            if (made.isEmpty() || !linkStaysInside(folder, CurrentName, made)) {
                if (!made.isEmpty())
                    ::unlink(QFile::encodeName(target).constData());
                skipLink(CurrentName, made.isEmpty() ? linkTarget : made);
            }
            m_ctx.checkpoint.pump();
            continue;
        }
        // An empty file needs no password, even when the archive marks it encrypted.
        if (!isFolder && entrySize == 0 && (header->Flags & RHDF_ENCRYPTED)) {
            QDir().mkpath(parent);
            const QString part = PartFileName(parent);
            QFile empty(part);
            if (!empty.open(QIODevice::WriteOnly)) {
                reportEntryFailure(CurrentName, m_ctx.LangText(RarText::CreateFailed), false);
                return false;
            }
            empty.close();
            if (!publishFile(part, target, 0))
                return false;
            if (!processOrFail(RAR_SKIP))
                return false;
            continue;
        }
        QString part;
        if (!isFolder) {
            QDir().mkpath(parent);
            // What an earlier, killed run left half-written here goes first.
            if (!cleanedFolders.contains(parent)) {
                RemoveStalePartFiles(parent);
                cleanedFolders.insert(parent);
            }
            part = PartFileName(parent);
        }
        code = processFile(RAR_EXTRACT, *header, part, target);
        if (code != ERAR_SUCCESS && !part.isEmpty())
            QFile::remove(part);
        if (code == ERAR_SUCCESS) {
            if (!part.isEmpty() && !publishFile(part, target, entrySize))
                return false;
            m_ctx.checkpoint.pump();
            continue;
        }
        if (code == ERAR_END_ARCHIVE) {
            m_ctx.checkpoint.pump();
            if (archive.close() != 0)
                showError(m_ctx.LangText(RarText::CloseFailed), false);
            return result;
        }

        // Every other result means the entry was not written as stored.
        if (m_ctx.checkpoint.cancelled()) {
            reportEntryFailure(CurrentName, m_ctx.LangText(RarText::Aborted), false);
        } else if (code == ERAR_ECREATE && isReadOnlyFile(target)) {
            const QString text = m_ctx.LangText(RarText::ReadOnlyTarget, {target});
            showError(text, false);
            m_ctx.AddLogLine(LogTag::Unpack + text);
        } else if (code == ERAR_BAD_DATA) {
            const QString text = m_ctx.LangText(RarText::CrcError, {CurrentName});
            showError(text, true);
            m_ctx.AddLogLine(LogTag::Unpack + text);
        } else {
            // A missing volume was already reported in a box by the callback.
            reportEntryFailure(CurrentName, RarErrorReason(m_ctx, code), !m_volumeMissingReported);
        }
        return false;
    }
}

bool RarExtraction::isOlderVersion(const QString &name) const
{
    static const QRegularExpression versioned(QStringLiteral("^(.+);[0-9]+$"));
    const QRegularExpressionMatch match = versioned.match(name);
    return match.hasMatch() && m_entryNames.contains(match.captured(1));
}

void RarExtraction::skipLink(const QString &name, const QString &target)
{
    m_ctx.AddLogLine(LogTag::Unpack + m_ctx.LangText(RarText::LinkLeftOut, {name, target}));
    SkippedEntries << name;
}

bool RarExtraction::onVolumeChange(const QString &nextVolume, bool libraryAsks)
{
    m_ctx.view.setCurrentFileText(CurrentName + QLatin1String(" (Source: ") +
                                  fileNamePart(nextVolume) + QLatin1Char(')'));
    if (m_ctx.checkpoint.cancelled())
        return false;
    if (!libraryAsks)
        return true;
    // The library asks only for a volume it could not open. Saying it is there would make it try
    // again for ever; Tevo never offers another file in its place.
    const bool there = QFileInfo(nextVolume).isFile();
    const QString text =
        there ? m_ctx.LangText(SetPlanText::VolumeUnreadable, {fileNamePart(nextVolume)})
              : m_ctx.LangText(RarText::VolumeMissing, {fileNamePart(nextVolume)});
    showError(text, true);
    m_ctx.AddLogLine(LogTag::Unpack + text);
    m_volumeMissingReported = true;
    return false;
}

bool RarExtraction::publishFile(const QString &part, const QString &target, qint64 expectedSize)
{
    const qint64 written = QFileInfo(part).size();
    // Sizes the archive does not know (streamed input) are marked by values this large.
    constexpr qint64 kUnknownSize = qint64(1) << 62;
    if (expectedSize < kUnknownSize && written != expectedSize) {
        QFile::remove(part);
        reportEntryFailure(
            CurrentName,
            m_ctx.LangText(SetPlanText::SizeMismatch,
                           {CurrentName, QString::number(written), QString::number(expectedSize)}),
            false);
        return false;
    }
    if (::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        QFile::remove(part);
        reportEntryFailure(
            CurrentName,
            m_ctx.LangText(error == ENAMETOOLONG ? RarText::PathTooLong : RarText::CreateFailed),
            false);
        return false;
    }
    return true;
}

void RarExtraction::onProcessedData(qint64 bytes)
{
    ProcessedKiB += bytes / 1024;
    long double percent = 0;
    if (ProgressTotal > 0)
        percent = static_cast<long double>(ProcessedKiB * 1024) / ProgressTotal * 100;
    const std::uint32_t stepStart = m_ctx.job.StepStartTick;
    if (percent > 0) {
        // Time spent paused is no working time: counted in, the estimate would jump after a
        // resume.
        const std::uint32_t working =
            std::uint32_t(m_ctx.platform.tickCount() - stepStart) - m_ctx.job.pausedInStep();
        const long double estimatedTotal = working * (100 / percent);
        EstimateText = ProgressDuration(clampSeconds(estimatedTotal - working));
    }
    m_ctx.view.setProgressPosition(clampToInt(ProcessedKiB));
    m_ctx.view.setBytesDone(ProcessedKiB * 1024);
    if (percent > 100)
        percent = 100;
    const std::uint32_t now = m_ctx.platform.tickCount();
    m_ctx.view.setProgressText(
        SizeProgressText(ProcessedKiB * 1024, ProgressTotal) + QLatin1String(" (Time elapsed: ") +
        ProgressDuration((now - stepStart) / 1000) + QLatin1String("/ins: ") +
        ProgressDuration(std::uint32_t(now - m_ctx.job.JobStartTick) / 1000) +
        QLatin1String("/estimated: ") + EstimateText + QLatin1Char(')'));
    m_ctx.view.setApplicationTitle(QLatin1String("[Tevo] ") + QString::number(qint64(percent)) +
                                   QLatin1Char('%'));
    m_ctx.checkpoint.pump();
}

int RarExtraction::onCallback(unsigned int message, long p1, long p2)
{
    if (!m_library || m_library->onCallerThread())
        return answerCallback(message, p1, p2);
    // On the library thread: the window's part is done on the window's thread.
    if (message == UCM_PROCESSDATA) {
        m_library->catchUp();
        if (m_library->pauseRequested())
            m_library->ask([this] { return m_ctx.checkpoint.waitWhilePaused() ? -1 : 0; });
        m_library->notify([this, p2] { onProcessedData(p2); });
        return m_library->stopRequested() ? -1 : 1;
    }
    if (message == UCM_CHANGEVOLUMEW || message == UCM_CHANGEVOLUME)
        return m_library->ask([=] { return answerCallback(message, p1, p2); });
    // Password requests included: Tevo never gives the library a password.
    return 0;
}

int RarExtraction::answerCallback(unsigned int message, long p1, long p2)
{
    m_ctx.checkpoint.waitWhilePaused();
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
        onProcessedData(p2);
        return m_ctx.checkpoint.cancelled() ? -1 : 1;
    default:
        // Password requests included: Tevo never gives the library a password.
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

bool ExtractRARArchive(EngineContext &ctx, const QString &archivePath, const QString &destination,
                       QStringList &ExtractedFiles, bool &ExtractionIncomplete)
{
    RarExtraction extraction(ctx, ExtractedFiles, ExtractionIncomplete);
    return extraction.extract(archivePath, destination);
}

bool ExtractRARArchive(EngineContext &ctx, const SetPlan &plan, const QString &destination,
                       QStringList &ExtractedFiles, bool &ExtractionIncomplete,
                       QStringList *skippedEntries)
{
    RarExtraction extraction(ctx, ExtractedFiles, ExtractionIncomplete);
    for (const PlannedEntry &entry : plan.entries)
        extraction.m_entryNames.insert(entry.name);
    const bool extracted = extraction.extract(plan.firstVolume, destination, plan.unpackedTotal);
    if (skippedEntries)
        *skippedEntries = extraction.SkippedEntries;
    return extracted;
}
