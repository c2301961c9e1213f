#include "engine/LanguageTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "engine/Errors.h"
#include "engine/GeneralFuncs.h"

QString LanguageTexts::LangText(int n, const QStringList &values) const
{
    if (n < 0 || n >= m_lines.size())
        return QString();
    QString text = m_lines.at(n);
    for (const QString &value : values) {
        const int at = text.indexOf(QLatin1String("%s"));
        if (at < 0)
            break;
        text.replace(at, 2, value);
    }
    return text;
}

void LanguageTexts::setText(const QString &text)
{
    m_lines.clear();
    int start = 0;
    const int length = text.size();
    for (int i = 0; i < length; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        m_lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < length && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < length)
        m_lines.append(text.mid(start));
}

bool LanguageTexts::loadFile(const QString &path)
{
    QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    m_lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TevoError(QStringLiteral("Cannot read the language file \"%1\": %2")
                            .arg(path, file.errorString()));
    setText(DecodeUtf8OrWindows1252(file.readAll()));
    return true;
}

QString LanguageTexts::resolve(const QString &name, const QStringList &languageFolders)
{
    if (name.isEmpty())
        return QString();
    QFileInfo direct(name);
    if (direct.exists() && !direct.isDir())
        return name;
    if (QDir::isAbsolutePath(name))
        return QString();
    for (const QString &folder : languageFolders) {
        const QString candidate = QDir(folder).filePath(name);
        QFileInfo info(candidate);
        if (info.exists() && !info.isDir())
            return candidate;
    }
    return QString();
}
