#include "engine/ZipMaster.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zip.h>

#include "engine/Crc32.h"
#include "engine/EngineContext.h"
#include "engine/EngineSink.h"
#include "engine/GeneralFuncs.h"
#include "engine/LegacyNames.h"
#include "engine/Passwords.h"
#include "engine/ProgressText.h"
#include "engine/StagingFolder.h"

namespace {

// Big enough for full-speed copying, small enough that memory does not depend on entry sizes.
constexpr qint64 kBlockSize = 256 * 1024;

bool pathTaken(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool isFolderEntry(const QString &storedName, zip_uint64_t size)
{
    return storedName.endsWith(QLatin1Char('/')) ||
           (size == 0 && storedName.endsWith(QLatin1Char('\\')));
}

bool isLinkEntry(zip_t *archive, zip_uint64_t index)
{
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &opsys, &attributes) != 0)
        return false;
    return opsys == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

// Closes the archive and an open entry on every way out.
struct OpenZip
{
    zip_t *archive = nullptr;
    ~OpenZip()
    {
        if (archive)
            zip_discard(archive);
    }
};
struct OpenEntry
{
    zip_file_t *file = nullptr;
    ~OpenEntry()
    {
        if (file)
            zip_fclose(file);
    }
};

// A file being written into the staging folder; it is removed unless published. Only a finished
// file ever gets the entry's name in the destination, so a crash or a full disk never leaves a
// half-written file that a later run would take for a complete one.
class StagedFile
{
public:
    explicit StagedFile(const QString &path) : m_path(path)
    {
        m_fd = ::open(QFile::encodeName(m_path).constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        m_error = m_fd < 0 ? errno : 0;
        m_created = m_fd >= 0;
    }
    ~StagedFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_created && !m_published)
            ::unlink(QFile::encodeName(m_path).constData());
    }
    StagedFile(const StagedFile &) = delete;
    StagedFile &operator=(const StagedFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int error() const { return m_error; }
    // Leaves the file where it is: the folder it was written into is published as a whole.
    void keep() { m_published = true; }

    bool write(const char *data, qint64 size)
    {
        while (size > 0) {
            const ssize_t done = ::write(m_fd, data, size_t(size));
            if (done < 0) {
                if (errno == EINTR)
                    continue;
                m_error = errno;
                return false;
            }
            data += done;
            size -= done;
        }
        return true;
    }

    bool finish(time_t modified)
    {
        if (modified > 0) {
            const timespec times[2] = {{0, UTIME_OMIT}, {modified, 0}};
            ::futimens(m_fd, times);
        }
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0) {
            m_error = errno;
            return false;
        }
        return true;
    }

    enum class Publish { Done, Taken, Failed };
    // Gives the file its final name, never replacing what is there.
    Publish publish(const QString &target)
    {
        const QByteArray from = QFile::encodeName(m_path);
        const QByteArray to = QFile::encodeName(target);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) ==
            0) {
            m_published = true;
            return Publish::Done;
        }
        if (errno == EEXIST)
            return Publish::Taken;
        // File systems without an atomic no-replace rename: a hard link fails on an existing
        // name as well; without hard links, check and rename.
        if (::link(from.constData(), to.constData()) == 0)
            return Publish::Done; // the staged name is removed by the destructor
        if (errno == EEXIST)
            return Publish::Taken;
        if (errno == ENAMETOOLONG || errno == ENOENT || errno == EACCES || errno == EROFS) {
            m_error = errno;
            return Publish::Failed;
        }
        if (pathTaken(target))
            return Publish::Taken;
        if (::rename(from.constData(), to.constData()) == 0) {
            m_published = true;
            return Publish::Done;
        }
        m_error = errno;
        return Publish::Failed;
    }

private:
    QString m_path;
    int m_fd = -1;
    int m_error = 0;
    bool m_created = false;
    bool m_published = false;
};

// Whether the file at path is a regular file of the given size and CRC-32.
bool sameContent(EngineContext &ctx, const QString &path, zip_uint64_t size, quint32 crc)
{
    const QFileInfo info(path);
    if (!info.isFile() || zip_uint64_t(info.size()) != size)
        return false;
    return FileCrc32(ctx, path) == QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

// Whether entry index of archive reads to its end without an error (a wrong password or CRC).
bool ReadsWhole(zip_t *archive, zip_uint64_t index)
{
    zip_file_t *file = zip_fopen_index(archive, index, 0);
    if (!file)
        return false;
    std::vector<char> buffer(64 * 1024);
    zip_int64_t got = 0;
    while ((got = zip_fread(file, buffer.data(), buffer.size())) > 0) {
    }
    return zip_fclose(file) == 0 && got == 0;
}

bool isOutOfSpace(int error)
{
    return error == ENOSPC || error == EFBIG || error == EDQUOT;
}

} // namespace

QString ZipEntryFileName(const QString &storedName)
{
    const int cut =
        qMax(storedName.lastIndexOf(QLatin1Char('/')), storedName.lastIndexOf(QLatin1Char('\\')));
    return storedName.mid(cut + 1);
}

void ZipProgressDisplay::ZIPProgress(TZipMaster &sender, ZipProgressType type,
                                     const QString &fileName, qint64 size)
{
    ArchiveSink &sink = sender.sink();
    switch (type) {
    case ZipProgressType::TotalSize2Process:
        BarMaximumKiB = size / 1024;
        sink.progressRange(BarMaximumKiB);
        break;
    case ZipProgressType::NewFile:
        sink.currentEntry(ZipEntryFileName(fileName) + QLatin1String(" (from ") + CurrentZipName +
                          QLatin1Char(')'));
        break;
    case ZipProgressType::ProgressUpdate: {
        ZipDoneKiB += size / 1024;
        const std::uint32_t now = m_ctx.platform.tickCount();
        // No title: the window's title is not changed for ZIP files.
        sink.progress(ZipDoneKiB,
                      SizeProgressText(ZipDoneKiB * 1024, BarMaximumKiB * 1024) +
                          QLatin1String(" (Time elapsed: ") +
                          ProgressDuration(std::uint32_t(now - m_ctx.job.StepStartTick) / 1000) +
                          QLatin1String("/ins: ") +
                          ProgressDuration(std::uint32_t(now - m_ctx.job.JobStartTick) / 1000) +
                          QLatin1Char(')'),
                      QString());
        // The abort flag stays set: the folder run ends once the extraction has returned.
        if (sink.checkpoint().waitWhilePaused())
            sender.Cancel();
        break;
    }
    default:
        break;
    }
}

TZipMaster::TZipMaster(EngineContext &ctx)
    : m_ctx(ctx), m_ownSink(std::make_unique<EngineSink>(ctx)), m_sink(m_ownSink.get()),
      m_display(ctx)
{
    OnProgress = [this](TZipMaster &sender, ZipProgressType type, const QString &fileName,
                        qint64 size) { m_display.ZIPProgress(sender, type, fileName, size); };
}

void TZipMaster::progress(ZipProgressType type, const QString &fileName, qint64 size)
{
    if (OnProgress)
        OnProgress(*this, type, fileName, size);
}

void TZipMaster::logEntryFailure(const QString &entry, const QString &reason)
{
    m_sink->logLine(LogTag::Unpack +
                    m_ctx.LangText(Text::ZipEntryFailed, {entry, FileNameOf(ZipFileName), reason}));
}

// One file entry of the ZIP and what is to become of it.
struct TZipMaster::PlannedEntry
{
    zip_uint64_t index = 0;
    QString storedName;
    QString name; // the file name it is written under, without folders
    zip_uint64_t size = 0;
    time_t modified = 0;
    quint32 crc = 0;
    QString refusal;   // why it is not written, when it is not
    QString clashWith; // an earlier entry of the ZIP with the same file name
    bool keep = false; // a file of that name is there already
};

bool TZipMaster::openZip(zip **archive, ZipExtractResult &result)
{
    int openError = 0;
    *archive = zip_open(QFile::encodeName(ZipFileName).constData(), ZIP_RDONLY, &openError);
    if (!*archive) {
        m_sink->logLine(LogTag::Unpack +
                        m_ctx.LangText(Text::ZipFailed,
                                       {FileNameOf(ZipFileName), m_ctx.LangText(Text::NotAZip)}));
        return false;
    }
    result.opened = true;
    unlockZip(*archive);
    return true;
}

// Gives the archive the first of the user's passwords with which its smallest encrypted entry
// reads whole (libzip checks the password and the CRC). With none given, or none fitting (said in
// one line), its encrypted entries are refused.
void TZipMaster::unlockZip(zip *archive)
{
    m_unlocked = false;
    zip_int64_t smallest = -1;
    zip_uint64_t smallestSize = 0;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) == 0 &&
            (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE &&
            (stat.valid & ZIP_STAT_SIZE) && (smallest < 0 || stat.size < smallestSize)) {
            smallest = i;
            smallestSize = stat.size;
        }
    }
    const QStringList passwords = smallest < 0 ? QStringList() : PasswordsFor(m_ctx, ZipFileName);
    for (const QString &password : passwords) {
        if (zip_set_default_password(archive, password.toUtf8().constData()) == 0 &&
            ReadsWhole(archive, zip_uint64_t(smallest))) {
            m_unlocked = true;
            return;
        }
    }
    zip_set_default_password(archive, nullptr);
    if (!passwords.isEmpty())
        m_sink->logLine(LogTag::Unpack +
                        m_ctx.LangText(Text::NoPasswordFits, {FileNameOf(ZipFileName),
                                                              QString::number(passwords.size())}));
}

QString TZipMaster::refusalFor(zip *archive, quint64 index, const struct zip_stat &stat,
                               bool statOk, const QString &name) const
{
    if (!statOk || name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QChar(0)))
        return m_ctx.LangText(Text::UnusableName);
    if (isLinkEntry(archive, index))
        return m_ctx.LangText(Text::LinkSkipped);
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE &&
        !m_unlocked)
        return m_ctx.LangText(Text::Encrypted);
    if (QFile::encodeName(name).size() > NAME_MAX)
        return m_ctx.LangText(Text::PathTooLong);
    return QString();
}

// Which entries are files and what is to be written; destination (empty: none) is where a file
// of an entry's name is kept when it is there already.
std::vector<TZipMaster::PlannedEntry>
TZipMaster::planEntries(zip *archive, const QString &destination, ZipExtractResult &result)
{
    std::vector<PlannedEntry> entries;
    QHash<QString, int> plannedNames; // file name -> index in entries
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        PlannedEntry entry;
        entry.index = zip_uint64_t(i);
        zip_stat_t stat;
        zip_stat_init(&stat);
        const char *rawName = zip_get_name(archive, entry.index, ZIP_FL_ENC_GUESS);
        const char *storedName = zip_get_name(archive, entry.index, ZIP_FL_ENC_RAW);
        const bool statOk = zip_stat_index(archive, entry.index, 0, &stat) == 0;
        entry.storedName = rawName && storedName ? ZipEntryName(storedName, rawName) : QString();
        entry.size = statOk && (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0;
        entry.modified = statOk && (stat.valid & ZIP_STAT_MTIME) ? stat.mtime : 0;
        entry.crc = statOk && (stat.valid & ZIP_STAT_CRC) ? stat.crc : 0;
        if (rawName && isFolderEntry(entry.storedName, entry.size))
            continue;
        ++result.files;
        entry.name = ZipEntryFileName(entry.storedName);
        entry.refusal = rawName ? refusalFor(archive, entry.index, stat, statOk, entry.name)
                                : m_ctx.LangText(Text::UnusableName);
        if (entry.refusal.isEmpty()) {
            const auto earlier = plannedNames.constFind(entry.name);
            const bool taken = earlier != plannedNames.cend();
            if (taken && !(entries.at(size_t(*earlier)).crc == entry.crc &&
                           entries.at(size_t(*earlier)).size == entry.size))
                entry.clashWith = entries.at(size_t(*earlier)).storedName;
            entry.keep = taken || (!destination.isEmpty() && pathTaken(destination + entry.name));
            if (!entry.keep) {
                plannedNames.insert(entry.name, int(entries.size()));
                m_plannedBytes += qint64(entry.size);
                ++m_plannedFiles;
            }
        }
        entries.push_back(entry);
    }
    return entries;
}

bool TZipMaster::cancelled(ZipExtractResult &result)
{
    if (!m_cancelRequested)
        return false;
    result.cancelled = true;
    m_sink->logLine(LogTag::Unpack +
                    m_ctx.LangText(Text::ZipFailed,
                                   {FileNameOf(ZipFileName), m_ctx.LangText(Text::ZipCancelled)}));
    progress(ZipProgressType::EndOfBatch, QString(), 0);
    return true;
}

// An entry that is not written: refused, clashing, or its name taken in the destination.
bool TZipMaster::passOver(const PlannedEntry &entry, const QString &destination,
                          ZipExtractResult &result)
{
    const QString zipName = FileNameOf(ZipFileName);
    if (!entry.refusal.isEmpty()) {
        ++result.failed;
        logEntryFailure(entry.storedName, entry.refusal);
        return true;
    }
    if (!entry.clashWith.isEmpty()) {
        ++result.failed;
        m_sink->logLine(LogTag::Unpack + m_ctx.LangText(Text::NameClash, {entry.storedName, zipName,
                                                                          entry.clashWith}));
        return true;
    }
    const QString target = destination + entry.name;
    if (!entry.keep && (destination.isEmpty() || !pathTaken(target)))
        return false;
    // The existing file is kept; only when it holds the entry's own bytes does the entry count
    // as unpacked, so that the ZIP is not deleted for a different file.
    if (sameContent(m_ctx, target, entry.size, entry.crc)) {
        ++result.kept;
    } else {
        ++result.failed;
        m_sink->logLine(LogTag::Unpack +
                        m_ctx.LangText(Text::DifferentFileThere, {entry.storedName, zipName}));
    }
    return true;
}

// Writes one entry into folder and, with a destination, gives it its name there. False when the
// ZIP is to end here (cancelled, or the disk is full).
bool TZipMaster::takeEntry(zip *archive, const PlannedEntry &entry, const QString &folder,
                           const QString &destination, std::vector<char> &buffer,
                           ZipExtractResult &result)
{
    if (passOver(entry, destination, result))
        return true;
    progress(ZipProgressType::NewFile, entry.storedName, qint64(entry.size));
    if (cancelled(result))
        return false;
    StagedFile file(folder + entry.name);
    const int error =
        file.isOpen() ? writeEntry(archive, entry, file, buffer, result) : file.error();
    if (result.cancelled)
        return false;
    if (error != 0) {
        ++result.failed;
        const bool full = isOutOfSpace(error);
        logEntryFailure(entry.storedName,
                        m_ctx.LangText(error == EBADMSG        ? Text::DataDamaged
                                       : full || file.isOpen() ? Text::WriteFailed
                                                               : Text::CreateFailed));
        // The next entries would meet the same full disk.
        return !full;
    }
    if (destination.isEmpty()) {
        file.keep();
        ++result.written;
        if (!m_written.contains(entry.name))
            m_writtenNames << entry.name;
        m_written.insert(entry.name, qint64(entry.size));
        return true;
    }
    switch (file.publish(destination + entry.name)) {
    case StagedFile::Publish::Done:
        ++result.written;
        break;
    case StagedFile::Publish::Taken:
        ++result.kept;
        break;
    case StagedFile::Publish::Failed:
        ++result.failed;
        logEntryFailure(
            entry.storedName,
            m_ctx.LangText(file.error() == ENAMETOOLONG ? Text::PathTooLong : Text::CreateFailed));
        break;
    }
    return true;
}

// Copies the entry's bytes into file; 0, EBADMSG for damaged data, or the write error.
template <typename File>
int TZipMaster::writeEntry(zip *archive, const PlannedEntry &entry, File &file,
                           std::vector<char> &buffer, ZipExtractResult &result)
{
    OpenEntry data;
    data.file = zip_fopen_index(archive, entry.index, 0);
    if (!data.file)
        return EBADMSG;
    for (;;) {
        const zip_int64_t got = zip_fread(data.file, buffer.data(), buffer.size());
        if (got < 0)
            return EBADMSG;
        if (got == 0)
            break;
        if (!file.write(buffer.data(), got))
            return file.error();
        progress(ZipProgressType::ProgressUpdate, entry.storedName, got);
        m_sink->checkpoint().pump();
        if (cancelled(result))
            return ECANCELED;
    }
    const int closeError = zip_fclose(data.file);
    data.file = nullptr;
    if (closeError != 0)
        return EBADMSG;
    return file.finish(entry.modified) ? 0 : file.error();
}

ZipExtractResult TZipMaster::Extract()
{
    const QString folder = WithSlash(ExtrBaseDir);
    // Written into a staging folder beside the files, and each file named only once it is
    // whole; a killed Tevo's staging folder goes first.
    RemoveDeadStagingFolders(folder);
    StagingFolder staging(folder);
    if (!staging.isValid()) {
        ZipExtractResult result;
        result.opened = true;
        m_sink->logLine(LogTag::Unpack +
                        m_ctx.LangText(Text::ZipFailed, {FileNameOf(ZipFileName),
                                                         m_ctx.LangText(Text::CreateFailed)}));
        return result;
    }
    return extractInto(staging.tree(), folder);
}

ZipExtractResult TZipMaster::extractInto(const QString &folder, const QString &destination)
{
    ZipExtractResult result;
    m_cancelRequested = false;
    m_plannedBytes = 0;
    m_plannedFiles = 0;
    m_written.clear();
    m_writtenNames.clear();
    OpenZip zip;
    if (!openZip(&zip.archive, result))
        return result;
    const std::vector<PlannedEntry> entries = planEntries(zip.archive, destination, result);
    progress(ZipProgressType::TotalFiles2Process, QString(), m_plannedFiles);
    progress(ZipProgressType::TotalSize2Process, QString(), m_plannedBytes);
    if (cancelled(result))
        return result;
    std::vector<char> buffer(kBlockSize);
    for (const PlannedEntry &entry : entries) {
        if (!takeEntry(zip.archive, entry, folder, destination, buffer, result))
            break;
    }
    if (!result.cancelled)
        progress(ZipProgressType::EndOfBatch, QString(), 0);
    return result;
}

ZipBackend::ZipBackend(EngineContext &ctx, const QString &zipPath) : m_zip(ctx)
{
    m_zip.ZipFileName = zipPath;
}

SetPlan ZipBackend::list()
{
    SetPlan plan;
    plan.firstVolume = m_zip.ZipFileName;
    plan.volumes << m_zip.ZipFileName;
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(m_zip.ZipFileName).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return plan;
    plan.opened = plan.complete = true;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0)
            continue;
        const QString stored = QString::fromUtf8(stat.name);
        PlannedEntry entry{ZipEntryFileName(stored), qint64(stat.size),
                           isFolderEntry(stored, stat.size)};
        if (!entry.folder)
            plan.unpackedTotal = AddEntrySize(plan.unpackedTotal, entry.size);
        plan.entries << entry;
    }
    zip_discard(archive);
    return plan;
}

bool ZipBackend::extractTo(const QString &folder, ArchiveSink &sink)
{
    m_zip.setSink(sink);
    const ZipExtractResult result = m_zip.extractInto(folder, QString());
    m_extracted = {m_zip.m_writtenNames, m_zip.m_written, {}};
    sink.finished(result.complete());
    return result.complete();
}

bool TZipMaster::ExtractZip(const QString &zipPath, const QString &baseDir)
{
    m_display.ZipDoneKiB = 0;
    m_display.CurrentZipName = FileNameOf(zipPath);
    ZipFileName = zipPath;
    ExtrBaseDir = WithSlash(baseDir);
    ForceDirectory(ExtrBaseDir);
    const ZipExtractResult result = Extract();
    if (result.complete())
        m_completeZips.insert(zipPath);
    return result.complete();
}
