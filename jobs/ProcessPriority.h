#pragma once
// The priority rule shared by the window's drop-down and tevo-cli: ask the system for the chosen
// priority and say so in the log when it refuses.

#include "engine/Settings.h"

class EngineContext;

// Sets the process priority; returns the one in force afterwards. A refusal (an ordinary user
// cannot raise the priority again) is logged with both priorities. NoSelection changes nothing.
PriorityChoice ApplyProcessPriority(EngineContext &ctx, PriorityChoice wanted);
