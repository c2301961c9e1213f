// The SFV reader on arbitrary bytes: never fails, and every entry is one clean line.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <QByteArray>

#include "engine/SfvCheck.h"

namespace {

bool IsCrc(const QString &text)
{
    if (text.size() != 8)
        return false;
    for (const QChar c : text) {
        if (!isxdigit(c.toLatin1()) || c.unicode() > 0x7F)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const QList<SfvEntry> entries = ParseSfv(content);
    // NULs and blanks at the end are padding: they change nothing.
    const QList<SfvEntry> padded = ParseSfv(content + QByteArray("\0 \0\0", 4));
    if (padded.size() != entries.size())
        __builtin_trap();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (padded.at(i).name != entries.at(i).name ||
            padded.at(i).expectedCrc != entries.at(i).expectedCrc)
            __builtin_trap();
    }
    for (const SfvEntry &entry : entries) {
        const QString line = entry.name + entry.expectedCrc;
        if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')))
            __builtin_trap();
        // A name holds blanks only when the line ends in blanks and eight hexadecimal digits
        // ("name with blanks 1A2B3C4D"), and then it does not end in a blank.
        if (entry.expectedCrc.contains(QLatin1Char(' ')))
            __builtin_trap();
        if (entry.name.contains(QLatin1Char(' ')) &&
            (!IsCrc(entry.expectedCrc) || entry.name.endsWith(QLatin1Char(' '))))
            __builtin_trap();

        if (!entry.hasBlank && (entry.name.isEmpty() || !entry.expectedCrc.isEmpty()))
            __builtin_trap();
        if (entry.name.startsWith(QLatin1Char(';')))
            __builtin_trap();
        // A name that could reach outside the folder is never resolved to a path.
        const QString path = SfvEntryPath(QStringLiteral("/nonexistent-tevo-fuzz/"), entry.name);
        if (!path.isEmpty() && (entry.name.startsWith(QLatin1Char('/')) ||
                                entry.name.split(QLatin1Char('/')).contains(QLatin1String(".."))))
            __builtin_trap();
    }
    return 0;
}
