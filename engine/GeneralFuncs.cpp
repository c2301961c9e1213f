#include "engine/GeneralFuncs.h"

#include <cerrno>
#include <cmath>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <unistd.h>

#include "engine/Errors.h"

QString FormatSize(qint64 bytes)
{
    static const struct
    {
        qint64 threshold;
        const char *unit;
    } units[] = {
        {1024LL, "KiB"}, {1048576LL, "MiB"}, {1073741824LL, "GiB"}, {1099511627776LL, "TiB"}};

    QString result;
    for (const auto &row : units) {
        if (row.threshold >= bytes)
            continue;
        const long double quotient = static_cast<long double>(bytes) / row.threshold;
        const QLocale locale;
        QString number;
        if (quotient >= 99999.5L) {
            number = locale.toString(static_cast<double>(quotient), 'E', 4);
        } else {
            // At most 5 significant digits and at most 2 decimals, written with 2 decimals.
            const int integerDigits =
                quotient < 1.0L ? 1 : static_cast<int>(std::floor(std::log10(quotient))) + 1;
            const int decimals = qBound(0, 5 - integerDigits, 2);
            const long double scale = std::pow(10.0L, decimals);
            const long double rounded = std::round(quotient * scale) / scale;
            number = locale.toString(static_cast<double>(rounded), 'f', 2);
            number.remove(locale.groupSeparator());
        }
        result = number + QLatin1Char(' ') + QLatin1String(row.unit);
    }
    return result;
}

QString FormatDuration(qint32 s)
{
    const qint32 seconds = s % 60;
    const qint32 minutes = (s / 60) % 60;
    const qint32 hours = (s / 3600) % 24;
    const qint32 days = (s / 86400) % 7;
    const qint32 weeks = ((s / 86400) / 7) % 52;
    QString text;
    if (weeks > 0)
        text += QString::number(weeks) + QLatin1String(" w ");
    if (days > 0)
        text += QString::number(days) + QLatin1String(" d ");
    if (hours > 0)
        text += QString::number(hours) + QLatin1String(" h ");
    if (minutes > 0)
        text += QString::number(minutes) + QLatin1String(" m ");
    if (seconds > 0)
        text += QString::number(seconds) + QLatin1String(" s");
    return text;
}

QString GetToken(const QString &text, QChar separator, int n)
{
    if (!text.contains(separator))
        return (n == 1 || n == -1) ? text : QString();
    QString rest = text;
    const int skips = std::abs(n) - 1;
    for (int i = 0; i < skips; ++i) {
        const int at = rest.indexOf(separator);
        if (at < 0) {
            rest.clear();
            break;
        }
        rest = rest.mid(at + 1);
    }
    const int at = rest.indexOf(separator);
    if (n < 0 || at < 0)
        return rest;
    return rest.left(at);
}

int TokenCount(const QString &text, QChar separator)
{
    return text.count(separator) + 1;
}

bool IsNumeric(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

QString IfThenStr(bool condition, const QString &whenTrue, const QString &whenFalse)
{
    return condition ? whenTrue : whenFalse;
}

QString BoolToDigit(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

qint64 FileSize64(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw TevoError(
            QStringLiteral("Cannot open file \"%1\": %2").arg(fileName, file.errorString()));
    return file.size();
}

bool WriteAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

QString ToOem(const QString &text)
{
    return text;
}

QString DecodeWindows1252(const QByteArray &bytes)
{
    // 0x80 to 0x9F differ from Latin-1; the five bytes Windows leaves unassigned keep their
    // Latin-1 (control) meaning.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        text[i] = byte >= 0x80 && byte < 0xA0 ? QChar(high[byte - 0x80]) : QChar(byte);
    }
    return text;
}

QString DecodeUtf8OrWindows1252(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? DecodeWindows1252(bytes) : text;
}

QString FolderOf(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

QString FileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString NameWithoutExtension(const QString &path)
{
    const QString name = FileNameOf(path);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

bool NameLeavesFolder(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return true;
    for (const QString &part : name.split(QLatin1Char('/'))) {
        if (part == QLatin1String(".."))
            return true;
    }
    return false;
}

QString WithSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

void ForceDirectory(const QString &path)
{
    // One left-to-right pass that turns each pair "//" into "/".
    QString folder = path;
    folder.replace(QLatin1String("//"), QLatin1String("/"));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    for (int at = folder.indexOf(QLatin1Char('/')); at >= 0;
         at = folder.indexOf(QLatin1Char('/'), at + 1)) {
        const QString prefix = folder.left(at + 1);
        if (QFileInfo(prefix).isDir())
            continue;
        if (!QDir().mkdir(prefix) && !QFileInfo(prefix).isDir())
            throw TevoError(QStringLiteral("Cannot create folder \"%1\"").arg(prefix));
    }
}

QString NormalizeSlashes(const QString &path)
{
    QString result = path;
    while (result.contains(QLatin1String("//")))
        result.replace(QLatin1String("//"), QLatin1String("/"));
    return result;
}

QString NormalizeFolder(const QString &path)
{
    return WithSlash(NormalizeSlashes(path));
}
