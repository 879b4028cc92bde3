#pragma once
#include <QChar>
#include <QString>

// The toneless pinyin syllable of a Han character ("niu" for 牛), its most common reading; empty
// for a character without one. The table is compiled into the program.
namespace Pinyin {
QString syllable(QChar han);
} // namespace Pinyin
