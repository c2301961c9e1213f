#include "JsonEvents.h"

#include <cstdio>

#include <QDateTime>
#include <QJsonDocument>

#include "engine/Passwords.h"

void JsonEvents::write(const QString &event, QJsonObject fields)
{
    fields.insert(QStringLiteral("event"), event);
    fields.insert(QStringLiteral("time"), QDateTime::currentDateTime().toString(Qt::ISODate));
    // A folder's name may carry a password ({{password}}); it is never printed.
    const QByteArray line =
        WithoutPasswords(QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)))
            .toUtf8() +
        '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout);
}

void JsonEvents::jobStarted()
{
    write(QStringLiteral("job_start"));
}

void JsonEvents::jobEnded(int unpacked, int failed, int seconds)
{
    write(QStringLiteral("job_end"), {{QStringLiteral("unpacked"), unpacked},
                                      {QStringLiteral("failed"), failed},
                                      {QStringLiteral("seconds"), seconds}});
}

void JsonEvents::folderStarted(const QString &folder)
{
    write(QStringLiteral("folder_start"), {{QStringLiteral("folder"), folder}});
}

void JsonEvents::folderEnded(const QString &folder, int unpacked, int failed)
{
    write(QStringLiteral("folder_end"), {{QStringLiteral("folder"), folder},
                                         {QStringLiteral("unpacked"), unpacked},
                                         {QStringLiteral("failed"), failed}});
}

void JsonEvents::setFound(const QString &set)
{
    m_lastError.clear();
    write(QStringLiteral("set_found"), {{QStringLiteral("set"), set}});
}

void JsonEvents::setChecked(const QString &set, bool passed)
{
    write(QStringLiteral("check"),
          {{QStringLiteral("set"), set}, {QStringLiteral("passed"), passed}});
}

void JsonEvents::setDone(const QString &set)
{
    write(QStringLiteral("set_done"), {{QStringLiteral("set"), set}});
}

void JsonEvents::setFailed(const QString &set, const QString &reason)
{
    write(QStringLiteral("set_failed"),
          {{QStringLiteral("set"), set},
           {QStringLiteral("reason"), reason.isEmpty() ? m_lastError : reason}});
}

void JsonEvents::fileDeleted(const QString &path)
{
    write(QStringLiteral("deleted"), {{QStringLiteral("path"), path}});
}

void JsonEvents::progress(const QString &file, int percent, qint64 bytes)
{
    // Once a second is enough for a dashboard, and keeps a fast extraction from flooding it.
    if (m_sinceProgress.isValid() && m_sinceProgress.elapsed() < 1000)
        return;
    m_sinceProgress.start();
    write(QStringLiteral("progress"), {{QStringLiteral("file"), file},
                                       {QStringLiteral("percent"), percent},
                                       {QStringLiteral("bytes"), bytes}});
}
