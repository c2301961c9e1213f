#pragma once
// Reads option-set files by the INI rules Tevo relies on; a pure function of the file's bytes.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

struct IniEntry
{
    QString key;
    QString value;
};

// Sections start at "[name]"; entries are "key=value" (further "=" belong to the value).
// Section names and keys compare without regard to letter case, blanks around keys and values
// are dropped, the first occurrence of a key counts, a value is cut at 2047 characters and is
// otherwise kept exactly as written (quotes included). Lines end with CR LF, LF or CR. Lines
// starting with ";" are comments; lines that are neither a header nor an entry are ignored.
class IniReader
{
public:
    static constexpr int MaxValueLength = 2047;

    IniReader() = default;
    static IniReader fromBytes(const QByteArray &bytes);
    // A file that is missing or cannot be read reads as empty.
    static IniReader fromFile(const QString &path);

    bool hasSection(const QString &section) const;
    // The section's entries in file order, each key once with its first value.
    QList<IniEntry> entries(const QString &section) const;
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;
    // A whole number (optional sign, decimal digits, in the int range); else defaultValue.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;

private:
    struct Section
    {
        QList<IniEntry> entries;
        QHash<QString, int> indexByKey; // case-folded key -> position in entries
    };
    const Section *findSection(const QString &section) const;
    Section &sectionNamed(const QString &name);

    QList<Section> m_sections;
    QHash<QString, int> m_indexBySection; // case-folded name -> position in m_sections
};
