#pragma once
// Clean-up of a release tree: the user's delete list, whole folders, and folders left empty.

#include <QString>

class EngineContext;

// Deletes everything below folder that the delete list names: matching folders with their
// content, and with ListsApplyToFiles matching files. Descends into every other folder; leaves
// "recycler" folders alone (logged).
void ProcessDeletelist(EngineContext &ctx, const QString &folder);

// Deletes folder with all files and folders in it and logs the outcome; a failure is logged,
// not raised. Links are removed themselves, never what they point to, so nothing outside folder
// is touched; when folder itself is a link, only the link goes.
void DeleteWithContent(EngineContext &ctx, const QString &folder);

// Removes folder when it holds no entry at all (hidden ones count). Throws TevoError when the
// removal fails.
void RemoveDirIfEmpty(EngineContext &ctx, const QString &folder);
