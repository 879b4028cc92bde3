#pragma once
#include <QString>

// Program start: the single-instance guard, the application title, the main window and the
// hidden About window, then the message loop. Returns when the program ends.
void runProgram(const QString &guardName);
