#pragma once
// The error that ends a job: a folder that cannot be created, a file that cannot be read.

#include <QString>
#include <stdexcept>

class TevoError : public std::runtime_error
{
public:
    explicit TevoError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};
