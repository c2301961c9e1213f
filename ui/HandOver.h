#pragma once
// What the running Tevo does with a command line that a second start handed over.

#include <QStringList>

class TForm1;

// The window comes to the front; the folders join the queue (queue mode, each folder once),
// "-unpack" unpacks the queue and "-watch" starts watching, at once or, while a job runs, as
// soon as it has ended.
void TakeHandedOverCommandLine(TForm1 &form, const QStringList &parameters);
