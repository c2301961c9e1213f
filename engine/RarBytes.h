#pragma once
// The little-endian numbers, header CRCs and variable-length numbers of RAR headers, for the
// readers that look at volumes without libunrar.

#include <QtGlobal>
#include <zlib.h>

namespace RarBytes {

inline quint32 Le32(const uchar *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

inline quint16 Le16(const uchar *p)
{
    return quint16(p[0] | p[1] << 8);
}

inline quint32 Crc(const uchar *data, qint64 size)
{
    return quint32(crc32(crc32(0, nullptr, 0), data, uInt(size)));
}

// A RAR 5 variable-length number; false when it runs past end.
inline bool ReadVint(const uchar *&p, const uchar *end, quint64 &value)
{
    value = 0;
    for (int shift = 0; p < end && shift < 64; shift += 7) {
        const uchar byte = *p++;
        value |= quint64(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

} // namespace RarBytes
