#include "engine/LegacyNames.h"

#include <QList>
#include <QStringDecoder>

#include "engine/GeneralFuncs.h"

namespace {

constexpr char16_t kMappedMark = 0xFFFE;
constexpr char16_t kMappedFirst = 0xE080;
constexpr char16_t kMappedLast = 0xE0FF;
constexpr unsigned kHostMsDos = 0;
constexpr unsigned kHostOs2 = 1;
constexpr unsigned kRar5Version = 50;

bool IsCp932Lead(uchar byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsCp932Trail(uchar byte)
{
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// Whether bytes are valid CP932 and at least one two-byte character ends in 0x5C.
bool IsCp932WithBackslashTrail(const QByteArray &bytes)
{
    bool backslashTrail = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar byte = uchar(bytes.at(i));
        if (!IsCp932Lead(byte)) {
            if (byte >= 0x80 && !(byte >= 0xA1 && byte <= 0xDF))
                return false;
            continue;
        }
        if (i + 1 >= bytes.size() || !IsCp932Trail(uchar(bytes.at(i + 1))))
            return false;
        backslashTrail = backslashTrail || bytes.at(i + 1) == '\\';
        ++i;
    }
    return backslashTrail;
}

QString Decode(const char *codec, const QByteArray &bytes, bool *ok = nullptr)
{
    QStringDecoder decoder(codec, QStringDecoder::Flag::Stateless);
    const QString text = decoder.isValid() ? decoder(bytes) : QString::fromLatin1(bytes);
    if (ok)
        *ok = decoder.isValid() && !decoder.hasError();
    return text;
}

} // namespace

QString DecodeLegacyName(const QByteArray &bytes, LegacyCodePage fallback)
{
    // Stateless: a sequence cut at the end is an error, not the start of more input.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    if (IsCp932WithBackslashTrail(bytes)) {
        bool ok = false;
        const QString japanese = Decode("windows-31j", bytes, &ok);
        if (ok)
            return japanese;
    }
    // Windows-1252 by the one table Tevo has for it, which needs no codec library.
    return fallback == LegacyCodePage::Cp437 ? Decode("IBM437", bytes) : DecodeWindows1252(bytes);
}

QString ZipEntryName(const QByteArray &stored, const QByteArray &asLibzipReads)
{
    if (stored == asLibzipReads)
        return QString::fromUtf8(asLibzipReads);
    return DecodeLegacyName(stored, LegacyCodePage::Cp437);
}

QString WideFieldText(const wchar_t *field, size_t capacity)
{
    size_t length = 0;
    while (length < capacity && field[length] != 0)
        ++length;
    return QString::fromWCharArray(field, int(length));
}

QString RarEntryName(const QString &stored, unsigned hostOs, unsigned unpackVersion)
{
    if (unpackVersion >= kRar5Version || !stored.contains(QChar(kMappedMark)))
        return stored;
    // Back to the bytes the archive holds: the mapped ones as they were, the others as UTF-8.
    QByteArray bytes;
    for (const char32_t c : stored.toUcs4()) {
        if (c == kMappedMark)
            continue;
        if (c >= kMappedFirst && c <= kMappedLast)
            bytes.append(char(c - 0xE000));
        else
            bytes.append(QString::fromUcs4(&c, 1).toUtf8());
    }
    const bool dos = hostOs == kHostMsDos || hostOs == kHostOs2;
    return DecodeLegacyName(bytes, dos ? LegacyCodePage::Cp437 : LegacyCodePage::Windows1252);
}
