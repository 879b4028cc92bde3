#pragma once
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The words the description search knows beyond the tariff: groups of synonyms (锂电池,
// 锂离子蓄电池) and words that say nothing of the goods (箱, 千克, 精修). The program ships a
// table; a user adds to it in ~/.config/zendrik/suggest-words.txt, written the same way:
//
//     # a comment
//     锂电池 = 锂离子蓄电池 = 锂离子电池
//     - 箱 千克 精修
//
// Words are folded as descriptions are (SuggestText::fold).
class SuggestWords {
public:
    // The shipped table and the user's file when there is one.
    static const SuggestWords &standard();
    // The user's file: $XDG_CONFIG_HOME/zendrik/suggest-words.txt.
    static QString userFile();

    void read(const QString &text);

    // The other words of every group one of whose words the folded text holds.
    QStringList synonymsIn(const QString &folded) const;
    bool isNoise(const QString &word) const { return noise_.contains(word); }
    // Noise words of two or more characters, longest first: cut out wherever they stand.
    const QStringList &longNoise() const { return longNoise_; }
    // Every word of the groups written in Han characters alone: the words declarants use, which
    // pinyin is read as before the tariff's own wording.
    const QStringList &hanWords() const { return hanWords_; }

private:
    QList<QStringList> groups_;
    QSet<QString> noise_;
    QStringList longNoise_;
    QStringList hanWords_;
};
