#pragma once
// The loaded language file: line n is language text n, with "%s" placeholders filled by LangText.

#include <QString>
#include <QStringList>

class LanguageTexts
{
public:
    // Text n with each value put, in order, in place of the first "%s" the text then holds;
    // empty when n is beyond the loaded lines.
    QString LangText(int n, const QStringList &values = {}) const;

    // Replaces the texts by the lines of the file. A missing file changes nothing and gives
    // false. A file that exists but cannot be read leaves the texts empty and throws TevoError.
    bool loadFile(const QString &path);
    // Splits text at CR LF, lone LF and lone CR; a last line without an end mark counts.
    void setText(const QString &text);

    int count() const { return m_lines.size(); }
    void clear() { m_lines.clear(); }

    // Where a language file of that name is: the name itself when it exists (a bare name is
    // looked up in the current folder), else the first of the program's language folders that
    // holds it; empty when none does.
    static QString resolve(const QString &name, const QStringList &languageFolders);

private:
    QStringList m_lines;
};
