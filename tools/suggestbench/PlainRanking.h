#pragma once
#include <QHash>
#include <QList>
#include <QString>
#include <vector>

// The yardstick: BM25 over the characters and character pairs of the tariff names alone, the
// description taken as it is typed. No folding, no words, no history.
class PlainRanking {
public:
    void add(const QString &code, const QString &name);
    // The codes of the `top` best lines.
    QList<QString> rank(const QString &description, int top) const;

private:
    static QList<QString> grams(const QString &text);
    QList<QString> codes_;
    QList<int> lengths_;
    QHash<QString, std::vector<std::pair<int, int>>> postings_;
    double totalLength_ = 0;
};
