#include "support/Rar4Writer.h"

#include <QFile>
#include <zlib.h>

namespace Rar4Writer {

namespace {

void Put16(QByteArray &out, quint32 value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void Put32(QByteArray &out, quint32 value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

quint32 Crc(const QByteArray &bytes)
{
    return quint32(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(bytes.constData()),
                         uInt(bytes.size())));
}

// A block: its CRC16 (the low half of the CRC32 of what follows it), then the rest.
QByteArray Block(quint8 type, quint16 flags, const QByteArray &fields)
{
    QByteArray rest;
    rest.append(char(type));
    Put16(rest, flags);
    Put16(rest, quint32(2 + rest.size() + 2 + fields.size()));
    rest += fields;
    QByteArray block;
    Put16(block, Crc(rest) & 0xFFFF);
    return block + rest;
}

QByteArray FileBlock(const Entry &entry)
{
    QByteArray fields;
    Put32(fields, quint32(entry.data.size())); // packed size
    Put32(fields, quint32(entry.data.size())); // unpacked size
    fields.append(char(entry.hostOs));
    Put32(fields, Crc(entry.data));
    Put32(fields, 0x5A210000); // a DOS date in 2025
    fields.append(char(entry.unpackVersion));
    fields.append(char(0x30)); // stored
    Put16(fields, quint32(entry.name.size()));
    if (entry.folder)
        Put32(fields, entry.hostOs == 3 ? 040755 : 0x10);
    else
        Put32(fields, entry.hostOs == 3 ? 0100644 : 0x20);
    fields += entry.name;
    return Block(0x74, entry.folder ? 0x80E0 : 0x8000, fields) + entry.data;
}

} // namespace

QByteArray Volume(const QList<Entry> &entries, bool isVolume, bool firstVolume, bool endRecord,
                  bool moreVolumes)
{
    QByteArray out("Rar!\x1A\x07\x00", 7);
    QByteArray mainFields(6, '\0');
    out += Block(0x73, quint16((isVolume ? 0x0001 : 0) | (firstVolume ? 0x0100 : 0)), mainFields);
    for (const Entry &entry : entries)
        out += FileBlock(entry);
    if (endRecord)
        out += Block(0x7B, moreVolumes ? 0x0001 : 0x0000, QByteArray());
    return out;
}

QStringList WriteOldStyleSet(const QString &folder, const QString &name,
                             const QList<QList<Entry>> &volumes)
{
    QStringList paths;
    for (int i = 0; i < volumes.size(); ++i) {
        const QString extension =
            i == 0 ? QStringLiteral(".rar") : QStringLiteral(".r%1").arg(i - 1, 2, 10, QChar('0'));
        const QString path = folder + QLatin1Char('/') + name + extension;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(Volume(volumes.at(i), volumes.size() > 1, i == 0, true, i + 1 < volumes.size()));
        paths << path;
    }
    return paths;
}

} // namespace Rar4Writer
