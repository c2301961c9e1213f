#pragma once
// The niceness of the whole process on Linux, where each thread has its own.

#include "engine/Settings.h"

// The niceness of each priority item: High -10, Normal 0, Low 19.
int NicenessOf(PriorityChoice priority);
// The item that stands for a niceness: below 0 High, 0 Normal, above 0 Low.
PriorityChoice PriorityOfNiceness(int niceness);

// Gives every thread of the process the niceness; threads started later by any of them inherit
// it. False when a thread refused it (raising needs privileges an ordinary user lacks).
bool SetProcessNiceness(int niceness);
// The niceness of the calling thread.
int CurrentNiceness();
