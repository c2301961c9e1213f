#include "support/Rar4Writer.h"

#include <zlib.h>

namespace Rar4Writer {

namespace {

// Little-endian, as RAR stores its numbers.
void Put(QByteArray &out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

quint32 Crc(const QByteArray &bytes)
{
    return quint32(
        crc32(0, reinterpret_cast<const Bytef *>(bytes.constData()), uInt(bytes.size())));
}

// A block: its CRC16 (the low half of the CRC32 of what follows it), then the rest.
QByteArray Block(quint8 type, quint16 flags, const QByteArray &fields)
{
    QByteArray rest(1, char(type));
    Put(rest, flags, 2);
    Put(rest, quint32(7 + fields.size()), 2); // the whole block's size
    rest += fields;
    QByteArray block;
    Put(block, Crc(rest) & 0xFFFF, 2);
    return block + rest;
}

QByteArray FileBlock(const Entry &entry)
{
    const QByteArray &whole = entry.split ? entry.whole : entry.data;
    QByteArray fields;
    Put(fields, quint32(entry.data.size()), 4); // packed size
    Put(fields, quint32(whole.size()), 4);      // unpacked size
    fields.append(char(entry.hostOs));
    Put(fields, Crc((entry.split & 0x2) ? entry.data : whole), 4);
    Put(fields, 0x5A210000, 4); // a DOS date in 2025
    fields.append(char(20));    // the version RAR 3 writes for stored files
    fields.append(char(0x30));  // stored
    Put(fields, quint32(entry.name.size()), 2);
    Put(fields, entry.hostOs == 3 ? 0100644 : 0x20, 4); // a plain file's attributes
    return Block(0x74, quint16(0x8000 | entry.split), fields + entry.name) + entry.data;
}

} // namespace

QList<Entry> Split(const QByteArray &name, const QByteArray &whole, int at, unsigned hostOs)
{
    return {{name, whole.left(at), hostOs, 0x2, whole}, {name, whole.mid(at), hostOs, 0x1, whole}};
}

QByteArray Volume(const QList<Entry> &entries, bool isVolume, bool firstVolume, bool endRecord,
                  bool moreVolumes)
{
    QByteArray out("Rar!\x1A\x07\x00", 7);
    out += Block(0x73, quint16((isVolume ? 0x0001 : 0) | (firstVolume ? 0x0100 : 0)),
                 QByteArray(6, '\0'));
    for (const Entry &entry : entries)
        out += FileBlock(entry);
    if (endRecord)
        out += Block(0x7B, moreVolumes ? 0x0001 : 0x0000, {});
    return out;
}

} // namespace Rar4Writer
