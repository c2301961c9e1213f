#include "HeadlessPlatform.h"

bool HeadlessPlatform::openPath(const QString &path)
{
    m_note(QStringLiteral("Not opened (no desktop): %1").arg(path));
    return false;
}

void HeadlessPlatform::requestShutdown()
{
    m_note(QStringLiteral("Shutdown not requested: tevo-cli never powers the machine off"));
}

void HeadlessSound::PlaySoundFile(const QString &path)
{
    m_note(QStringLiteral("Sound not played (no sound output): %1").arg(path));
}
