// The click and change rules that tie the main window's controls together. Each rule runs on
// every change, by the user or by code; setting a control to the value it holds runs nothing,
// and a radio button runs its rule only when it becomes checked.

#include "ui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include "jobs/ProcessPriority.h"
#include "settings/ShellIntegration.h"
#include "ui/TrayIcon.h"

namespace {

// Edit fields and the queue list take the edit-field colour when in use and the button-face
// colour otherwise.
void setFieldColour(QWidget *field, bool inUse)
{
    const QPalette standard = QApplication::palette(field);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, standard.color(inUse ? QPalette::Base : QPalette::Button));
    field->setPalette(palette);
}

template <class Button> void onBecomingChecked(Button *button, TForm1 *form, void (TForm1::*rule)())
{
    QObject::connect(button, &QAbstractButton::toggled, form, [form, rule](bool checked) {
        if (checked)
            (form->*rule)();
    });
}

} // namespace

void TForm1::connectRules()
{
    onBecomingChecked(RadioButton6, this, &TForm1::InputModeRule);
    onBecomingChecked(RadioButton7, this, &TForm1::InputModeRule);
    onBecomingChecked(RadioButton1, this, &TForm1::OutputModeRule);
    onBecomingChecked(RadioButton2, this, &TForm1::OutputModeRule);
    onBecomingChecked(RadioButton3, this, &TForm1::OutputModeRule);
    connect(CheckBox2, &QAbstractButton::toggled, this, &TForm1::CheckBox2Click);
    connect(CheckBox3, &QAbstractButton::toggled, this, &TForm1::CheckBox3Click);
    connect(CheckBox20, &QAbstractButton::toggled, this, &TForm1::ApplyTrayRule);
    connect(CheckBox12, &QAbstractButton::toggled, this, &TForm1::ApplyShellIntegrationRule);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm1::ComboBox2Change);
    // Only a pick from the drop-down list loads a language; typing a name does not.
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Select);
}

void TForm1::InputModeRule()
{
    const bool queue = m_settings.InputMode() == InputModeChoice::Queue;
    const bool single = !queue;
    Label1->setEnabled(single);
    Edit1->setEnabled(single);
    Button4->setEnabled(single);
    setFieldColour(Edit1, single);
    for (QPushButton *button : {Button6, Button16, Button7, Button10})
        button->setEnabled(queue);
    // The list stays enabled in both modes: its entries can always be selected and deleted.
    setFieldColour(ListBox1, queue);
    ListBox1->setEnabled(true);
}

void TForm1::OutputModeRule()
{
    // While a folder run holds the output controls, the rule's result waits for the unlock.
    if (m_runControlsLocked)
        return;
    const bool custom = m_settings.OutputMode() == OutputModeChoice::CustomDir;
    Edit2->setEnabled(custom);
    Button5->setEnabled(custom);
    CheckBox2->setEnabled(custom);
    CheckBox2Click();
}

void TForm1::CheckBox2Click()
{
    if (m_runControlsLocked)
        return;
    const bool naming =
        m_settings.OutputMode() == OutputModeChoice::CustomDir && m_settings.SubdirPerEntry();
    RadioButton12->setEnabled(naming);
    RadioButton14->setEnabled(naming);
}

void TForm1::CheckBox3Click()
{
    if (m_runControlsLocked)
        return;
    RadioButton4->setEnabled(m_settings.DeleteSources());
    RadioButton5->setEnabled(m_settings.DeleteSources());
}

void TForm1::ComboBox2Change()
{
    const PriorityChoice wanted = m_settings.Priority();
    const PriorityChoice inForce = ApplyProcessPriority(m_context, wanted);
    if (inForce == wanted || inForce == PriorityChoice::NoSelection)
        return;
    // The list shows what is in force, not a wish the system refused; held back, so that the
    // rule does not run again for it.
    {
        const QSignalBlocker quiet(ComboBox2);
        ComboBox2->setCurrentIndex(static_cast<int>(inForce));
    }
    m_settings.setPriority(inForce);
}

// Filled in by the tray icon.
void TForm1::ApplyTrayRule()
{
    if (m_trayIcon)
        m_trayIcon->AlwaysInTrayChanged(m_settings.AlwaysInTray());
}

// The folder context-menu entry follows the check box; failures are silent.
void TForm1::ApplyShellIntegrationRule()
{
    ShellIntegration::Apply(m_settings.ShellIntegration(), QCoreApplication::applicationFilePath());
}

QList<QWidget *> TForm1::OptionSetContainers() const
{
    return {GroupBox2, Panel3, GroupBox4, GroupBox13, GroupBox8, Panel1, GroupBox10};
}

QList<QAbstractButton *> TForm1::OptionSetButtons() const
{
    const QList<QWidget *> containers = OptionSetContainers();
    QList<QAbstractButton *> buttons;
    // Tab by tab, because showing a tab raises its page to the end of the page stack's
    // children; inside a page, findChildren walks depth first in creation order.
    for (int tab = 0; tab < Pages->count(); ++tab) {
        for (QAbstractButton *button : Pages->widget(tab)->findChildren<QAbstractButton *>()) {
            const bool choice =
                qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button);
            if (choice && containers.contains(button->parentWidget()) && button != CheckBox23 &&
                button != CheckBox25 && button != CheckBox26 && button != CheckBox27)
                buttons << button;
        }
    }
    // Keys added since go after the others, so that older files read as they always did.
    buttons << CheckBox23 << CheckBox24 << CheckBox25 << CheckBox26 << CheckBox27;
    return buttons;
}

QWidget *TForm1::findControl(const QString &name) const
{
    for (QWidget *control : findChildren<QWidget *>()) {
        if (control->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return control;
    }
    return nullptr;
}
