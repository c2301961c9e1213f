#pragma once
// Builds real release folders for tests: files of chosen size, RAR sets made by rar, ZIP files made
// by zip and SFV lists made by cksfv.

#include <QString>
#include <QStringList>

namespace ReleaseMaker {

// Writes a file of the given size with bytes drawn from seed (compressible when asked);
// creates missing folders. Returns the path.
QString writeFile(const QString &path, qint64 size, quint32 seed = 1, bool compressible = false);
void writeText(const QString &path, const QByteArray &content);

// Runs a tool in a folder; fails the current test (QVERIFY style) and returns false on error.
bool run(const QString &program, const QStringList &arguments, const QString &workingFolder,
         QString *output = nullptr);

enum class VolumeNaming { Part, OldStyle, Numbered };
// rar a [-m0] -v<volumeKiB>k in folder: archive "name" of the given files (relative to folder).
// rar 7 writes part-style volumes only, so OldStyle renames them to name.rar, name.r00 ... and
// Numbered to name.001, name.002 ... (libunrar follows renamed volumes). Returns the created
// volumes in volume order.
QStringList makeRarSet(const QString &folder, const QString &name, const QStringList &files,
                       int volumeKiB, VolumeNaming naming = VolumeNaming::Part, bool store = true);
// zip -q name files (relative to folder).
bool makeZip(const QString &folder, const QString &zipName, const QStringList &files);
// cksfv -b over the given files (relative to folder), written to folder/sfvName.
bool makeSfv(const QString &folder, const QString &sfvName, const QStringList &files);

// A 16-bit mono PCM WAV file with a 440 Hz tone of the given length.
void writeSineWav(const QString &path, int milliseconds);

// The names of all files below folder, relative to it, sorted.
QStringList listTree(const QString &folder);

// The whole content of a file; empty when it cannot be read.
QByteArray readAll(const QString &path);

} // namespace ReleaseMaker
