#include "support/ReleaseMaker.h"

#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QtMath>

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
    // The tools store names as the locale encodes them; archives are made with UTF-8 names even
    // when the tests themselves run in the C locale.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
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
    arguments << name << files;
    if (!run(QStringLiteral("rar"), arguments, folder))
        return {};
    const QString stem = QFileInfo(name).completeBaseName();
    const QDir dir(folder);
    QStringList volumes;
    const QStringList entries = dir.entryList(QDir::Files, QDir::Name);
    for (const QString &entry : entries) {
        if (entry == stem + QStringLiteral(".rar") ||
            (entry.startsWith(stem + QStringLiteral(".part")) && entry.endsWith(".rar")))
            volumes << dir.filePath(entry);
    }
    if (naming == VolumeNaming::Part)
        return volumes;
    QStringList renamed;
    for (int i = 0; i < volumes.size(); ++i) {
        QString target;
        if (naming == VolumeNaming::Numbered)
            target = QStringLiteral("%1.%2").arg(stem).arg(i + 1, 3, 10, QLatin1Char('0'));
        else if (i == 0)
            target = stem + QStringLiteral(".rar");
        else
            target = QStringLiteral("%1.r%2").arg(stem).arg(i - 1, 2, 10, QLatin1Char('0'));
        if (!QFile::rename(volumes.at(i), dir.filePath(target))) {
            QTest::qFail(qPrintable(QStringLiteral("cannot rename ") + volumes.at(i)), __FILE__,
                         __LINE__);
            return {};
        }
        renamed << dir.filePath(target);
    }
    return renamed;
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

void writeSineWav(const QString &path, int milliseconds)
{
    const int rate = 22050;
    const int samples = rate * milliseconds / 1000;
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    for (int i = 0; i < samples; ++i)
        out << qint16(8000 * qSin(2 * M_PI * 440 * i / rate));
    writeText(path, data);
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

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace ReleaseMaker
