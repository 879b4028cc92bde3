#include "PlainRanking.h"

#include <algorithm>
#include <cmath>

QList<QString> PlainRanking::grams(const QString &text) {
    QList<QString> out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isSpace()) continue;
        out << text.mid(i, 1);
        if (i + 1 < text.size() && !text[i + 1].isSpace()) out << text.mid(i, 2);
    }
    return out;
}

void PlainRanking::add(const QString &code, const QString &name) {
    QHash<QString, int> counts;
    const QList<QString> g = grams(name);
    for (const QString &t : g) ++counts[t];
    for (auto it = counts.begin(); it != counts.end(); ++it) postings_[it.key()].push_back({int(codes_.size()), *it});
    codes_ << code;
    lengths_ << int(g.size());
    totalLength_ += double(g.size());
}

QList<QString> PlainRanking::rank(const QString &description, int top) const {
    const double n = double(codes_.size()), average = std::max(1.0, totalLength_ / std::max(1.0, n));
    std::vector<double> score(size_t(codes_.size()), 0);
    QList<QString> terms = grams(description);
    std::sort(terms.begin(), terms.end());
    terms.erase(std::unique(terms.begin(), terms.end()), terms.end());
    for (const QString &t : terms) {
        const auto p = postings_.constFind(t);
        if (p == postings_.cend()) continue;
        const double idf = std::log(1 + (n - double(p->size()) + 0.5) / (double(p->size()) + 0.5));
        for (const auto &[line, tf] : *p)
            score[size_t(line)] += idf * tf * 2.2 / (tf + 1.2 * (0.25 + 0.75 * lengths_[line] / average));
    }
    std::vector<int> order;
    for (int i = 0; i < int(score.size()); ++i)
        if (score[size_t(i)] > 0) order.push_back(i);
    const auto cut = order.begin() + std::min<qsizetype>(top, qsizetype(order.size()));
    std::partial_sort(order.begin(), cut, order.end(),
                      [&](int a, int b) { return score[size_t(a)] > score[size_t(b)]; });
    QList<QString> out;
    for (auto it = order.begin(); it != cut; ++it) out << codes_[*it];
    return out;
}
