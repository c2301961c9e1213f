#pragma once
// Every setting key described for users, from the settings table: tevo-cli --list-options,
// docs/options.md and tevo-cli --set's reading of KEY=VALUE.

#include <QString>

class LanguageTexts;
class SettingsModel;

// The list of every key with its caption (from the loaded language file), the values it takes,
// its default and where an option-set file stores it; Markdown that reads as plain text too.
QString OptionsReference(const LanguageTexts &language);

// Applies one KEY=VALUE (the key in any letter case) to the settings. Returns empty when done,
// else what is wrong (unknown key, a value the key does not take), and changes nothing then.
QString ApplySettingAssignment(SettingsModel &settings, const QString &assignment);
