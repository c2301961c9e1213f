// Field splitting and path clean-up on arbitrary text.

#include <cstddef>
#include <cstdint>
#include <QString>

#include "engine/GeneralFuncs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QChar separator = QLatin1Char(static_cast<char>(data[0]));
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), static_cast<int>(size - 1));
    const int count = TokenCount(text, separator);
    for (int n = -count - 1; n <= count + 1; ++n)
        (void)GetToken(text, separator, n);
    const QString slashes = NormalizeSlashes(text);
    if (slashes.contains(QLatin1String("//")))
        __builtin_trap();
    const QString folder = NormalizeFolder(text);
    if (!folder.endsWith(QLatin1Char('/')))
        __builtin_trap();
    (void)NameWithoutExtension(text);
    (void)IsNumeric(text);
    return 0;
}
