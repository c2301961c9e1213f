#pragma once
// The CRC-32 of a whole file, as SFV lists carry it.

#include <QString>

class EngineContext;

// The standard CRC-32 (that of ZIP and zlib) of the file as 8 upper-case hexadecimal digits,
// or an empty text when the file cannot be opened. Reads 65521-byte blocks and lets the window
// handle its events after each. Throws TevoError when reading fails part-way.
QString FileCrc32(EngineContext &ctx, const QString &path);
