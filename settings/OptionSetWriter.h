#pragma once
// Writes option-set files ("*.os", "last.os") from a plain copy of the stored settings.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace OptionSetKeys {
// The check boxes and radio buttons of [Options], in the order they are written.
extern const QStringList Options;
// The texts and choices of [Edits], in the order they are written.
extern const QStringList Edits;
inline const QString OptionsSection = QStringLiteral("Options");
inline const QString EditsSection = QStringLiteral("Edits");
inline const QString OtherSection = QStringLiteral("other");
inline const QString Language = QStringLiteral("language");
inline const QString LastOpenPath = QStringLiteral("LastOpenPath");
inline const QString ListCount = QStringLiteral("ins");
inline const QString DefaultLanguage = QStringLiteral("english.lng");
// "ListBox1", "ListBox2" ...: the component and section name of list n (from 1).
QString listName(int n);
} // namespace OptionSetKeys

// What an option-set file holds, in the order it is written.
struct OptionSetSnapshot
{
    QList<QPair<QString, bool>> options;  // [Options]: control name, checked
    QList<QPair<QString, QString>> edits; // [Edits]: control name, text
    QString language;                     // [other] language
    QString lastOpenPath;                 // [other] LastOpenPath
    QList<QStringList> lists;             // [ListBox1], [ListBox2] ... in order
};

// The file's bytes: UTF-8, every line ended by CR LF, values as they are. A line end inside a
// value would split it into lines of its own (a folder name could even forge a section), so
// each CR or LF in a value is written as a blank.
QByteArray OptionSetBytes(const OptionSetSnapshot &snapshot);

// Replaces the file's whole content at once (the old content stays if writing fails);
// throws TevoError when the file cannot be created or written.
void WriteOptionSetFile(const QString &path, const OptionSetSnapshot &snapshot);
