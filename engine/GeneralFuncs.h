#pragma once
// Small stateless helpers shared across Tevo: size and duration texts, fields, paths, conversions.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// "1.50 KiB" ... "2.00 TiB"; empty for 1024 bytes or less. Uses the locale's decimal separator.
QString FormatSize(qint64 bytes);
// "1 h 2 m 5 s"; a part that is 0 is left out; weeks wrap at 52.
QString FormatDuration(qint32 seconds);

// Field n (from 1) of text split at separator; a negative n gives field -n and all after it.
QString GetToken(const QString &text, QChar separator, int n);
int TokenCount(const QString &text, QChar separator);
// Not empty and digits "0".."9" only.
bool IsNumeric(const QString &text);
QString IfThenStr(bool condition, const QString &whenTrue, const QString &whenFalse);
QString BoolToDigit(bool value);

// The size of a file in bytes; throws TevoError when it cannot be opened.
qint64 FileSize64(const QString &fileName);
// Writes all size bytes of data to fd, again after an interruption or a short write; false with
// errno set (EIO where the system wrote nothing and said nothing) when it cannot.
bool WriteAll(int fd, const char *data, qint64 size);
// Tevo works in UTF-8 throughout, so there is no other code page to convert to.
QString ToOem(const QString &text);
// Bytes in Windows' Western code page (Windows-1252) as text, without a codec library.
QString DecodeWindows1252(const QByteArray &bytes);
// Text files written on Windows come in its Western code page: bytes that are valid UTF-8 are
// read as UTF-8 (an initial byte-order mark dropped), anything else as Windows-1252.
QString DecodeUtf8OrWindows1252(const QByteArray &bytes);

// The file-name part of a path without its last extension ("movie.part1.rar" -> "movie.part1").
QString NameWithoutExtension(const QString &path);
// The folder part of a path, without a trailing "/" ("/a/b/x.rar" gives "/a/b"); empty for a
// bare name.
QString FolderOf(const QString &path);
// The name part of a path: everything after its last "/".
QString FileNameOf(const QString &path);
// Whether a file of this name (relative to a folder) would lie outside that folder: an empty or
// absolute name, or one with a ".." part.
bool NameLeavesFolder(const QString &name);
// The folder with a trailing "/": itself when it ends in one already.
QString WithSlash(const QString &folder);
// Creates every missing folder of the path; throws TevoError when one cannot be created.
void ForceDirectory(const QString &path);
// Collapses every run of "/" into one; empty stays empty.
QString NormalizeSlashes(const QString &path);
// NormalizeSlashes with a trailing "/"; letter case is kept, as Linux names are case-sensitive.
QString NormalizeFolder(const QString &path);
