// Option-set files applied to the settings model, as start-up applies last.os: whatever the
// bytes, each radio group keeps one button on, and what was taken saves and loads back as it is.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <QByteArray>
#include <QHash>

#include "settings/IniReader.h"
#include "settings/OptionSetFile.h"
#include "settings/SettingsModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    SettingsModel settings;
    ApplyOptionSet(settings, IniReader::fromBytes(bytes));

    QHash<QString, int> onPerGroup;
    for (const SettingsModel::Key &key : SettingsModel::keys()) {
        if (key.kind == SettingsModel::Kind::Radio)
            onPerGroup[key.group] += settings.isChecked(key.name) ? 1 : 0;
    }
    for (const int on : std::as_const(onPerGroup)) {
        if (on != 1)
            std::abort();
    }

    const QByteArray saved = OptionSetBytes(OptionSetSnapshotOf(settings));
    SettingsModel again;
    ApplyOptionSet(again, IniReader::fromBytes(saved));
    if (OptionSetBytes(OptionSetSnapshotOf(again)) != saved)
        std::abort();
    return 0;
}
