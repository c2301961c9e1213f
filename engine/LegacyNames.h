#pragma once
// Names written by older tools in a code page instead of UTF-8: SFV lists, PAR2 files, ZIP entries
// without the UTF-8 flag and RAR 2 to 4 entries without a Unicode name.

#include <QByteArray>
#include <QString>

// The code page a tool is taken to have written in when its bytes are no UTF-8.
enum class LegacyCodePage {
    Cp437,       // the DOS code page, which ZIP assumes
    Windows1252, // the Windows code page of Western Europe
};

// The bytes of a name (or of a whole list of names) as text: UTF-8 when they are valid UTF-8;
// else CP932 (Shift-JIS) when they are valid there and hold a character whose second byte is
// 0x5C, which a single-byte reading would take for a backslash; else the fallback code page.
QString DecodeLegacyName(const QByteArray &bytes, LegacyCodePage fallback);

// The name of a ZIP entry from its stored bytes and from what libzip made of them (UTF-8 when the
// entry says so or the bytes are valid UTF-8, else CP437): libzip's reading, unless it took the
// bytes for CP437, when DecodeLegacyName decides, so that a Shift-JIS name is not cut at its
// 0x5C bytes.
QString ZipEntryName(const QByteArray &stored, const QByteArray &asLibzipReads);

// The text of a fixed-size wide-character field of libunrar's records (names, volume names, link
// targets): up to its first NUL, or the whole field when it fills it.
QString WideFieldText(const wchar_t *field, size_t capacity);

// The name of a RAR entry from the name libunrar hands over (WideFieldText of its name field).
// libunrar keeps name bytes that are not valid UTF-8 as the characters U+E080..U+E0FF after a
// U+FFFE mark; those bytes are decoded by the system that made the archive (hostOs, RAR's
// numbering: 0 MS-DOS, 1 OS/2, 2 Windows, 3 Unix), as the UnRAR tools of that system would read
// them. (libunrar reports MS-DOS and OS/2 archives as Windows ones, so those are read as
// Windows-1252 too.) Names of RAR 5 archives (unpackVersion 50 and later) are UTF-8 by
// definition; bytes that are not stay as libunrar gives them.
QString RarEntryName(const QString &stored, unsigned hostOs, unsigned unpackVersion);
