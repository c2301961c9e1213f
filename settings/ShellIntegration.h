#pragma once
// The folder context-menu entry "Unpack with Tevo": freedesktop desktop entry and file-manager
// menus.

#include <QString>

namespace ShellIntegration {

inline const QString MenuText = QStringLiteral("Unpack with Tevo");

// $XDG_DATA_HOME, or ~/.local/share when it is unset or not absolute.
QString DataHome();
// The hidden desktop entry that starts Tevo on a folder; its command decides whether the
// integration is on.
QString DesktopEntryPath();
// Dolphin's service menu (KDE): $XDG_DATA_HOME/kio/servicemenus.
QString ServiceMenuPath();
// Nautilus's script (GNOME), written only where Nautilus keeps its scripts folder.
QString NautilusScriptPath();

// The program path as the Exec key of a desktop entry needs it: quoted, with the characters
// that are special inside quotes, the "%" of field codes and the string escapes handled.
QString DesktopExecProgram(const QString &programPath);

// The start-up read: on exactly when the desktop entry exists with a non-empty command.
bool ReadState();
// On: writes every entry (Thunar's and Nemo's actions too) with the program's current path,
// replacing older ones. Off: removes them. Failures are silent, like the rest of the context-menu
// handling.
void Apply(bool on, const QString &programPath);

} // namespace ShellIntegration
