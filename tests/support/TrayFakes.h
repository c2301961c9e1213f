#pragma once
// A notification area for the tray-icon tests.

#include "ui/TrayIcon.h"

// A notification area under the test's control: it takes the icon unless made unavailable.
struct FakeTrayShell : TrayShell
{
    bool available = true;
    bool shown = false;
    int addRequests = 0;
    bool addIcon() override
    {
        ++addRequests;
        if (available)
            shown = true;
        return available;
    }
    void removeIcon() override { shown = false; }
    bool iconShown() const override { return shown; }
};
