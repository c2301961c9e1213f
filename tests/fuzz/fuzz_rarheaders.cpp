// A set plan's reading of RAR headers and end records on arbitrary bytes: the format and the end
// record agree, and the plan of a file is never complete without having been opened, names no
// volume before the file itself and no entry of negative size.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include "engine/ArchiveEnd.h"
#include "engine/SetPlan.h"
#include "support/Fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir root;
    static TestContext test;
    const QString path = root.path() + QStringLiteral("/x.rar");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    const RarFormat format = RarFormatOf(path);
    const ArchiveEnd end = ArchiveEndOf(path);
    if ((format == RarFormat::Unknown) != (end == ArchiveEnd::Unknown))
        __builtin_trap();
    if (format == RarFormat::Rar14 && end != ArchiveEnd::Absent)
        __builtin_trap();

    const SetPlan plan = ReadSetPlan(test.context, path);
    if (plan.complete && !plan.opened)
        __builtin_trap();
    if (plan.volumes.isEmpty() || plan.volumes.first() != path || plan.firstVolume != path)
        __builtin_trap();
    for (const PlannedEntry &entry : plan.entries) {
        if (entry.size < 0)
            __builtin_trap();
    }
    test.log.lines.clear();
    return 0;
}
