#pragma once
// The platform services on a Linux desktop: the system's, and the desktop's "open".

#include "platform/SystemPlatform.h"

class DesktopPlatform : public SystemPlatform
{
public:
    // Files open with their associated program, folders in the file manager.
    bool openPath(const QString &path) override;
};
