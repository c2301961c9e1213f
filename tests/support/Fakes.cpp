#include "support/Fakes.h"

#include <QCoreApplication>
#include <QTest>

QStringList RecordingLog::messages() const
{
    QStringList result;
    for (const QString &line : lines)
        result << line.mid(8); // "[hh:nn] "
    return result;
}

bool RecordingLog::contains(const QString &fragment) const
{
    for (const QString &line : lines) {
        if (line.contains(fragment))
            return true;
    }
    return false;
}

void RecordingJobView::setProgressPosition(int position)
{
    progressPosition = position;
    if (onProgress)
        onProgress();
}

void RecordingJobView::setApplicationTitle(const QString &title)
{
    applicationTitle = title;
    titles << title;
}

MessageAnswer ScriptedDialogs::messageBox(const QString &text, const QString &caption,
                                          MessageIcon icon, MessageButtons buttons)
{
    shownMessages.append({text, caption, icon, buttons});
    if (onMessage)
        onMessage(shownMessages.last());
    if (!messageAnswers.empty()) {
        const MessageAnswer answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    if (!defaultMessageAnswer) {
        QTest::qFail(qPrintable(QStringLiteral("unscripted message box: ") + text), __FILE__,
                     __LINE__);
        return MessageAnswer::Cancel;
    }
    return *defaultMessageAnswer;
}

QString ScriptedDialogs::chooseFolder(const QString &, const QString &)
{
    if (folderAnswers.empty())
        return QString();
    const QString answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::chooseOpenFile(const QString &, const QString &, const QString &,
                                        const QString &)
{
    if (fileAnswers.empty())
        return QString();
    const QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::chooseSaveFile(const QString &title, const QString &startFolder,
                                        const QString &filter, const QString &defaultSuffix)
{
    return chooseOpenFile(title, startFolder, filter, defaultSuffix);
}

std::optional<QString> ScriptedDialogs::inputBox(const QString &, const QString &, const QString &)
{
    if (inputAnswers.empty())
        return std::nullopt;
    const std::optional<QString> answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

bool FakePlatform::openPath(const QString &path)
{
    openedPaths << path;
    return true;
}

bool FakePlatform::startDetached(const QString &program, const QStringList &arguments)
{
    startedPrograms << (QStringList{program} + arguments);
    return true;
}

PriorityChoice FakePlatform::setProcessPriority(PriorityChoice priority)
{
    priorities << priority;
    if (priority != PriorityChoice::NoSelection && !refusedPriorities.contains(priority))
        priorityInForce = priority;
    return priorityInForce;
}

void FakePlatform::processEvents()
{
    ++processEventsCalls;
    if (pumpRealEvents)
        QCoreApplication::processEvents();
    if (onProcessEvents)
        onProcessEvents();
}

void FakePlatform::sleepMs(int milliseconds)
{
    tick += static_cast<std::uint32_t>(milliseconds);
}

QString EnglishLanguageFile()
{
    return QStringLiteral(TEVO_SOURCE_DIR "/lang/english.lng");
}

TestContext::TestContext()
{
    language.loadFile(EnglishLanguageFile());
    context.programFolder = QStringLiteral(TEVO_BINARY_DIR "/");
}
