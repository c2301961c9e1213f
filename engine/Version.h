#pragma once
// Tevo's version, as the start-up line and --version name it.

#include <QString>

inline const QString TevoVersionText = QStringLiteral("v1.06");
