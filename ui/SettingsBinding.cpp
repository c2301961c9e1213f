#include "ui/SettingsBinding.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "settings/SettingsModel.h"

namespace {

QStringList itemsOf(const QListWidget *list)
{
    QStringList items;
    items.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

} // namespace

SettingsBinding::SettingsBinding(SettingsModel &settings, QWidget &root)
    : QObject(&root), m_settings(settings)
{
    for (const SettingsModel::Key &key : SettingsModel::keys()) {
        auto *control = root.findChild<QWidget *>(key.name);
        if (!control)
            continue;
        m_controls.insert(key.name, control);
        const QString name = key.name;
        auto take = [this, name] { toModel(name); };
        if (auto *button = qobject_cast<QAbstractButton *>(control)) {
            connect(button, &QAbstractButton::toggled, this, take);
        } else if (auto *edit = qobject_cast<QLineEdit *>(control)) {
            connect(edit, &QLineEdit::textChanged, this, take);
        } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
            // The index signal comes first and has the rules behind it.
            connect(combo, &QComboBox::currentIndexChanged, this, take);
            connect(combo, &QComboBox::currentTextChanged, this, take);
            connect(combo, &QComboBox::editTextChanged, this, take);
        } else if (auto *list = qobject_cast<QListWidget *>(control)) {
            QAbstractItemModel *items = list->model();
            connect(items, &QAbstractItemModel::rowsInserted, this, take);
            connect(items, &QAbstractItemModel::rowsRemoved, this, take);
            connect(items, &QAbstractItemModel::rowsMoved, this, take);
            connect(items, &QAbstractItemModel::dataChanged, this, take);
            connect(items, &QAbstractItemModel::modelReset, this, take);
            connect(items, &QAbstractItemModel::layoutChanged, this, take);
        }
        toControl(name);
    }
    connect(&m_settings, &SettingsModel::changed, this, &SettingsBinding::toControl);
}

void SettingsBinding::toModel(const QString &name)
{
    // A control being set from the model passes through states the model never had (a list
    // between clear() and addItems()); only its final state counts, and that is the model's.
    if (m_updating.contains(name))
        return;
    QWidget *control = m_controls.value(name);
    if (auto *radio = qobject_cast<QRadioButton *>(control)) {
        // The button that goes off is told first; the one that comes on moves the group.
        if (radio->isChecked())
            m_settings.setChecked(name, true);
    } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        m_settings.setChecked(name, button->isChecked());
    } else if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        m_settings.setText(name, edit->text());
    } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
        m_settings.setText(name, combo->currentText());
    } else if (auto *list = qobject_cast<QListWidget *>(control)) {
        m_settings.setList(name, itemsOf(list));
    }
}

void SettingsBinding::toControl(const QString &name)
{
    QWidget *control = m_controls.value(name);
    if (!control)
        return;
    if (m_updating.contains(name))
        return;
    m_updating.insert(name);
    const bool set = setControl(name, control);
    m_updating.remove(name);
    // A rule that ran meanwhile may have set the control again (a refused priority): the
    // control's final state is the one the model keeps.
    if (set)
        toModel(name);
}

bool SettingsBinding::setControl(const QString &name, QWidget *control)
{
    // Each control is set only when it differs, so that setting a value it holds runs no rule.
    if (auto *radio = qobject_cast<QRadioButton *>(control)) {
        // The group's new button turns the others off.
        if (!m_settings.isChecked(name) || radio->isChecked())
            return false;
        radio->setChecked(true);
    } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        if (button->isChecked() == m_settings.isChecked(name))
            return false;
        button->setChecked(m_settings.isChecked(name));
    } else if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        if (edit->text() == m_settings.text(name))
            return false;
        edit->setText(m_settings.text(name));
    } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
        const QString text = m_settings.text(name);
        if (combo->currentText() == text)
            return false;
        if (combo->isEditable())
            combo->setCurrentText(text);
        else
            combo->setCurrentIndex(combo->findText(text));
    } else if (auto *list = qobject_cast<QListWidget *>(control)) {
        const QStringList items = m_settings.list(name);
        if (itemsOf(list) == items)
            return false;
        list->clear();
        list->addItems(items);
    }
    return true;
}
