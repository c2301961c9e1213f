#pragma once
// Saving the main window's stored settings to option-set files and applying such files to it.

#include <QString>

#include "settings/OptionSetWriter.h"

class IniReader;
class TForm1;

// The window's stored settings in the order an option-set file holds them.
OptionSetSnapshot OptionSetSnapshotOf(const TForm1 &form);

// Writes the window's stored settings to the file, replacing it; with confirm, then tells the
// user. Throws TevoError when the file cannot be written.
void SaveOptionSet(TForm1 &form, const QString &fileName, bool confirm);

// Applies the file to the window (a missing file reads as empty); the click and change rules
// of the controls it sets run as they are set. With confirm, ends by telling the user.
void LoadOptionSet(TForm1 &form, const QString &fileName, bool confirm);
void ApplyOptionSet(TForm1 &form, const IniReader &file);

// "Save Options" (Button8) and "Open Optionset" (Button9): the dialogs start where last.os is.
void Button8Click(TForm1 &form);
void Button9Click(TForm1 &form);
void ConnectOptionSetButtons(TForm1 &form);
