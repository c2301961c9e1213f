// Option-set files: the INI reader on arbitrary bytes, read the way a load reads them.

#include <cstddef>
#include <cstdint>
#include <QByteArray>
#include <QString>

#include "settings/IniReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const IniReader ini = IniReader::fromBytes(bytes);
    for (const IniEntry &entry : ini.entries(QStringLiteral("Options")))
        (void)ini.readString(QStringLiteral("options"), entry.key);
    (void)ini.entries(QStringLiteral("Edits"));
    (void)ini.readString(QStringLiteral("other"), QStringLiteral("language"));
    const int count = ini.readInteger(QStringLiteral("ListBox1"), QStringLiteral("ins"), 0);
    for (int i = 0; i < count && i < 1000; ++i)
        (void)ini.readString(QStringLiteral("ListBox1"), QString::number(i));
    return 0;
}
