#pragma once
// The real main window over scripted dialogs and a fake platform, for tests that drive it
// offscreen.

#include "support/Fakes.h"
#include "ui/MainWindow.h"

// Counts the tray and registry rules, whose behaviour lives elsewhere.
class CountingForm : public TForm1
{
public:
    using TForm1::TForm1;
    int trayRuleRuns = 0;
    int shellRuleRuns = 0;
    void ApplyTrayRule() override { ++trayRuleRuns; }
    void ApplyShellIntegrationRule() override { ++shellRuleRuns; }
};

struct WindowFixture
{
    ScriptedDialogs dialogs;
    FakePlatform platform;
    CountingForm form{dialogs, platform};
};
