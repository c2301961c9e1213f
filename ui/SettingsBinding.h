#pragma once
// Ties each control of a window to the setting of its object name, both ways: a change of the
// control goes to the model, a change of the model to the control, whose own signals then run
// the click and change rules as if the user had made it.

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

class QWidget;
class SettingsModel;

class SettingsBinding : public QObject
{
    Q_OBJECT

public:
    // Binds the controls under root that carry a setting's name; the model's values go to them
    // first. Bind before connecting the rules, so that a rule reads the model already changed.
    SettingsBinding(SettingsModel &settings, QWidget &root);

private:
    void toModel(const QString &name);
    void toControl(const QString &name);
    // Sets the control to the model's value; false when it held that value already.
    bool setControl(const QString &name, QWidget *control);

    SettingsModel &m_settings;
    QHash<QString, QWidget *> m_controls;
    QSet<QString> m_updating; // controls being set from the model
};
