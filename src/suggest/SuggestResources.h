#pragma once
#include <QString>

// The description search's tables compiled into the program (res/suggest).
namespace SuggestResources {
// The UTF-8 text of one of them ("pinyin.txt", "traditional.txt", "words.txt").
QString text(const QString &name);
} // namespace SuggestResources
