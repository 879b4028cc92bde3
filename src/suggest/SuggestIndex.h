#pragma once
#include "suggest/SuggestEvidence.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

class Connection;

// One tariff line the description search proposes.
struct Suggestion {
    QString code; // plain, as the tariff writes it
    QString name;
    QString rate; // the MFN import rate as the tariff grid shows it ("10")
    QStringList matched; // the words of the name the description matched, in the name's order
    QList<std::pair<int, int>> spans; // where they stand in the name (start, length)
    // Evidence: the cases and rulings filed under the line's 8-digit code whose names hold the
    // description's most telling word found there.
    qint64 cases = 0, rulings = 0;
    double score = 0;
};

// The ranked search by description: "冻藏带骨野牛肉 草饲 10kg/箱", "锂电池", "niurou", a
// traditional-character invoice. The tariff lines' names are ranked by BM25 over Han characters,
// Han pairs and Latin words, with the description read as declarants write it (SuggestText,
// Pinyin, SuggestWords); the declaration history (SuggestEvidence) adds the codes colleagues
// filed goods of such names under. The tariff is read once (a few thousand lines); the evidence
// of each description's words is read from the database as it is asked for.
class SuggestIndex {
public:
    // Reads the tariff of the connection's database; throws AppError.
    explicit SuggestIndex(Connection &connection);

    // The `top` best lines, best first; none for a description without a word to go by.
    QList<Suggestion> suggest(const QString &description, int top) const;
    qsizetype lineCount() const { return lines_.size(); }

private:
    struct Line {
        QString stored, name, folded; // the code as stored (scrambled)
        QVariant rate;
        int length = 0;
        // The stored code's first 6 and 8 digits: a scrambled prefix is the prefix of the
        // scrambled code.
        QStringView subheading() const { return QStringView(stored).left(SuggestEvidence::kCodeChars - 4); }
        QStringView code8() const { return QStringView(stored).left(SuggestEvidence::kCodeChars); }
    };
    struct Term {
        QString text;
        double weight = 1;
        bool evidence = false; // a pair or a Latin word: looked up in the history
        bool shown = false; // marked in the names it matched (a character of a longer run is not)
    };
    struct Posting {
        int line, count;
        bool negated; // every time after 非 or 未 ("非零售包装"): the goods are not that
    };

    // The history of a code under the description's most telling word found there.
    struct Telling {
        double weight = 0;
        qint64 cases = 0, rulings = 0;
    };

    // The terms of a description; `folded`, the description folded (SuggestText::fold).
    QList<Term> terms(const QString &description, QString folded) const;
    // A Latin word of the description as terms: a word of the tariff or the history, pinyin as
    // the Han words it spells, a misspelt word as the word meant; `capitals`: written in capitals.
    QStringList fromLatin(const QString &word, bool capitals) const;
    QStringList fromPinyin(const QString &word) const;
    QString corrected(const QString &word) const;
    bool knownWord(const QString &word) const;
    void addEvidence(const QList<Term> &terms, std::vector<double> &score, QHash<QString, Telling> &telling) const;
    void loadTotals() const;

    Connection &connection_;
    QList<Line> lines_;
    // Han characters and pairs by their UTF-16 units (a pair's second in the low half); Latin
    // words by their text.
    static quint32 gramKey(QStringView han);
    const std::vector<Posting> *postingsOf(const QString &term) const;
    QHash<quint32, std::vector<Posting>> hanPostings_;
    QHash<QString, std::vector<Posting>> wordPostings_;
    QHash<QString, QList<int>> linesOfCode8_;
    QSet<QString> tariffWords_;
    double averageLength_ = 1;
    // Read when first needed.
    mutable bool totalsRead_ = false, hasEvidence_ = false;
    mutable QHash<QString, qint64> totals_; // code8 -> cases + rulings
    mutable QHash<QChar, QStringList> historyWords_; // Latin words of the history by first letter
    mutable std::vector<std::vector<int>> readings_; // each line's syllables, for pinyin
};
