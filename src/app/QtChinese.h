#pragma once

// Makes Qt's own texts Chinese: the buttons of message boxes ("确定"), the file dialog's labels
// and context menus. Loads Qt's zh_CN translations (Debian package qt6-translations-l10n)
// whatever the desktop's language, since the program speaks only Chinese; dates and numbers keep
// the user's locale. Needs a QCoreApplication; installing twice does nothing more. False when
// the translations are not installed: Qt's texts then stay English, nothing else changes.
bool installQtChinese();
