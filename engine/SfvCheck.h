#pragma once
// SFV verification: reading a checksum list and checking the files it names.

#include <optional>
#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class EngineContext;

// One entry line of an SFV file.
struct SfvEntry
{
    QString name;        // the text before the first blank, or the whole line
    QString expectedCrc; // the text after the first blank up to the next one; may be empty
    bool hasBlank;       // entries without a blank do not count towards the progress bar
};

// The entries of an SFV file in order. Lines end with CR LF, LF or CR; empty lines and lines
// starting with ";" are comments. A line that ends in blanks and eight hexadecimal digits is a
// name (blanks inside it included, as checksum tools write them) and that CRC; any other line is
// split at its first blank. Text that is not valid UTF-8 is read as CP932 or Windows-1252, the way
// Windows tools write it (DecodeLegacyName); NULs and blanks at the end of the file are padding.
// Never fails: any bytes give some list of entries.
QList<SfvEntry> ParseSfv(const QByteArray &content);

// A real SFV file of a million volumes is still far below this; anything larger is not a
// checksum list, and is not loaded into memory.
constexpr qint64 MaximumSfvSize = 64 * 1024 * 1024;

// The entries of the SFV file at path, for a quiet look (the watch round, the clean-up); nullopt
// when it cannot be read or is too large to be one. The check itself reports such a list.
std::optional<QList<SfvEntry>> ReadSfvEntries(const QString &path);

// Where an entry's file lies: the folder of the SFV file (ending with "/") followed by the
// name. Empty when the name could reach outside that folder: an absolute name, a ".."
// component, a NUL character, or a link that resolves to a place outside the folder. When no file
// of that exact name is there, a single file whose name differs only in letter case is taken.
QString SfvEntryPath(const QString &sfvFolder, const QString &name);

// Checks every file the SFV file lists against its CRC-32, showing progress and logging the
// outcome; true when all listed files are there and match (also when the SFV file does not
// exist). Stops at the first mismatch; in watch mode fails at once when a listed file is
// missing. Waits while the job is paused and stops when it is aborted. Entries naming a file of
// otherSetsVolumes (paths as NormalizeSlashes gives them) belong to another set of a shared list:
// they are passed over, neither checked nor counted.
// What a check found wrong, by the names the list gives.
struct SfvFindings
{
    QStringList missing;
    QStringList damaged;
};
bool CheckSFV(EngineContext &ctx, const QString &sfvPath,
              const QSet<QString> &otherSetsVolumes = {}, SfvFindings *findings = nullptr);
