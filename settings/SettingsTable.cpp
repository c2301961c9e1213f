#include "settings/SettingsTable.h"

#include "engine/TextNumbers.h"

// The row's name is spelt from its key, so the two cannot differ.
#define TEVO_ROW(key, kind, value, group, caption, english, values)                                \
    SettingRow                                                                                     \
    {                                                                                              \
        SettingKey::key, #key, SettingKind::kind, value, group, caption, english, values           \
    }
#define TEVO_CHECK(key, on, caption) TEVO_ROW(key, Check, on, "", caption, "", "0 or 1")
#define TEVO_RADIO(key, on, group, caption) TEVO_ROW(key, Radio, on, group, caption, "", "1")

constexpr std::array<SettingRow, std::size_t(SettingKey::ActiveLanguageFile) + 1> SettingsTable = {{
    // Input and output.
    TEVO_RADIO(RadioButton6, "1", "input", 10),
    TEVO_RADIO(RadioButton7, "0", "input", 13),
    TEVO_ROW(Edit1, Text, "", "", 11, "", "a folder"),
    TEVO_ROW(ListBox1, List, "", "", 13, "", "folders, separated by |"),
    TEVO_RADIO(RadioButton3, "1", "output", 19),
    TEVO_RADIO(RadioButton1, "0", "output", 20),
    TEVO_RADIO(RadioButton2, "0", "output", 21),
    TEVO_ROW(Edit2, Text, "", "", 21, "", "a folder"),
    TEVO_CHECK(CheckBox2, "0", 22),
    TEVO_RADIO(RadioButton12, "1", "naming", 23),
    TEVO_RADIO(RadioButton14, "0", "naming", 24),
    // Options.
    TEVO_CHECK(CheckBox1, "1", 27),
    TEVO_CHECK(CheckBox4, "1", 28),
    TEVO_CHECK(CheckBox6, "0", 29),
    TEVO_CHECK(CheckBox9, "0", 30),
    TEVO_CHECK(CheckBox22, "0", 159),
    TEVO_CHECK(CheckBox5, "1", 31),
    TEVO_CHECK(CheckBox15, "0", 32),
    TEVO_CHECK(CheckBox3, "0", 33),
    TEVO_RADIO(RadioButton4, "1", "deleteTiming", 34),
    TEVO_RADIO(RadioButton5, "0", "deleteTiming", 35),
    TEVO_CHECK(CheckBox11, "0", 36),
    TEVO_CHECK(CheckBox16, "0", 37),
    TEVO_CHECK(CheckBox8, "0", 38),
    TEVO_CHECK(CheckBox10, "0", 39),
    TEVO_CHECK(CheckBox17, "1", 40),
    TEVO_CHECK(CheckBox7, "1", 41),
    TEVO_CHECK(CheckBox18, "1", 42),
    TEVO_CHECK(CheckBox25, "1", Text::Par2Caption),
    TEVO_CHECK(CheckBox26, "0", Text::OtherFormatsCaption),
    TEVO_CHECK(CheckBox27, "1", Text::NestedCaption),
    TEVO_ROW(Edit7, Text, "", "", Text::PasswordListCaption, "",
             "a text file, one password a line"),
    TEVO_CHECK(CheckBox19, "0", 44),
    TEVO_CHECK(CheckBox20, "0", 45),
    TEVO_CHECK(CheckBox23, "1", Text::NotifyCaption),
    TEVO_CHECK(CheckBox12, "0", 50),
    TEVO_ROW(Edit6, Text, "15", "", 58, "", "whole seconds"),
    TEVO_ROW(ComboBox1, Text, "", "", NoCaption, "Language file", "the name of a language file"),
    TEVO_ROW(ComboBox2, Text, "Normal", "", 160, "", "High, Normal or Low"),
    // After extraction.
    TEVO_RADIO(RadioButton8, "1", "after", 62),
    TEVO_RADIO(RadioButton9, "0", "after", 63),
    TEVO_RADIO(RadioButton10, "0", "after", 66),
    TEVO_RADIO(RJumpBackToWelcome, "0", "after", 161),
    TEVO_ROW(Edit3, Text, "", "", 63, "", "a sound file"),
    TEVO_ROW(Edit4, Text, "cdemu load 0 \"%1\"", "", 66, "",
             "a command line, %1 stands for the file"),
    TEVO_CHECK(CheckBox13, "0", 67),
    TEVO_RADIO(RadioButton11, "0", "runFilter", 68),
    TEVO_RADIO(RadioButton13, "1", "runFilter", 69),
    TEVO_ROW(Edit5, Text, "cue", "", 69, "", "a file extension without the dot"),
    TEVO_CHECK(CheckBox14, "0", 71),
    // Skip and delete lists.
    TEVO_CHECK(CheckBox21, "0", 158),
    TEVO_ROW(ListBox2, List, "", "", 77, "", "wildcard patterns (* ? #), separated by |"),
    TEVO_ROW(ListBox3, List, "", "", 81, "", "wildcard patterns (* ? #), separated by |"),
    // The log.
    TEVO_CHECK(CheckBox24, "0", Text::LogFileCaption),
    // No control shows these.
    TEVO_ROW(LastOpenPath, Text, "", "", NoCaption, "The folder last chosen in a folder browser",
             "a folder"),
    TEVO_ROW(ActiveLanguageFile, Text, "", "", NoCaption, "The language file that start-up loads",
             "the name of a language file"),
}};

#undef TEVO_RADIO
#undef TEVO_CHECK
#undef TEVO_ROW

const SettingRow &SettingRowOf(SettingKey key)
{
    return SettingsTable[std::size_t(key)];
}

// A row out of place would give a key another key's name and default.
static_assert(
    [] {
        for (std::size_t i = 0; i < SettingsTable.size(); ++i) {
            if (std::size_t(SettingsTable[i].key) != i)
                return false;
        }
        return true;
    }(),
    "");
