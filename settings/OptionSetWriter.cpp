#include "settings/OptionSetWriter.h"

#include <QSaveFile>

#include "engine/Errors.h"
#include "settings/SettingsTable.h"

namespace OptionSetKeys {
namespace {
QStringList namesOf(std::initializer_list<SettingKey> keys)
{
    QStringList names;
    for (const SettingKey key : keys)
        names << QString::fromUtf8(SettingRowOf(key).name);
    return names;
}
} // namespace

const QStringList Options = namesOf(
    {SettingKey::RadioButton1, SettingKey::RadioButton2, SettingKey::CheckBox2,
     SettingKey::RadioButton3, SettingKey::RadioButton12, SettingKey::RadioButton14,
     SettingKey::CheckBox9, SettingKey::CheckBox1, SettingKey::CheckBox4, SettingKey::CheckBox6,
     SettingKey::CheckBox5, SettingKey::CheckBox8, SettingKey::CheckBox3, SettingKey::RadioButton4,
     SettingKey::RadioButton5, SettingKey::CheckBox10, SettingKey::CheckBox11,
     SettingKey::CheckBox15, SettingKey::CheckBox16, SettingKey::CheckBox17, SettingKey::CheckBox7,
     SettingKey::CheckBox18, SettingKey::CheckBox22, SettingKey::CheckBox19, SettingKey::CheckBox20,
     SettingKey::RadioButton8, SettingKey::RadioButton9, SettingKey::RadioButton10,
     SettingKey::CheckBox13, SettingKey::RadioButton11, SettingKey::RadioButton13,
     SettingKey::CheckBox14, SettingKey::RJumpBackToWelcome, SettingKey::CheckBox21,
     // Added since, after the others: older files load unchanged.
     SettingKey::CheckBox23, SettingKey::CheckBox24, SettingKey::CheckBox25, SettingKey::CheckBox26,
     SettingKey::CheckBox27});

const QStringList Edits = namesOf({SettingKey::Edit1, SettingKey::Edit2, SettingKey::Edit4,
                                   SettingKey::Edit6, SettingKey::ComboBox2,
                                   // Added since, after the others.
                                   SettingKey::Edit7});

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
