// Language files: line splitting and "%s" filling on arbitrary bytes.

#include <cstddef>
#include <cstdint>
#include <QString>
#include <QStringList>

#include "engine/LanguageTexts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    LanguageTexts texts;
    texts.setText(QString::fromUtf8(bytes));
    const QStringList values{QStringLiteral("a%s"), QStringLiteral("%s%s"), QString()};
    for (int n = -1; n <= texts.count(); ++n)
        (void)texts.LangText(n, values);
    return 0;
}
