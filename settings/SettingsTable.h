#pragma once
// The one table of Tevo's settings: each key with its kind, default, radio group and caption.

#include <array>
#include <cstddef>

// Every setting, named after the window control that shows it (the option-set files use these
// names as keys); "LastOpenPath" and "ActiveLanguageFile" are the two that no control shows.
// Code names a setting only through this enum, so a misspelt key does not compile.
enum class SettingKey {
    // Input and output.
    RadioButton6,
    RadioButton7,
    Edit1,
    ListBox1,
    RadioButton3,
    RadioButton1,
    RadioButton2,
    Edit2,
    CheckBox2,
    RadioButton12,
    RadioButton14,
    // Options.
    CheckBox1,
    CheckBox4,
    CheckBox6,
    CheckBox9,
    CheckBox22,
    CheckBox5,
    CheckBox15,
    CheckBox3,
    RadioButton4,
    RadioButton5,
    CheckBox11,
    CheckBox16,
    CheckBox8,
    CheckBox10,
    CheckBox17,
    CheckBox7,
    CheckBox18,
    CheckBox25,
    CheckBox26,
    CheckBox27,
    Edit7,
    CheckBox19,
    CheckBox20,
    CheckBox23,
    CheckBox12,
    Edit6,
    ComboBox1,
    ComboBox2,
    // After extraction.
    RadioButton8,
    RadioButton9,
    RadioButton10,
    RJumpBackToWelcome,
    Edit3,
    Edit4,
    CheckBox13,
    RadioButton11,
    RadioButton13,
    Edit5,
    CheckBox14,
    // Skip and delete lists.
    CheckBox21,
    ListBox2,
    ListBox3,
    // The log.
    CheckBox24,
    // No control shows these.
    LastOpenPath,
    ActiveLanguageFile,
};

// A check box and a radio button hold on/off, an edit field or drop-down a text, a list box its
// items. Radio buttons of one group exclude each other as the window's do.
enum class SettingKind { Check, Radio, Text, List };

// One row of the table. caption is the number of the language text that names the setting in
// the window, or NoCaption; englishCaption names it where there is no such text. values says
// what a text setting takes, for the option list and its documentation.
struct SettingRow
{
    SettingKey key;
    const char *name;
    SettingKind kind;
    const char *defaultValue; // "1"/"0" for checks and radios, the items joined by "|" for lists
    const char *group;        // radio buttons only
    int caption;
    const char *englishCaption;
    const char *values;
};

inline constexpr int NoCaption = -1;

// The table, in the order of SettingKey.
extern const std::array<SettingRow, std::size_t(SettingKey::ActiveLanguageFile) + 1> SettingsTable;

// The row of a key.
const SettingRow &SettingRowOf(SettingKey key);
