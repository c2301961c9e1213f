// The ZIP component on arbitrary bytes: whatever the file holds, extraction writes only plain
// files directly into its folder, never beside or above it, and leaves no part files behind.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "engine/ZipMaster.h"
#include "support/Fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir root;
    static TestContext test;
    const QString zipPath = root.path() + QStringLiteral("/in.zip");
    const QString outFolder = root.path() + QStringLiteral("/out");

    QFile zipFile(zipPath);
    if (!zipFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    zipFile.write(reinterpret_cast<const char *>(data), qint64(size));
    zipFile.close();

    TZipMaster zip(test.context);
    const ZipExtractResult result = zip.Extract(); // no file name yet: must fail cleanly
    if (result.opened)
        __builtin_trap();
    const bool complete = zip.ExtractZip(zipPath, outFolder);
    if (complete && !zip.CompleteZips().contains(zipPath))
        __builtin_trap();

    QDirIterator it(root.path(),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        if (path == zipPath || path == outFolder)
            continue;
        // Only regular files, directly in the output folder, under a final name.
        if (info.absolutePath() != outFolder || info.isSymLink() || !info.isFile() ||
            info.fileName().endsWith(QLatin1String(".part")))
            __builtin_trap();
    }
    QDir(outFolder).removeRecursively();
    test.log.lines.clear();
    return 0;
}
