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
#include "engine/GeneralFuncs.h"
#include "engine/PartFile.h"
#include "engine/ProgressText.h"

namespace {

// Big enough for full-speed copying, small enough that memory does not depend on entry sizes.
constexpr qint64 kBlockSize = 256 * 1024;

int clampToInt(qint64 value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return value < 0 ? 0 : int(value);
}

QString fileNamePart(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

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

// A file being written under a hidden temporary name; it is removed unless published. Only a
// finished file ever gets the entry's name, so a crash or a full disk never leaves a half-written
// file that a later run would take for a complete one.
class PartFile
{
public:
    explicit PartFile(const QString &folder)
    {
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            m_path = PartFileName(folder);
            m_fd = ::open(QFile::encodeName(m_path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno != EEXIST)
                break;
        }
        m_error = m_fd < 0 ? errno : 0;
        m_created = m_fd >= 0;
    }
    ~PartFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_created && !m_published)
            ::unlink(QFile::encodeName(m_path).constData());
    }
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int error() const { return m_error; }

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
            return Publish::Done; // the part name is removed by the destructor
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
    switch (type) {
    case ZipProgressType::TotalSize2Process:
        BarMaximumKiB = size / 1024;
        m_ctx.view.setProgressRange(clampToInt(BarMaximumKiB));
        break;
    case ZipProgressType::NewFile:
        m_ctx.view.setCurrentFileText(ZipEntryFileName(fileName) + QLatin1String(" (from ") +
                                      CurrentZipName + QLatin1Char(')'));
        break;
    case ZipProgressType::ProgressUpdate: {
        ZipDoneKiB += size / 1024;
        m_ctx.view.setProgressPosition(clampToInt(ZipDoneKiB));
        m_ctx.view.setBytesDone(ZipDoneKiB * 1024);
        const std::uint32_t now = m_ctx.platform.tickCount();
        m_ctx.view.setProgressText(
            SizeProgressText(ZipDoneKiB * 1024, BarMaximumKiB * 1024) +
            QLatin1String(" (Time elapsed: ") +
            ProgressDuration(std::uint32_t(now - m_ctx.job.StepStartTick) / 1000) +
            QLatin1String("/ins: ") +
            ProgressDuration(std::uint32_t(now - m_ctx.job.JobStartTick) / 1000) +
            QLatin1Char(')'));
        // The abort flag stays set: the folder run ends once the extraction has returned.
        if (m_ctx.checkpoint.waitWhilePaused())
            sender.Cancel();
        break;
    }
    default:
        break;
    }
}

TZipMaster::TZipMaster(EngineContext &ctx) : m_ctx(ctx), m_display(ctx)
{
    DLLDirectory = ctx.programFolder;
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
    m_ctx.AddLogLine(LogTag::Unpack + m_ctx.LangText(ZipText::EntryFailed,
                                                     {entry, fileNamePart(ZipFileName), reason}));
}

ZipExtractResult TZipMaster::Extract()
{
    ZipExtractResult result;
    m_cancelRequested = false;
    const QString zipName = fileNamePart(ZipFileName);
    QString folder = ExtrBaseDir;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');

    int openError = 0;
    OpenZip zip;
    zip.archive = zip_open(QFile::encodeName(ZipFileName).constData(), ZIP_RDONLY, &openError);
    if (!zip.archive) {
        m_ctx.AddLogLine(
            LogTag::Unpack +
            m_ctx.LangText(ZipText::ZipFailed, {zipName, m_ctx.LangText(ZipText::NotAZip)}));
        return result;
    }
    result.opened = true;
    RemoveStalePartFiles(folder);

    // First the plan: which entries are files, and what is to be written.
    struct Entry
    {
        zip_uint64_t index;
        QString storedName;
        QString target;
        zip_uint64_t size;
        time_t modified;
        QString refusal; // why it is not written, when it is not
        bool keep;       // a file of that name is there already
        quint32 crc;
        QString clashWith; // an earlier entry of the ZIP with the same file name
    };
    std::vector<Entry> entries;
    const zip_int64_t count = zip_get_num_entries(zip.archive, 0);
    qint64 totalSize = 0;
    int filesToWrite = 0;
    QHash<QString, int> plannedNames; // file name -> index in entries
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = zip_uint64_t(i);
        zip_stat_t stat;
        zip_stat_init(&stat);
        const char *rawName = zip_get_name(zip.archive, index, ZIP_FL_ENC_GUESS);
        const bool statOk = zip_stat_index(zip.archive, index, 0, &stat) == 0;
        Entry entry{index,
                    rawName ? QString::fromUtf8(rawName) : QString(),
                    QString(),
                    statOk && (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0,
                    statOk && (stat.valid & ZIP_STAT_MTIME) ? stat.mtime : 0,
                    QString(),
                    false,
                    statOk && (stat.valid & ZIP_STAT_CRC) ? stat.crc : 0,
                    QString()};
        if (rawName && isFolderEntry(entry.storedName, entry.size))
            continue;
        ++result.files;
        const QString name = ZipEntryFileName(entry.storedName);
        if (!rawName || !statOk || name.isEmpty() || name == QLatin1String(".") ||
            name == QLatin1String("..") || name.contains(QChar(0)))
            entry.refusal = m_ctx.LangText(ZipText::UnusableName);
        else if (isLinkEntry(zip.archive, index))
            entry.refusal = m_ctx.LangText(ZipText::LinkSkipped);
        else if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            entry.refusal = m_ctx.LangText(ZipText::Encrypted);
        else if (QFile::encodeName(name).size() > NAME_MAX)
            entry.refusal = m_ctx.LangText(ZipText::PathTooLong);
        if (entry.refusal.isEmpty()) {
            entry.target = folder + name;
            const auto earlier = plannedNames.constFind(name);
            if (earlier != plannedNames.cend())
                entry.clashWith = entries.at(size_t(*earlier)).storedName;
            entry.keep = earlier != plannedNames.cend() || pathTaken(entry.target);
            if (earlier != plannedNames.cend() && entries.at(size_t(*earlier)).crc == entry.crc &&
                entries.at(size_t(*earlier)).size == entry.size)
                entry.clashWith.clear(); // the same file twice
            if (!entry.keep) {
                plannedNames.insert(name, int(entries.size()));
                totalSize += qint64(entry.size);
                ++filesToWrite;
            }
        }
        entries.push_back(entry);
    }

    auto cancelled = [&] {
        if (!m_cancelRequested)
            return false;
        result.cancelled = true;
        m_ctx.AddLogLine(
            LogTag::Unpack +
            m_ctx.LangText(ZipText::ZipFailed, {zipName, m_ctx.LangText(ZipText::Cancelled)}));
        progress(ZipProgressType::EndOfBatch, QString(), 0);
        return true;
    };

    progress(ZipProgressType::TotalFiles2Process, QString(), filesToWrite);
    progress(ZipProgressType::TotalSize2Process, QString(), totalSize);
    if (cancelled())
        return result;

    std::vector<char> buffer(kBlockSize);
    for (const Entry &entry : entries) {
        if (!entry.refusal.isEmpty()) {
            ++result.failed;
            logEntryFailure(entry.storedName, entry.refusal);
            continue;
        }
        if (!entry.clashWith.isEmpty()) {
            ++result.failed;
            m_ctx.AddLogLine(
                LogTag::Unpack +
                m_ctx.LangText(ZipText::NameClash, {entry.storedName, zipName, entry.clashWith}));
            continue;
        }
        if (entry.keep || pathTaken(entry.target)) {
            // The existing file is kept; only when it holds the entry's own bytes does the entry
            // count as unpacked, so that the ZIP is not deleted for a different file.
            if (sameContent(m_ctx, entry.target, entry.size, entry.crc)) {
                ++result.kept;
            } else {
                ++result.failed;
                m_ctx.AddLogLine(LogTag::Unpack + m_ctx.LangText(ZipText::DifferentFileThere,
                                                                 {entry.storedName, zipName}));
            }
            continue;
        }

        progress(ZipProgressType::NewFile, entry.storedName, qint64(entry.size));
        if (cancelled())
            return result;

        PartFile part(folder);
        if (!part.isOpen()) {
            ++result.failed;
            logEntryFailure(entry.storedName,
                            m_ctx.LangText(isOutOfSpace(part.error()) ? ZipText::WriteFailed
                                                                      : ZipText::CreateFailed));
            if (isOutOfSpace(part.error()))
                break;
            continue;
        }
        OpenEntry data;
        data.file = zip_fopen_index(zip.archive, entry.index, 0);
        if (!data.file) {
            ++result.failed;
            logEntryFailure(entry.storedName, m_ctx.LangText(ZipText::DataDamaged));
            continue;
        }

        bool damaged = false;
        bool writeFailed = false;
        for (;;) {
            const zip_int64_t got = zip_fread(data.file, buffer.data(), buffer.size());
            if (got < 0) {
                damaged = true;
                break;
            }
            if (got == 0)
                break;
            if (!part.write(buffer.data(), got)) {
                writeFailed = true;
                break;
            }
            progress(ZipProgressType::ProgressUpdate, entry.storedName, got);
            m_ctx.checkpoint.pump();
            if (cancelled())
                return result;
        }
        if (!damaged && !writeFailed) {
            const int closeError = zip_fclose(data.file);
            data.file = nullptr;
            damaged = closeError != 0;
        }
        if (!damaged && !writeFailed)
            writeFailed = !part.finish(entry.modified);

        if (damaged) {
            ++result.failed;
            logEntryFailure(entry.storedName, m_ctx.LangText(ZipText::DataDamaged));
            continue;
        }
        if (writeFailed) {
            ++result.failed;
            logEntryFailure(entry.storedName, m_ctx.LangText(ZipText::WriteFailed));
            // The next entries would meet the same full disk.
            if (isOutOfSpace(part.error()))
                break;
            continue;
        }
        switch (part.publish(entry.target)) {
        case PartFile::Publish::Done:
            ++result.written;
            break;
        case PartFile::Publish::Taken:
            ++result.kept;
            break;
        case PartFile::Publish::Failed:
            ++result.failed;
            logEntryFailure(entry.storedName,
                            m_ctx.LangText(part.error() == ENAMETOOLONG ? ZipText::PathTooLong
                                                                        : ZipText::CreateFailed));
            break;
        }
    }
    progress(ZipProgressType::EndOfBatch, QString(), 0);
    return result;
}

bool TZipMaster::ExtractZip(const QString &zipPath, const QString &baseDir)
{
    m_display.ZipDoneKiB = 0;
    m_display.CurrentZipName = fileNamePart(zipPath);
    ZipFileName = zipPath;
    ExtrBaseDir = baseDir.endsWith(QLatin1Char('/')) ? baseDir : baseDir + QLatin1Char('/');
    ForceDirectory(ExtrBaseDir);
    const ZipExtractResult result = Extract();
    if (result.complete())
        m_completeZips.insert(zipPath);
    return result.complete();
}
