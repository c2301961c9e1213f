#pragma once
// The "*", "?", "#" pattern language of the skip and delete lists, and the list look-ups.

#include <QString>
#include <QStringList>

class EngineContext;

// Whether pattern matches the whole path. "*" is any run of characters, "?" exactly one
// character, "#" exactly one digit; everything else, "/" and "." included, stands for itself and
// letter case counts. A pattern with two wildcards side by side never matches; an empty path
// matches nothing.
bool MatchesWildcard(const QString &path, const QString &pattern);

// The index of the first pattern in list order that matches path, or -1.
int FirstMatchingPattern(const QString &path, const QStringList &patterns);

// True when a skip-list pattern matches path; logs which one.
bool IsInSkipList(EngineContext &ctx, const QString &path);
// True when a delete-list pattern matches path (no log line).
bool IsInDeleteList(EngineContext &ctx, const QString &path);
