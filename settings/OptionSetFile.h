#pragma once
// Saving the stored settings to option-set files and applying such files to the settings.

#include <functional>
#include <QString>

#include "settings/OptionSetWriter.h"

class IniReader;
class SettingsModel;

// The stored settings in the order an option-set file holds them.
OptionSetSnapshot OptionSetSnapshotOf(const SettingsModel &settings);

// Writes the stored settings to the file, replacing it. Throws TevoError when the file cannot be
// written.
void SaveOptionSet(const SettingsModel &settings, const QString &fileName);

// Applies the file to the settings (a missing file reads as empty), entry by entry in the file's
// order, so that whatever listens to the model hears each change as it is made; ends with the
// model's optionSetApplied(). The priority is applied after each of its entries, matched or not:
// when the entry changed nothing, priorityEntry is called to apply it.
void ApplyOptionSet(SettingsModel &settings, const IniReader &file,
                    const std::function<void()> &priorityEntry = {});
void LoadOptionSet(SettingsModel &settings, const QString &fileName,
                   const std::function<void()> &priorityEntry = {});
