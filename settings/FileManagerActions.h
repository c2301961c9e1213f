#pragma once
// The folder-menu actions of Thunar (custom actions in uca.xml) and Nemo (an action file),
// written only for the file managers that have set up their folders.

#include <QString>

namespace FileManagerActions {

// $XDG_CONFIG_HOME/Thunar/uca.xml: the user's custom actions, ours among them.
QString ThunarActionsPath();
// $XDG_DATA_HOME/nemo/actions/tevo-unpack-folder.nemo_action.
QString NemoActionPath();

// uca.xml with Tevo's action added (or replaced) or, with programPath empty, taken out; every
// other action of the user stays as it is. An empty file gives a new list.
QByteArray ThunarActions(const QByteArray &existing, const QString &programPath);

// On: adds the actions for the program's current path; off: removes them. Silent on failure.
void Apply(bool on, const QString &programPath);

} // namespace FileManagerActions
