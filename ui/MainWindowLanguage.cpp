// Language files in the main window: loading, captions, the language list and the start-up choice.

#include "ui/MainWindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "engine/Errors.h"
#include "engine/TextNumbers.h"
#include "jobs/StartupSettings.h"

namespace {

// Puts a caption on a control of any kind the window uses.
void setCaption(QTabWidget *pages, QWidget *control, const QString &caption)
{
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(caption);
    else if (auto *group = qobject_cast<QGroupBox *>(control))
        group->setTitle(caption);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(caption);
    else if (const int tab = pages->indexOf(control); tab >= 0)
        pages->setTabText(tab, caption);
}

} // namespace

QString TForm1::captionOf(const QWidget *control) const
{
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *group = qobject_cast<const QGroupBox *>(control))
        return group->title();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (const int tab = Pages->indexOf(control); tab >= 0)
        return Pages->tabText(tab);
    return QString();
}

QList<QPair<int, QWidget *>> TForm1::CaptionControls() const
{
    return {// Bottom buttons.
            {0, Button1},
            {1, Button17},
            {2, Button15},
            {3, Button14},
            {4, Button13},
            {5, Button24},
            {6, Button2},
            {7, Button3},
            // Input/Output.
            {8, TabSheet1},
            {9, GroupBox1},
            {10, RadioButton6},
            {11, Label1},
            {12, Button4},
            {13, RadioButton7},
            {14, Button6},
            {15, Button16},
            {16, Button7},
            {17, Button10},
            {18, GroupBox2},
            {19, RadioButton3},
            {20, RadioButton1},
            {21, RadioButton2},
            {12, Button5},
            {22, CheckBox2},
            {23, RadioButton12},
            {24, RadioButton14},
            // Options.
            {25, TabSheet2},
            {26, GroupBox4},
            {27, CheckBox1},
            {28, CheckBox4},
            {29, CheckBox6},
            {30, CheckBox9},
            {31, CheckBox5},
            {32, CheckBox15},
            {33, CheckBox3},
            {34, RadioButton4},
            {35, RadioButton5},
            {36, CheckBox11},
            {37, CheckBox16},
            {38, CheckBox8},
            {39, CheckBox10},
            {40, CheckBox17},
            {41, CheckBox7},
            {42, CheckBox18},
            {43, GroupBox13},
            {44, CheckBox19},
            {45, CheckBox20},
            {46, GroupBox6},
            {47, Label6},
            {48, Label7},
            {49, Label8},
            {50, CheckBox12},
            {51, GroupBox7},
            {52, Label9},
            {53, Label10},
            {54, Label11},
            {55, Button8},
            {56, Button9},
            {57, GroupBox9},
            {58, Label13},
            {59, Label14},
            {159, CheckBox22},
            // After Extraction.
            {60, TabSheet5},
            {61, GroupBox8},
            {62, RadioButton8},
            {63, RadioButton9},
            {64, Button11},
            {65, Button12},
            {66, RadioButton10},
            {67, CheckBox13},
            {68, RadioButton11},
            {69, RadioButton13},
            {70, Label12},
            {71, CheckBox14},
            // Skip/Delete-List.
            {72, TabSheet4},
            {73, GroupBox10},
            {74, Label15},
            {75, Label16},
            {76, Label17},
            {77, GroupBox11},
            {78, Button18},
            {79, Button20},
            {80, Button19},
            {81, GroupBox12},
            {82, Button21},
            {83, Button22},
            {84, Button23},
            // Progress/Log.
            {85, TabSheet3},
            {86, GroupBox5},
            {87, Label2},
            {88, Label3},
            {89, GroupBox3},
            // Added last.
            {158, CheckBox21},
            {160, GroupBox15},
            {161, RJumpBackToWelcome}};
}

void TForm1::InitGUILanguage()
{
    for (const auto &[number, control] : CaptionControls())
        setCaption(Pages, control, m_language.LangText(number));
    // Captions added since: a language file written before them keeps the English one.
    for (const auto &[number, control] : {QPair<int, QWidget *>{Text::NotifyCaption, CheckBox23},
                                          {Text::LogFileCaption, CheckBox24},
                                          {Text::Par2Caption, CheckBox25},
                                          {Text::OtherFormatsCaption, CheckBox26},
                                          {Text::NestedCaption, CheckBox27},
                                          {Text::PasswordListCaption, GroupBox16}}) {
        if (number < m_language.count())
            setCaption(Pages, control, m_language.LangText(number));
    }
    updateParagraphs();
    arrangeButtonRow();
}

void TForm1::loadLanguageFile(const QString &path)
{
    if (m_language.loadFile(path))
        InitGUILanguage();
}

void TForm1::LoadLanguage(const QString &name)
{
    const QString path = LanguageTexts::resolve(name, m_languageFolders);
    if (path.isEmpty())
        return;
    loadLanguageFile(path);
}

void TForm1::TabSheet2Show()
{
    ComboBox1->clear();
    ComboBox1->setEditText(QString());
    QStringList names;
    for (const QString &folder : m_languageFolders) {
        const QStringList found = QDir(folder).entryList(
            {QStringLiteral("*.lng")}, QDir::Files | QDir::Readable, QDir::Unsorted);
        for (const QString &name : found) {
            // A file of the same name in a later folder is hidden by the first one.
            if (!name.isEmpty() && !names.contains(name))
                names << name;
        }
    }
    ComboBox1->addItems(names);
    const QString wanted = ActiveLanguageFile().toLower();
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).toLower() == wanted) {
            ComboBox1->setCurrentIndex(i);
            ComboBox1->setEditText(ActiveLanguageFile());
            return;
        }
    }
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QString());
}

void TForm1::ComboBox1Select()
{
    const QString name = ComboBox1->currentText();
    if (name.isEmpty())
        return;
    setActiveLanguageFile(name);
    try {
        LoadLanguage(name);
    } catch (const TevoError &error) {
        ShowError(error.message());
    }
}

bool TForm1::StartupLanguageLoad()
{
    try {
        const StartupLanguage language = FindStartupLanguage(m_settings, m_languageFolders);
        if (!language.path.isEmpty()) {
            if (language.fallback)
                setActiveLanguageFile(FallbackLanguageFile);
            loadLanguageFile(language.path);
            return true;
        }
    } catch (const TevoError &error) {
        // The file is there but unreadable: the texts stay empty and start-up goes on.
        ShowError(error.message());
        return true;
    }
    m_context.dialogs.messageBox(QStringLiteral("No Language file found! Tevo will terminate now"),
                                 QStringLiteral("Error"), MessageIcon::Error);
    return false;
}
