#pragma once
// The modal dialogs the program shows; the window shows real ones, tests answer from a script.

#include <optional>
#include <QString>

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class Dialogs
{
public:
    virtual ~Dialogs() = default;

    virtual MessageAnswer messageBox(const QString &text, const QString &caption, MessageIcon icon,
                                     MessageButtons buttons = MessageButtons::Ok) = 0;
    // An error that the window shows in its log only (the settings or the moment keep it out of
    // a box); a program without a window still writes it where its errors go.
    virtual void errorWithoutBox(const QString &text) { Q_UNUSED(text); }
    // A folder chooser starting at startFolder; empty when cancelled.
    virtual QString chooseFolder(const QString &title, const QString &startFolder) = 0;
    // File choosers; filter is "Name|*.ext|Name|*.*" as the window defines it; empty when
    // cancelled.
    virtual QString chooseOpenFile(const QString &title, const QString &startFolder,
                                   const QString &filter, const QString &defaultSuffix) = 0;
    virtual QString chooseSaveFile(const QString &title, const QString &startFolder,
                                   const QString &filter, const QString &defaultSuffix) = 0;
    // A one-line input box; nullopt when cancelled.
    virtual std::optional<QString> inputBox(const QString &caption, const QString &prompt,
                                            const QString &initial) = 0;
};
