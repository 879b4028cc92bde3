#pragma once
#include <QSettings>

// What the program keeps for its user between starts (the user's own settings file).
inline QSettings userSettings() { return QSettings(QStringLiteral("Zendrik"), QStringLiteral("zendrik")); }
