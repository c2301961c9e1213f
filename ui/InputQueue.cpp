#include "ui/InputQueue.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

#include "engine/GeneralFuncs.h"
#include "engine/TextNumbers.h"
#include "jobs/CommandLine.h"
#include "settings/SettingsModel.h"
#include "ui/MainWindow.h"

namespace {

// The selected entry's row, or -1 when nothing is selected.
int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.constFirst());
}

// The list's setting loses the selected entry; the binding shows it.
void deleteSelected(SettingsModel &settings, const QListWidget *list)
{
    const int row = selectedRow(list);
    if (row < 0)
        return;
    QStringList items = settings.list(list->objectName());
    if (row < items.size())
        items.removeAt(row);
    settings.setList(list->objectName(), items);
}

void append(SettingsModel &settings, const QListWidget *list, const QStringList &entries)
{
    settings.setList(list->objectName(), settings.list(list->objectName()) + entries);
}

// The local paths of a drop from the file manager.
QStringList droppedPaths(const QMimeData *data)
{
    QStringList paths;
    for (const QUrl &url : data->urls())
        paths << (url.isLocalFile() ? url.toLocalFile() : QString());
    return paths;
}

bool isExistingFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

QString BrowseFolder(Dialogs &dialogs, const QString &title, const QString &initial)
{
    return dialogs.chooseFolder(title, initial);
}

QListWidget *GetParentBox(const QWidget *button)
{
    const auto *group = qobject_cast<const QGroupBox *>(button ? button->parentWidget() : nullptr);
    if (!group)
        return nullptr;
    return group->findChild<QListWidget *>(QString(), Qt::FindDirectChildrenOnly);
}

InputQueue::InputQueue(TForm1 &form) : QObject(&form), m_form(form)
{
    connect(form.Button4, &QPushButton::clicked, this, &InputQueue::Button4Click);
    connect(form.Button5, &QPushButton::clicked, this, &InputQueue::Button5Click);
    connect(form.Button6, &QPushButton::clicked, this, &InputQueue::Button6Click);
    connect(form.Button16, &QPushButton::clicked, this, &InputQueue::Button16Click);
    connect(form.Button7, &QPushButton::clicked, this, &InputQueue::Button7Click);
    connect(form.Button10, &QPushButton::clicked, this, &InputQueue::Button10Click);
    connect(form.Button11, &QPushButton::clicked, this, &InputQueue::Button11Click);
    for (QPushButton *button : {form.Button18, form.Button21})
        connect(button, &QPushButton::clicked, this, [this, button] { AddItemClick(button); });
    for (QPushButton *button : {form.Button20, form.Button22})
        connect(button, &QPushButton::clicked, this, [this, button] { DeleteItemClick(button); });
    for (QPushButton *button : {form.Button19, form.Button23})
        connect(button, &QPushButton::clicked, this,
                [this, button] { DeleteAllItemsClick(button); });

    for (QListWidget *list : {form.ListBox1, form.ListBox2, form.ListBox3})
        list->installEventFilter(this);
    // A list view receives drops on its viewport.
    form.ListBox1->setAcceptDrops(true);
    form.ListBox1->viewport()->installEventFilter(this);
    form.Edit1->setAcceptDrops(true);
    form.Edit1->installEventFilter(this);
}

void InputQueue::Button4Click()
{
    browseInto(SettingKey::Edit1, Text::ChooseInputFolder);
}

void InputQueue::Button5Click()
{
    browseInto(SettingKey::Edit2, Text::ChooseOutputFolder);
}

void InputQueue::browseInto(SettingKey field, int titleText)
{
    EngineContext &ctx = m_form.context();
    // Cancelling empties the field, as the chooser's answer is taken as it is.
    const QString folder =
        BrowseFolder(ctx.dialogs, ctx.LangText(titleText), m_form.LastOpenPath());
    m_form.settings().setText(field, folder);
    if (!folder.isEmpty())
        m_form.setLastOpenPath(folder);
}

void InputQueue::Button6Click()
{
    EngineContext &ctx = m_form.context();
    const QString folder =
        BrowseFolder(ctx.dialogs, ctx.LangText(Text::ChooseQueueFolder), m_form.LastOpenPath());
    if (folder.isEmpty())
        return;
    append(m_form.settings(), m_form.ListBox1, {folder});
    m_form.setLastOpenPath(folder);
}

void InputQueue::Button16Click()
{
    EngineContext &ctx = m_form.context();
    const QString folder =
        BrowseFolder(ctx.dialogs, ctx.LangText(Text::ChooseParentFolder), m_form.LastOpenPath());
    if (folder.isEmpty())
        return;
    m_form.setLastOpenPath(folder);
    // Every direct subfolder, hidden ones included, in the order the file system lists them.
    const QDir parent(folder);
    const QStringList names = parent.entryList(
        QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    QStringList subfolders;
    for (const QString &name : names)
        subfolders << NormalizeSlashes(folder + QLatin1Char('/') + name);
    append(m_form.settings(), m_form.ListBox1, subfolders);
}

void InputQueue::Button7Click()
{
    deleteSelected(m_form.settings(), m_form.ListBox1);
}

void InputQueue::Button10Click()
{
    m_form.settings().setQueue({});
}

void InputQueue::Button11Click()
{
    EngineContext &ctx = m_form.context();
    const QString file = ctx.dialogs.chooseOpenFile(TForm1::od.title, QString(), TForm1::od.filter,
                                                    TForm1::od.defaultSuffix);
    if (!file.isEmpty())
        m_form.settings().setSoundFile(file);
}

void InputQueue::AddItemClick(const QWidget *button)
{
    QListWidget *list = GetParentBox(button);
    if (!list)
        return;
    EngineContext &ctx = m_form.context();
    const std::optional<QString> pattern = ctx.dialogs.inputBox(
        QStringLiteral("Add Item"), ctx.LangText(Text::PatternPrompt), QString());
    if (pattern && !pattern->isEmpty())
        append(m_form.settings(), list, {*pattern});
}

void InputQueue::DeleteItemClick(const QWidget *button)
{
    QListWidget *list = GetParentBox(button);
    if (!list)
        return;
    if (selectedRow(list) < 0) {
        EngineContext &ctx = m_form.context();
        ctx.dialogs.messageBox(ctx.LangText(Text::SelectEntryFirst), QStringLiteral("Error"),
                               MessageIcon::Error);
        return;
    }
    deleteSelected(m_form.settings(), list);
}

void InputQueue::DeleteAllItemsClick(const QWidget *button)
{
    if (const QListWidget *list = GetParentBox(button))
        m_form.settings().setList(list->objectName(), {});
}

void InputQueue::FoldersDropped(const QStringList &paths)
{
    if (paths.size() == 1) {
        if (isExistingFolder(paths.constFirst()))
            m_form.settings().setInputFolder(paths.constFirst());
        return;
    }
    QStringList folders;
    for (const QString &path : paths) {
        if (isExistingFolder(path))
            folders << path;
    }
    if (folders.size() == 1) {
        m_form.settings().setInputFolder(folders.constFirst());
        return;
    }
    // The queue mode's rule runs through its radio button.
    m_form.settings().setInputMode(InputModeChoice::Queue);
    m_form.settings().setQueue(QueueWith(m_form.settings().Queue(), folders));
}

void InputQueue::ListBoxKeyDown(QListWidget *list, const QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete)
        deleteSelected(m_form.settings(), list);
}

bool InputQueue::eventFilter(QObject *watched, QEvent *event)
{
    const bool dropTarget = watched == m_form.ListBox1->viewport() || watched == m_form.Edit1;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (dropTarget) {
            auto *drag = static_cast<QDragMoveEvent *>(event);
            if (drag->mimeData()->hasUrls()) {
                drag->acceptProposedAction();
                return true;
            }
        }
        break;
    case QEvent::Drop:
        if (dropTarget) {
            auto *drop = static_cast<QDropEvent *>(event);
            if (drop->mimeData()->hasUrls()) {
                FoldersDropped(droppedPaths(drop->mimeData()));
                drop->acceptProposedAction();
                return true;
            }
        }
        break;
    case QEvent::KeyPress:
        for (QListWidget *list : {m_form.ListBox1, m_form.ListBox2, m_form.ListBox3}) {
            if (watched == list && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
                ListBoxKeyDown(list, static_cast<QKeyEvent *>(event));
                return true;
            }
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
