// Builds the controls of the main window. Check boxes and radio buttons are created in the
// order that option-set files list them, whatever their place on screen.

#include "ui/MainWindow.h"

#include <algorithm>

#include "ui/ElidingButton.h"
#include "ui/LabelSlot.h"
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/Pictures.h"

namespace {

constexpr int PagesWidth = 513;
constexpr int PagesHeight = 513;
constexpr int BannerWidth = 505;
constexpr int BannerHeight = 81;
// The indent of options that belong to the option above them.
constexpr int Indent = 18;

template <class Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QCheckBox *newCheckBox(QWidget *parent, const char *name, const QString &caption, bool checked)
{
    auto *box = named(new QCheckBox(caption, parent), name);
    box->setChecked(checked);
    return box;
}

QRadioButton *newRadio(QWidget *parent, const char *name, const QString &caption, bool checked)
{
    auto *radio = named(new QRadioButton(caption, parent), name);
    radio->setChecked(checked);
    return radio;
}

QPushButton *newButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

// A bottom-row button: a translated caption too long for the fixed row is shortened.
QPushButton *newRowButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = named(new ElidingButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

QLabel *newLabel(QWidget *parent, const char *name, const QString &caption)
{
    return named(new QLabel(caption, parent), name);
}

QGroupBox *newGroup(QWidget *parent, const char *name, const QString &caption)
{
    return named(new QGroupBox(caption, parent), name);
}

QLineEdit *newEdit(QWidget *parent, const char *name, const QString &text = QString())
{
    return named(new QLineEdit(text, parent), name);
}

// A frame without border that holds a radio group of its own.
QFrame *newPanel(QWidget *parent, const char *name)
{
    auto *panel = named(new QFrame(parent), name);
    panel->setFrameShape(QFrame::NoFrame);
    return panel;
}

QListWidget *newList(QWidget *parent, const char *name)
{
    auto *list = named(new QListWidget(parent), name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

// Layouts of group boxes: tight, since the fixed window has to hold every option.
template <class Layout> Layout *tight(Layout *layout, int spacing = 2)
{
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(spacing);
    return layout;
}

QHBoxLayout *indented(QWidget *widget)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(Indent, 0, 0, 0);
    row->setSpacing(6);
    if (widget)
        row->addWidget(widget);
    return row;
}

} // namespace

QLabel *TForm1::newParagraph(QWidget *parent, const char *name, const QList<QLabel *> &lines)
{
    auto *paragraph = named(new QLabel(parent), name);
    paragraph->setWordWrap(true);
    for (QLabel *line : lines)
        line->hide();
    m_paragraphs.append({paragraph, lines});
    return paragraph;
}

void TForm1::updateParagraphs()
{
    for (const auto &[paragraph, lines] : std::as_const(m_paragraphs)) {
        QStringList texts;
        for (const QLabel *line : lines) {
            const QString text = line->text().trimmed();
            if (!text.isEmpty())
                texts << text;
        }
        paragraph->setText(texts.join(QLatin1Char(' ')));
    }
}

void TForm1::buildWindow()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tevo"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    setFixedSize(ClientWidth, ClientHeight);

    Pages = named(new QTabWidget(this), "Pages");
    Pages->setGeometry((ClientWidth - PagesWidth) / 2, 4, PagesWidth, PagesHeight);
    // Longer (translated) tab captions scroll instead of pushing tabs off the window.
    Pages->setUsesScrollButtons(true);

    TabSheet1 = named(new QWidget, "TabSheet1");
    Pages->addTab(TabSheet1, QStringLiteral("Input/Output"));
    buildInputOutputTab();
    TabSheet2 = named(new QWidget, "TabSheet2");
    Pages->addTab(TabSheet2, QStringLiteral("Options"));
    buildOptionsTab();
    TabSheet5 = named(new QWidget, "TabSheet5");
    Pages->addTab(TabSheet5, QStringLiteral("After Extraction"));
    buildAfterExtractionTab();
    TabSheet4 = named(new QWidget, "TabSheet4");
    Pages->addTab(TabSheet4, QStringLiteral("Skip/Delete-List"));
    buildSkipDeleteTab();
    TabSheet3 = named(new QWidget, "TabSheet3");
    Pages->addTab(TabSheet3, QStringLiteral("Progress/Log"));
    buildProgressLogTab();

    buildButtonRow();
    buildNonVisualParts();
    updateParagraphs();
    TabSheet2->installEventFilter(this);
}

void TForm1::buildButtonRow()
{
    Button1 = newRowButton(this, "Button1", QStringLiteral("Unpack"));
    Button17 = newRowButton(this, "Button17", QStringLiteral("Watch"));
    Button15 = newRowButton(this, "Button15", QStringLiteral("Pause"));
    Button14 = newRowButton(this, "Button14", QStringLiteral("Stop"));
    Button13 = newRowButton(this, "Button13", QStringLiteral("Disk space"));
    Button24 = newRowButton(this, "Button24", QStringLiteral("Tray"));
    Button2 = newRowButton(this, "Button2", QStringLiteral("About"));
    Button3 = newRowButton(this, "Button3", QStringLiteral("Close"));
    Button1->setDefault(true);
    Button15->setEnabled(false);
    Button14->setEnabled(false);

    arrangeButtonRow();
}

void TForm1::arrangeButtonRow()
{
    const QList<QPushButton *> row{Button1,  Button17, Button15, Button14,
                                   Button13, Button24, Button2,  Button3};
    const int gap = 3;
    const int left = Pages->x();
    const int top = Pages->geometry().bottom() + 4;
    const int height = ClientHeight - top - 4;
    const int available = PagesWidth - gap * (row.size() - 1);
    // Equal widths while every caption fits; otherwise each button gets what its caption
    // needs and an equal share of the rest.
    QList<int> needed;
    int neededTotal = 0;
    int widest = 0;
    for (const QPushButton *button : row) {
        needed << button->fontMetrics().horizontalAdvance(button->text()) + 14;
        neededTotal += needed.last();
        widest = std::max(widest, needed.last());
    }
    // When even that is too wide, the widest buttons are narrowed to one common width, as far
    // as needed, and shorten their captions: no button (least of all Close) leaves the window,
    // and short captions stay whole.
    const int equal = available / int(row.size());
    const int share = std::max(0, available - neededTotal) / int(row.size());
    int cap = widest;
    if (neededTotal > available) {
        QList<int> sorted = needed;
        std::sort(sorted.begin(), sorted.end());
        int rest = available;
        for (int i = 0; i < sorted.size(); ++i) {
            const int remaining = int(sorted.size()) - i;
            if (sorted[i] * remaining > rest) {
                cap = rest / remaining;
                break;
            }
            rest -= sorted[i];
        }
    }
    int x = left;
    for (int i = 0; i < row.size(); ++i) {
        int width = widest <= equal ? equal : needed[i] + share;
        if (neededTotal > available)
            width = std::min(needed[i], cap);
        row[i]->setGeometry(x, top, width, height);
        if (auto *button = dynamic_cast<ElidingButton *>(row[i]))
            button->updateElidedToolTip();
        x += width + gap;
    }
}

void TForm1::buildInputOutputTab()
{
    auto *page = new QVBoxLayout(TabSheet1);
    page->setContentsMargins(2, 2, 2, 2);
    page->setSpacing(6);

    Panel2 = named(new QFrame(TabSheet1), "Panel2");
    Panel2->setFixedSize(BannerWidth, BannerHeight);
    Panel2->setAutoFillBackground(true);
    QPalette black = Panel2->palette();
    black.setColor(QPalette::Window, Qt::black);
    Panel2->setPalette(black);
    Image1 = named(new QLabel(Panel2), "Image1");
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(QPixmap::fromImage(LoadPicture(QStringLiteral("banner.jpg"))));
    auto *banner = new QHBoxLayout(Panel2);
    banner->setContentsMargins(0, 0, 0, 0);
    banner->addWidget(Image1);
    page->addWidget(Panel2, 0, Qt::AlignHCenter);

    // Input.
    GroupBox1 = newGroup(TabSheet1, "GroupBox1", QStringLiteral("Input file(s)"));
    RadioButton6 = newRadio(GroupBox1, "RadioButton6", QStringLiteral("Use Single Folder:"), true);
    Label1 = newLabel(GroupBox1, "Label1", QStringLiteral("Use this folder:"));
    Edit1 = newEdit(GroupBox1, "Edit1");
    Button4 = newButton(GroupBox1, "Button4", QStringLiteral("Browse"));
    RadioButton7 = newRadio(GroupBox1, "RadioButton7", QStringLiteral("Use Queue:"), false);
    ListBox1 = newList(GroupBox1, "ListBox1");
    // Dragging an entry moves it within the queue; the view's default would copy it, and the
    // queue would then hold the folder twice.
    ListBox1->setDragDropMode(QAbstractItemView::InternalMove);
    ListBox1->setDefaultDropAction(Qt::MoveAction);
    Button6 = newButton(GroupBox1, "Button6", QStringLiteral("Add Folder"));
    Button16 = newButton(GroupBox1, "Button16", QStringLiteral("Add +Sub"));
    Button16->setToolTip(QStringLiteral("Add Folder with all subfolders"));
    Button7 = newButton(GroupBox1, "Button7", QStringLiteral("Delete"));
    Button10 = newButton(GroupBox1, "Button10", QStringLiteral("Delete All"));

    auto *input = tight(new QVBoxLayout(GroupBox1), 3);
    input->addWidget(RadioButton6);
    auto *folderRow = indented(Label1);
    folderRow->addWidget(Edit1, 1);
    folderRow->addWidget(Button4);
    input->addLayout(folderRow);
    input->addWidget(RadioButton7);
    auto *queueRow = indented(ListBox1);
    auto *queueButtons = new QVBoxLayout;
    queueButtons->setSpacing(3);
    for (QPushButton *button : {Button6, Button16, Button7, Button10})
        queueButtons->addWidget(button);
    queueButtons->addStretch(1);
    queueRow->addLayout(queueButtons);
    input->addLayout(queueRow, 1);
    page->addWidget(GroupBox1, 1);

    // Output.
    GroupBox2 = newGroup(TabSheet1, "GroupBox2", QStringLiteral("Output file(s)"));
    RadioButton1 = newRadio(GroupBox2, "RadioButton1",
                            QStringLiteral("Create new Directory in inputfolder"), false);
    RadioButton2 =
        newRadio(GroupBox2, "RadioButton2", QStringLiteral("Use custom directory:"), false);
    CheckBox2 = newCheckBox(GroupBox2, "CheckBox2",
                            QStringLiteral("Create new subdirectory for each"), false);
    RadioButton3 = newRadio(GroupBox2, "RadioButton3", QStringLiteral("Use inputfolder"), true);
    Edit2 = newEdit(GroupBox2, "Edit2");
    Button5 = newButton(GroupBox2, "Button5", QStringLiteral("Browse"));
    Panel3 = newPanel(GroupBox2, "Panel3");
    RadioButton12 = newRadio(Panel3, "RadioButton12", QStringLiteral("archivename"), true);
    RadioButton14 =
        newRadio(Panel3, "RadioButton14", QStringLiteral("foldername (from queue)"), false);
    auto *naming = new QHBoxLayout(Panel3);
    naming->setContentsMargins(Indent, 0, 0, 0);
    naming->setSpacing(16);
    naming->addWidget(RadioButton12);
    naming->addWidget(RadioButton14);
    naming->addStretch(1);

    auto *output = tight(new QVBoxLayout(GroupBox2), 3);
    output->addWidget(RadioButton3);
    output->addWidget(RadioButton1);
    auto *customRow = new QHBoxLayout;
    customRow->setSpacing(6);
    customRow->addWidget(RadioButton2);
    customRow->addWidget(Edit2, 1);
    customRow->addWidget(Button5);
    output->addLayout(customRow);
    output->addLayout(indented(CheckBox2));
    auto *namingRow = indented(Panel3);
    output->addLayout(namingRow);
    page->addWidget(GroupBox2);
}

void TForm1::buildOptionsTab()
{
    auto *page = new QHBoxLayout(TabSheet2);
    page->setContentsMargins(2, 2, 2, 2);
    page->setSpacing(4);
    auto *left = new QVBoxLayout;
    left->setSpacing(4);
    auto *right = new QVBoxLayout;
    right->setSpacing(4);
    page->addLayout(left, 0);
    page->addLayout(right, 1);
    // In this order: the option set's buttons follow the order the controls were made in.
    buildOptionsGroup(left);
    buildTrayAndPriorityGroups(left);
    buildOptionsRightColumn(right);
}

void TForm1::buildOptionsGroup(QVBoxLayout *left)
{
    GroupBox4 = newGroup(TabSheet2, "GroupBox4", QStringLiteral(" Options "));
    CheckBox9 =
        newCheckBox(GroupBox4, "CheckBox9", QStringLiteral("Check only, do not extract"), false);
    CheckBox1 = newCheckBox(GroupBox4, "CheckBox1", QStringLiteral("Scan subdirectorys"), true);
    CheckBox4 = newCheckBox(GroupBox4, "CheckBox4", QStringLiteral("Check SFVs"), true);
    CheckBox6 = newCheckBox(GroupBox4, "CheckBox6", QStringLiteral("Show full output"), false);
    CheckBox5 = newCheckBox(GroupBox4, "CheckBox5", QStringLiteral("Open NFOs"), true);
    CheckBox8 =
        newCheckBox(GroupBox4, "CheckBox8", QStringLiteral("Shutdown after extraction"), false);
    CheckBox3 = newCheckBox(GroupBox4, "CheckBox3", QStringLiteral("Delete Files"), false);
    RadioButton4 = newRadio(GroupBox4, "RadioButton4", QStringLiteral("After Extraction"), true);
    RadioButton5 =
        newRadio(GroupBox4, "RadioButton5", QStringLiteral("After Extracting All"), false);
    CheckBox10 =
        newCheckBox(GroupBox4, "CheckBox10", QStringLiteral("Close Tevo after extraction"), false);
    CheckBox11 = newCheckBox(GroupBox4, "CheckBox11",
                             QStringLiteral("Delete sourcefolder if it is empty"), false);
    CheckBox15 = newCheckBox(GroupBox4, "CheckBox15",
                             QStringLiteral("Copy NFO to destination folder"), false);
    CheckBox16 = newCheckBox(GroupBox4, "CheckBox16",
                             QStringLiteral("Open destination folder after unpack"), false);
    CheckBox17 =
        newCheckBox(GroupBox4, "CheckBox17", QStringLiteral("Supress error messages"), true);
    CheckBox7 = newCheckBox(GroupBox4, "CheckBox7", QStringLiteral("Unpack ZIP-files first"), true);
    CheckBox18 =
        newCheckBox(GroupBox4, "CheckBox18", QStringLiteral("Delete ZIP-files after unpack"), true);
    CheckBox25 =
        newCheckBox(GroupBox4, "CheckBox25", QStringLiteral("Repair with PAR2 files"), true);
    CheckBox26 = newCheckBox(GroupBox4, "CheckBox26",
                             QStringLiteral("Also unpack other archive formats"), false);
    CheckBox27 =
        newCheckBox(GroupBox4, "CheckBox27", QStringLiteral("Unpack archives found inside"), true);
    CheckBox22 = newCheckBox(GroupBox4, "CheckBox22",
                             QStringLiteral("Check even if no archive found"), false);
    CheckBox5->setToolTip(QStringLiteral(
        "Will open NFO-Files with the associated Program (Default: MS-Info - be sure you have "
        "changed this when using this option)"));
    CheckBox3->setToolTip(QStringLiteral(
        "Deletes the sourcefiles after Extraction, recommend because it saves disk space"));
    RadioButton4->setToolTip(QStringLiteral(
        "Deletes immediately after one archive has been extracted (for example the whole CD1)"));
    RadioButton5->setToolTip(QStringLiteral(
        "Deletes after ALL files have been extracted (this can take very long if you added many "
        "folders to queue, check for enough disk space before)"));
    CheckBox27->setToolTip(QStringLiteral(
        "Archives that an extracted set holds (a RAR inside a RAR, a subs.rar) are extracted in "
        "their place, two levels deep"));
    CheckBox26->setToolTip(QStringLiteral(
        "Also unpacks tar archives (.tar, .tar.gz, .tar.xz ...) and ISO 9660 disc images; off, "
        "they stay as they are"));
    CheckBox11->setToolTip(
        QStringLiteral("Will delete CD1 and CD2 if you extract to another folder for example"));

    auto *options = tight(new QVBoxLayout(GroupBox4), 1);
    options->addWidget(CheckBox1);
    options->addWidget(CheckBox4);
    options->addLayout(indented(CheckBox6));
    options->addLayout(indented(CheckBox9));
    options->addLayout(indented(CheckBox22));
    options->addWidget(CheckBox5);
    options->addWidget(CheckBox15);
    options->addWidget(CheckBox3);
    options->addLayout(indented(RadioButton4));
    options->addLayout(indented(RadioButton5));
    for (QCheckBox *box : {CheckBox11, CheckBox16, CheckBox8, CheckBox10, CheckBox17, CheckBox7,
                           CheckBox18, CheckBox25, CheckBox27, CheckBox26})
        options->addWidget(box);
    left->addWidget(GroupBox4);
}

void TForm1::buildTrayAndPriorityGroups(QVBoxLayout *left)
{
    GroupBox13 = newGroup(TabSheet2, "GroupBox13", QStringLiteral(" TNA options "));
    CheckBox19 =
        newCheckBox(GroupBox13, "CheckBox19", QStringLiteral("Do not come back from TNA"), false);
    CheckBox20 = newCheckBox(GroupBox13, "CheckBox20", QStringLiteral("Always stay in TNA"), false);
    CheckBox23 = newCheckBox(GroupBox13, "CheckBox23",
                             QStringLiteral("Show a notification when a job ends"), true);
    auto *tray = tight(new QVBoxLayout(GroupBox13), 1);
    tray->addWidget(CheckBox19);
    tray->addWidget(CheckBox20);
    tray->addWidget(CheckBox23);
    left->addWidget(GroupBox13);

    GroupBox15 = newGroup(TabSheet2, "GroupBox15", QStringLiteral(" Priority "));
    ComboBox2 = named(new QComboBox(GroupBox15), "ComboBox2");
    ComboBox2->addItems({QStringLiteral("High"), QStringLiteral("Normal"), QStringLiteral("Low")});
    ComboBox2->setCurrentIndex(1);
    auto *priority = tight(new QVBoxLayout(GroupBox15));
    priority->addWidget(ComboBox2);
    left->addWidget(GroupBox15);
    left->addStretch(1);
}

// The explanatory lines of a group are shown as one wrapped paragraph.
void TForm1::buildOptionsRightColumn(QVBoxLayout *right)
{
    GroupBox6 = newGroup(TabSheet2, "GroupBox6", QStringLiteral(" Shell integration "));
    Label6 = newLabel(GroupBox6, "Label6",
                      QStringLiteral("If you activate this option, you will have a new option"));
    Label7 = newLabel(GroupBox6, "Label7",
                      QStringLiteral("in the folder context menu named \"Unpack with Tevo\"."));
    Label8 = newLabel(GroupBox6, "Label8",
                      QStringLiteral("You maybe know this feature from programs like WinRAR."));
    CheckBox12 =
        newCheckBox(GroupBox6, "CheckBox12", QStringLiteral("Activate Shell Integration"), false);
    auto *shell = tight(new QVBoxLayout(GroupBox6), 4);
    shell->addWidget(newParagraph(GroupBox6, "ShellIntegrationText", {Label6, Label7, Label8}));
    shell->addWidget(CheckBox12);
    right->addWidget(GroupBox6);

    GroupBox7 = newGroup(TabSheet2, "GroupBox7", QStringLiteral(" Optionsets "));
    Label9 = newLabel(GroupBox7, "Label9",
                      QStringLiteral("You can save your settings to a file for porting them"));
    Label10 = newLabel(GroupBox7, "Label10",
                       QStringLiteral("to another computer or just switch fast between often"));
    Label11 = newLabel(GroupBox7, "Label11", QStringLiteral("used settings."));
    Button8 = newButton(GroupBox7, "Button8", QStringLiteral("Save Options"));
    Button9 = newButton(GroupBox7, "Button9", QStringLiteral("Open Optionset"));
    auto *sets = tight(new QVBoxLayout(GroupBox7), 4);
    sets->addWidget(newParagraph(GroupBox7, "OptionsetsText", {Label9, Label10, Label11}));
    auto *setButtons = new QHBoxLayout;
    setButtons->setSpacing(6);
    setButtons->addWidget(Button8);
    setButtons->addWidget(Button9);
    sets->addLayout(setButtons);
    right->addWidget(GroupBox7);

    GroupBox9 = newGroup(TabSheet2, "GroupBox9", QStringLiteral(" Watch "));
    Label13 = newLabel(GroupBox9, "Label13", QStringLiteral("Check directories every "));
    Edit6 = newEdit(GroupBox9, "Edit6", QStringLiteral("15"));
    Edit6->setFixedWidth(36);
    Label14 = newLabel(GroupBox9, "Label14", QStringLiteral("seconds"));
    auto *watch = tight(new QHBoxLayout(GroupBox9), 4);
    watch->addWidget(Label13);
    watch->addWidget(Edit6);
    watch->addWidget(Label14);
    watch->addStretch(1);
    right->addWidget(GroupBox9);

    GroupBox14 = newGroup(TabSheet2, "GroupBox14", QStringLiteral(" Language file "));
    Label18 = newLabel(GroupBox14, "Label18", QStringLiteral("File:"));
    ComboBox1 = named(new QComboBox(GroupBox14), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    auto *languageRow = tight(new QHBoxLayout(GroupBox14), 6);
    languageRow->addWidget(Label18);
    languageRow->addWidget(ComboBox1, 1);
    right->addWidget(GroupBox14);

    GroupBox16 = newGroup(TabSheet2, "GroupBox16", QStringLiteral(" Password list "));
    Edit7 = newEdit(GroupBox16, "Edit7", QString());
    Edit7->setToolTip(QStringLiteral(
        "A text file, one password a line, tried on sets that need a password (after a "
        "{{password}} in the folder's name); empty: no password is ever given"));
    tight(new QVBoxLayout(GroupBox16), 4)->addWidget(Edit7);
    right->addWidget(GroupBox16);
    right->addStretch(1);
}

void TForm1::buildAfterExtractionTab()
{
    auto *page = new QVBoxLayout(TabSheet5);
    page->setContentsMargins(2, 2, 2, 2);

    GroupBox8 = newGroup(TabSheet5, "GroupBox8", QStringLiteral(" After Extraction "));
    RadioButton8 = newRadio(GroupBox8, "RadioButton8", QStringLiteral("Do nothing"), true);
    RadioButton9 = newRadio(GroupBox8, "RadioButton9", QStringLiteral("Play sound:"), false);
    Edit3 = newEdit(GroupBox8, "Edit3");
    Button11 = newButton(GroupBox8, "Button11", QStringLiteral("Browse"));
    Button12 = newButton(GroupBox8, "Button12", QStringLiteral("Play"));
    RadioButton10 = newRadio(GroupBox8, "RadioButton10", QStringLiteral("Run application:"), false);
    Edit4 = newEdit(GroupBox8, "Edit4", QStringLiteral("cdemu load 0 \"%1\""));
    CheckBox13 =
        newCheckBox(GroupBox8, "CheckBox13",
                    QStringLiteral("Run for every entry in queue (if queue is used)"), false);
    Panel1 = newPanel(GroupBox8, "Panel1");
    RadioButton11 =
        newRadio(Panel1, "RadioButton11", QStringLiteral("Run application with every file"), false);
    RadioButton13 =
        newRadio(Panel1, "RadioButton13", QStringLiteral("Run only with files of type:"), true);
    Edit5 = newEdit(Panel1, "Edit5", QStringLiteral("cue"));
    Edit5->setFixedWidth(60);
    Label12 = newLabel(Panel1, "Label12", QStringLiteral("(Enter file extension, like \"cue\")"));
    CheckBox14 = newCheckBox(
        Panel1, "CheckBox14",
        QStringLiteral("Run only one time (for CD1 but not for CD2, 3, .. for example)"), false);
    RJumpBackToWelcome =
        newRadio(GroupBox8, "RJumpBackToWelcome",
                 QStringLiteral("Clear queue and jump back to welcome screen"), false);

    auto *filter = new QVBoxLayout(Panel1);
    filter->setContentsMargins(0, 0, 0, 0);
    filter->setSpacing(3);
    filter->addWidget(RadioButton11);
    auto *typeRow = new QHBoxLayout;
    typeRow->setSpacing(6);
    typeRow->addWidget(RadioButton13);
    typeRow->addWidget(Edit5);
    typeRow->addWidget(Label12);
    typeRow->addStretch(1);
    filter->addLayout(typeRow);
    filter->addWidget(CheckBox14);

    auto *actions = tight(new QVBoxLayout(GroupBox8), 4);
    actions->setContentsMargins(10, 10, 10, 10);
    actions->addWidget(RadioButton8);
    actions->addSpacing(6);
    actions->addWidget(RadioButton9);
    auto *soundRow = indented(Edit3);
    soundRow->addWidget(Button11);
    soundRow->addWidget(Button12);
    actions->addLayout(soundRow);
    actions->addSpacing(6);
    actions->addWidget(RadioButton10);
    actions->addLayout(indented(Edit4));
    actions->addLayout(indented(CheckBox13));
    actions->addLayout(indented(Panel1));
    actions->addSpacing(6);
    actions->addWidget(RJumpBackToWelcome);
    actions->addStretch(1);
    page->addWidget(GroupBox8);
}

void TForm1::buildSkipDeleteTab()
{
    auto *page = new QVBoxLayout(TabSheet4);
    page->setContentsMargins(2, 2, 2, 2);
    page->setSpacing(6);

    GroupBox10 = newGroup(TabSheet4, "GroupBox10", QStringLiteral(" Info "));
    Label15 =
        newLabel(GroupBox10, "Label15",
                 QStringLiteral("You can activate this lists to skip for example the \"Subs\" "
                                "directory and delete the \"Sample\" after"));
    Label16 = newLabel(GroupBox10, "Label16",
                       QStringLiteral("extraction. Wildcards are allowed in both list, where * "
                                      "stands for everything, ? for a single char"));
    Label17 = newLabel(GroupBox10, "Label17", QStringLiteral("and # for a number."));
    CheckBox21 =
        newCheckBox(GroupBox10, "CheckBox21", QStringLiteral("Apply to files, too"), false);
    auto *info = tight(new QVBoxLayout(GroupBox10), 4);
    info->addWidget(newParagraph(GroupBox10, "ListsInfoText", {Label15, Label16, Label17}));
    info->addWidget(CheckBox21);
    page->addWidget(GroupBox10);

    auto *lists = new QHBoxLayout;
    lists->setSpacing(6);
    const auto buildList = [&](QGroupBox *&group, const char *groupName, const QString &caption,
                               QListWidget *&list, const char *listName, QPushButton *&add,
                               const char *addName, QPushButton *&remove, const char *removeName,
                               QPushButton *&clear, const char *clearName) {
        group = newGroup(TabSheet4, groupName, caption);
        list = newList(group, listName);
        add = newButton(group, addName, QStringLiteral("Add Item"));
        remove = newButton(group, removeName, QStringLiteral("Delete"));
        clear = newButton(group, clearName, QStringLiteral("Delete All"));
        auto *column = tight(new QVBoxLayout(group), 4);
        column->addWidget(list, 1);
        auto *buttons = new QHBoxLayout;
        buttons->setSpacing(3);
        buttons->addWidget(add);
        buttons->addWidget(remove);
        buttons->addWidget(clear);
        column->addLayout(buttons);
        lists->addWidget(group, 1);
    };
    buildList(GroupBox11, "GroupBox11", QStringLiteral(" Skiplist "), ListBox2, "ListBox2",
              Button18, "Button18", Button20, "Button20", Button19, "Button19");
    buildList(GroupBox12, "GroupBox12", QStringLiteral(" Deletelist "), ListBox3, "ListBox3",
              Button21, "Button21", Button22, "Button22", Button23, "Button23");
    page->addLayout(lists, 1);
}

void TForm1::buildProgressLogTab()
{
    auto *page = new QVBoxLayout(TabSheet3);
    page->setContentsMargins(2, 2, 2, 2);
    page->setSpacing(6);

    GroupBox5 = newGroup(TabSheet3, "GroupBox5", QStringLiteral(" Progress "));
    pbCurrentFile = named(new QProgressBar(GroupBox5), "pbCurrentFile");
    pbCurrentFile->setRange(0, 100);
    pbCurrentFile->setValue(0);
    pbCurrentFile->setTextVisible(false);
    pbCurrentFile->setFixedHeight(16);
    Label2 = newLabel(GroupBox5, "Label2", QStringLiteral("Current File:"));
    Label5 = newLabel(GroupBox5, "Label5", QStringLiteral("??"));
    Label3 = newLabel(GroupBox5, "Label3", QStringLiteral("Progress:"));
    Label4 = newLabel(GroupBox5, "Label4", QStringLiteral("?? MB/ ?? MB"));
    Label5->setTextInteractionFlags(Qt::NoTextInteraction);
    auto *progress = tight(new QGridLayout(GroupBox5), 4);
    progress->addWidget(pbCurrentFile, 0, 0, 1, 2);
    progress->addWidget(Label2, 1, 0, Qt::AlignTop);
    // Two lines each: a real progress text ("1.52 GiB/4.37 GiB (Time elapsed: ...") or a file
    // name with its volume is wider than the column.
    progress->addWidget(new LabelSlot(Label5, GroupBox5, 2), 1, 1);
    progress->addWidget(Label3, 2, 0, Qt::AlignTop);
    progress->addWidget(new LabelSlot(Label4, GroupBox5, 2), 2, 1);
    progress->setColumnStretch(1, 1);
    page->addWidget(GroupBox5);
    setProgressEnabled(false);

    GroupBox3 = newGroup(TabSheet3, "GroupBox3", QStringLiteral("Log"));
    Memo1 = named(new QPlainTextEdit(GroupBox3), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // One log line is one line on screen: a deletion line names two full paths, and wrapped it
    // filled three rows and hid the lines around it.
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setPointSize(8);
    fixed.setStyleHint(QFont::TypeWriter);
    Memo1->setFont(fixed);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu *menu = createLogContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(Memo1->viewport()->mapToGlobal(at));
    });
    CheckBox24 =
        newCheckBox(GroupBox3, "CheckBox24",
                    QStringLiteral("Also write the log to tevo.log in the settings folder"), false);
    auto *log = tight(new QVBoxLayout(GroupBox3));
    log->addWidget(Memo1);
    log->addWidget(CheckBox24);
    page->addWidget(GroupBox3, 1);
}

void TForm1::buildNonVisualParts()
{
    Timer1 = named(new QTimer(this), "Timer1");

    TrayMenu = named(new QMenu(this), "TrayMenu");
    Open1 = named(TrayMenu->addAction(QStringLiteral("Open")), "Open1");
    QFont bold = Open1->font();
    bold.setBold(true);
    Open1->setFont(bold);
    TrayMenu->setDefaultAction(Open1);
    N1 = named(TrayMenu->addSeparator(), "N1");
    Pause1 = named(TrayMenu->addAction(QStringLiteral("Pause")), "Pause1");
    Stop1 = named(TrayMenu->addAction(QStringLiteral("Stop")), "Stop1");
    DiskSpace1 = named(TrayMenu->addAction(QStringLiteral("Disk Space")), "DiskSpace1");
}
