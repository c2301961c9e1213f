#include "engine/Passwords.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "engine/EngineContext.h"
#include "engine/GeneralFuncs.h"
#include "engine/TextNumbers.h"

namespace {

// A password list larger than this is no list of passwords.
constexpr qint64 kMaxListBytes = 1024 * 1024;

const QRegularExpression &InBraces()
{
    static const QRegularExpression pattern(QStringLiteral("\\{\\{(.+?)\\}\\}"));
    return pattern;
}

QString FolderNamePassword(const QString &firstVolume)
{
    for (QDir folder(FolderOf(firstVolume));;) {
        const QRegularExpressionMatch match = InBraces().match(folder.dirName());
        if (match.hasMatch())
            return match.captured(1);
        if (!folder.cdUp())
            return QString();
    }
}

QStringList ListPasswords(EngineContext &ctx, const QString &listPath)
{
    QFile list(listPath);
    if (!list.open(QIODevice::ReadOnly) || list.size() > kMaxListBytes) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::PasswordListUnreadable, {listPath}));
        return {};
    }
    QStringList passwords;
    for (QString line : QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            passwords << line;
    }
    return passwords;
}

} // namespace

QStringList PasswordsFor(EngineContext &ctx, const QString &firstVolume)
{
    QStringList passwords;
    const QString fromName = FolderNamePassword(firstVolume);
    if (!fromName.isEmpty())
        passwords << fromName;
    const QString listPath = ctx.settings.PasswordList();
    if (!listPath.isEmpty())
        passwords << ListPasswords(ctx, listPath);
    passwords.removeDuplicates();
    return passwords;
}

QString WithoutPasswords(const QString &text)
{
    if (!text.contains(QLatin1String("{{")))
        return text;
    QString shown = text;
    return shown.replace(InBraces(), QStringLiteral("{{***}}"));
}
