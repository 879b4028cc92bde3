#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// How the description search reads text, the same for the names it indexes and for what a
// declarant types: full-width letters and digits as half-width, traditional characters as
// simplified, Latin letters in lower case.
namespace SuggestText {
QString fold(const QString &text);

inline bool isHan(QChar c) { return c.unicode() >= 0x3400 && c.unicode() <= 0x9FFF; }
inline bool isLatin(QChar c) { return c.unicode() >= u'a' && c.unicode() <= u'z'; }

// A run of one kind in a folded text: Han characters, or a Latin word (letters and digits,
// "bosch", "wb12345", "10kg").
struct Piece {
    QString text;
    bool han = false;
    qsizetype at = 0; // where it starts in the folded text
};
QList<Piece> pieces(const QString &folded);

// Whether a Latin word names the goods rather than a model, factory number or weight: letters
// alone, at least two of them.
bool isWord(const QString &latin);

// The terms the evidence index keeps for a folded name: each pair of neighbouring Han characters
// and each Latin word, once each.
QStringList evidenceTerms(const QString &folded);
} // namespace SuggestText
