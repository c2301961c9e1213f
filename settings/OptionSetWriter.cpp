#include "settings/OptionSetWriter.h"

#include <QSaveFile>

#include "engine/Errors.h"

namespace OptionSetKeys {
// The keys in the order of the file, two a line as they were first laid out.
// clang-format off
const QStringList Options = {QStringLiteral("RadioButton1"),       QStringLiteral("RadioButton2"),
                             QStringLiteral("CheckBox2"),          QStringLiteral("RadioButton3"),
                             QStringLiteral("RadioButton12"),      QStringLiteral("RadioButton14"),
                             QStringLiteral("CheckBox9"),          QStringLiteral("CheckBox1"),
                             QStringLiteral("CheckBox4"),          QStringLiteral("CheckBox6"),
                             QStringLiteral("CheckBox5"),          QStringLiteral("CheckBox8"),
                             QStringLiteral("CheckBox3"),          QStringLiteral("RadioButton4"),
                             QStringLiteral("RadioButton5"),       QStringLiteral("CheckBox10"),
                             QStringLiteral("CheckBox11"),         QStringLiteral("CheckBox15"),
                             QStringLiteral("CheckBox16"),         QStringLiteral("CheckBox17"),
                             QStringLiteral("CheckBox7"),          QStringLiteral("CheckBox18"),
                             QStringLiteral("CheckBox22"),         QStringLiteral("CheckBox19"),
                             QStringLiteral("CheckBox20"),         QStringLiteral("RadioButton8"),
                             QStringLiteral("RadioButton9"),       QStringLiteral("RadioButton10"),
                             QStringLiteral("CheckBox13"),         QStringLiteral("RadioButton11"),
                             QStringLiteral("RadioButton13"),      QStringLiteral("CheckBox14"),
                             QStringLiteral("RJumpBackToWelcome"), QStringLiteral("CheckBox21"),
                             // Added since, after the others: older files load unchanged.
                             QStringLiteral("CheckBox23"), QStringLiteral("CheckBox24"),
                             QStringLiteral("CheckBox25")};
// clang-format on

const QStringList Edits = {QStringLiteral("Edit1"), QStringLiteral("Edit2"),
                           QStringLiteral("Edit4"), QStringLiteral("Edit6"),
                           QStringLiteral("ComboBox2")};

QString listName(int n)
{
    return QStringLiteral("ListBox") + QString::number(n);
}
} // namespace OptionSetKeys

namespace {

class LineWriter
{
public:
    void header(const QString &section) { line(QLatin1Char('[') + section + QLatin1Char(']')); }
    void entry(const QString &key, const QString &value)
    {
        QString oneLine = value;
        oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '));
        oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
        line(key + QLatin1Char('=') + oneLine);
    }
    QByteArray bytes() const { return m_bytes; }

private:
    void line(const QString &text)
    {
        m_bytes += text.toUtf8();
        m_bytes += "\r\n";
    }
    QByteArray m_bytes;
};

} // namespace

QByteArray OptionSetBytes(const OptionSetSnapshot &snapshot)
{
    LineWriter out;
    out.header(OptionSetKeys::OptionsSection);
    for (const auto &option : snapshot.options)
        out.entry(option.first, option.second ? QStringLiteral("1") : QStringLiteral("0"));
    out.header(OptionSetKeys::EditsSection);
    for (const auto &edit : snapshot.edits)
        out.entry(edit.first, edit.second);
    out.header(OptionSetKeys::OtherSection);
    out.entry(OptionSetKeys::Language, snapshot.language);
    out.entry(OptionSetKeys::LastOpenPath, snapshot.lastOpenPath);
    for (int n = 0; n < snapshot.lists.size(); ++n) {
        const QStringList &items = snapshot.lists.at(n);
        out.header(OptionSetKeys::listName(n + 1));
        for (int i = 0; i < items.size(); ++i)
            out.entry(QString::number(i), items.at(i));
        out.entry(OptionSetKeys::ListCount, QString::number(items.size()));
    }
    return out.bytes();
}

void WriteOptionSetFile(const QString &path, const OptionSetSnapshot &snapshot)
{
    const QByteArray bytes = OptionSetBytes(snapshot);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw TevoError(
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
}
