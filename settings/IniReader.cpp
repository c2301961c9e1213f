#include "settings/IniReader.h"

#include <QFile>

#include <cstring>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The bytes of [begin, end) without the blanks at both ends.
QByteArray trimmedBytes(const char *begin, const char *end)
{
    while (begin < end && isBlank(*begin))
        ++begin;
    while (end > begin && isBlank(end[-1]))
        --end;
    return QByteArray(begin, static_cast<qsizetype>(end - begin));
}

QString foldedName(const QString &name)
{
    return name.toCaseFolded();
}

} // namespace

IniReader::Section &IniReader::sectionNamed(const QString &name)
{
    const QString folded = foldedName(name);
    const auto found = m_indexBySection.constFind(folded);
    if (found != m_indexBySection.constEnd())
        return m_sections[*found]; // a repeated header continues the first section
    m_indexBySection.insert(folded, static_cast<int>(m_sections.size()));
    m_sections.append(Section());
    return m_sections.last();
}

IniReader IniReader::fromBytes(const QByteArray &bytes)
{
    IniReader reader;
    Section *current = nullptr; // entries before the first header belong to no section
    const char *const data = bytes.constData();
    const char *const end = data + bytes.size();
    const char *line = data;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        line += 3; // a UTF-8 byte-order mark written by some editors
    while (line < end) {
        const char *lineEnd = line;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
            ++lineEnd;
        const char *next = lineEnd;
        if (next < end && *next == '\r') {
            ++next;
            if (next < end && *next == '\n')
                ++next;
        } else if (next < end) {
            ++next; // a lone LF
        }

        const char *start = line;
        while (start < lineEnd && isBlank(*start))
            ++start;
        if (start < lineEnd && *start == '[') {
            const char *close =
                static_cast<const char *>(memchr(start, ']', static_cast<size_t>(lineEnd - start)));
            if (close) {
                const QString name = QString::fromUtf8(trimmedBytes(start + 1, close));
                current = &reader.sectionNamed(name);
            }
        } else if (start < lineEnd && *start != ';' && current) {
            const char *equals =
                static_cast<const char *>(memchr(start, '=', static_cast<size_t>(lineEnd - start)));
            if (equals) {
                const QString key = QString::fromUtf8(trimmedBytes(start, equals));
                if (!key.isEmpty()) {
                    const QString folded = foldedName(key);
                    if (!current->indexByKey.contains(folded)) {
                        QString value = QString::fromUtf8(trimmedBytes(equals + 1, lineEnd));
                        if (value.size() > MaxValueLength)
                            value.truncate(MaxValueLength);
                        current->indexByKey.insert(folded,
                                                   static_cast<int>(current->entries.size()));
                        current->entries.append({key, value});
                    }
                }
            }
        }
        line = next;
    }
    return reader;
}

IniReader IniReader::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return IniReader();
    return fromBytes(file.readAll());
}

const IniReader::Section *IniReader::findSection(const QString &section) const
{
    const auto found = m_indexBySection.constFind(foldedName(section));
    return found == m_indexBySection.constEnd() ? nullptr : &m_sections.at(*found);
}

bool IniReader::hasSection(const QString &section) const
{
    return findSection(section) != nullptr;
}

QList<IniEntry> IniReader::entries(const QString &section) const
{
    const Section *found = findSection(section);
    return found ? found->entries : QList<IniEntry>();
}

QString IniReader::readString(const QString &section, const QString &key,
                              const QString &defaultValue) const
{
    const Section *found = findSection(section);
    if (!found)
        return defaultValue;
    const auto entry = found->indexByKey.constFind(foldedName(key));
    return entry == found->indexByKey.constEnd() ? defaultValue : found->entries.at(*entry).value;
}

int IniReader::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = readString(section, key);
    int digitsFrom = 0;
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')))
        digitsFrom = 1;
    if (text.size() <= digitsFrom)
        return defaultValue;
    for (int i = digitsFrom; i < text.size(); ++i) {
        if (text.at(i) < QLatin1Char('0') || text.at(i) > QLatin1Char('9'))
            return defaultValue;
    }
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    return ok ? number : defaultValue;
}
