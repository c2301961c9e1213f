#include "support/ReleaseMaker.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

namespace ReleaseMaker {

QString writeFile(const QString &path, qint64 size, quint32 seed, bool compressible)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QTest::qFail(qPrintable(QStringLiteral("cannot write ") + path), __FILE__, __LINE__);
        return path;
    }
    QRandomGenerator random(seed);
    QByteArray block(64 * 1024, '\0');
    qint64 left = size;
    while (left > 0) {
        if (compressible) {
            for (int i = 0; i < block.size(); ++i)
                block[i] = "Tevo release data "[i % 18];
            block[0] = char(random.generate() & 0xff);
        } else {
            auto *words = reinterpret_cast<quint32 *>(block.data());
            random.fillRange(words, block.size() / 4);
        }
        const qint64 chunk = qMin<qint64>(left, block.size());
        file.write(block.constData(), chunk);
        left -= chunk;
    }
    return path;
}

void writeText(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

bool run(const QString &program, const QStringList &arguments, const QString &workingFolder,
         QString *output)
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        const QString message = QStringLiteral("%1 %2 failed: %3")
                                    .arg(program, arguments.join(QLatin1Char(' ')),
                                         QString::fromLocal8Bit(process.readAll()));
        QTest::qFail(qPrintable(message), __FILE__, __LINE__);
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return true;
}

QStringList makeRarSet(const QString &folder, const QString &name, const QStringList &files,
                       int volumeKiB, VolumeNaming naming, bool store)
{
    QStringList arguments{QStringLiteral("a"), QStringLiteral("-idq"), QStringLiteral("-ep1"),
                          QStringLiteral("-v%1k").arg(volumeKiB)};
    if (store)
        arguments << QStringLiteral("-m0");
    if (naming == VolumeNaming::OldStyle)
        arguments << QStringLiteral("-vn") << QStringLiteral("-ma4");
    arguments << name << files;
    if (!run(QStringLiteral("rar"), arguments, folder))
        return {};
    const QString stem = QFileInfo(name).completeBaseName();
    QStringList volumes;
    const QStringList entries = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.startsWith(stem + QLatin1Char('.')) &&
            (entry.endsWith(QLatin1String(".rar")) ||
             (entry.size() > 4 && entry.at(entry.size() - 4) == QLatin1Char('.') &&
              entry.at(entry.size() - 3) == QLatin1Char('r'))))
            volumes << QDir(folder).filePath(entry);
    }
    return volumes;
}

bool makeZip(const QString &folder, const QString &zipName, const QStringList &files)
{
    return run(QStringLiteral("zip"), QStringList{QStringLiteral("-q"), zipName} + files, folder);
}

bool makeSfv(const QString &folder, const QString &sfvName, const QStringList &files)
{
    QString output;
    if (!run(QStringLiteral("cksfv"), QStringList{QStringLiteral("-b")} + files, folder, &output))
        return false;
    writeText(QDir(folder).filePath(sfvName), output.toUtf8());
    return true;
}

QStringList listTree(const QString &folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext())
        names << base.relativeFilePath(it.next());
    names.sort();
    return names;
}

} // namespace ReleaseMaker
