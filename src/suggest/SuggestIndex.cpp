#include "suggest/SuggestIndex.h"

#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/Statement.h"
#include "search/ValueText.h"
#include "suggest/Pinyin.h"
#include "suggest/SuggestEvidence.h"
#include "suggest/SuggestText.h"
#include "suggest/SuggestWords.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>

namespace {

// BM25's constants, as commonly used.
constexpr double kK1 = 1.2, kB = 0.75;
// Weights of what the description did not say in the tariff's own characters.
constexpr double kFromPinyin = 0.9, kSynonym = 0.7;
// How much the history adds beside the tariff's names.
constexpr double kEvidence = 4.0;
// Lines of one subheading before the others get their turn: the first screen offers as many
// subheadings as it can.
constexpr int kPerSubheading = 1;
// How much a line's score owes to holding more of what the description says (the share of the
// description's weight it holds, to this power).
constexpr double kCover = 1.0;

QSqlQuery run(Connection &connection, const QString &sql, const QVariantList &values = {}) {
    QSqlQuery q(connection.database());
    q.setForwardOnly(true);
    if (!Statements::prepare(q, Statement(sql, values)) || !q.exec()) throw AppError(q.lastError().text());
    return q;
}

double idf(double documents, double withTerm) { return std::log(1 + (documents - withTerm + 0.5) / (withTerm + 0.5)); }

// The edit distance of two short words, or more than `limit` when it exceeds it.
int distance(const QString &a, const QString &b, int limit) {
    if (std::abs(a.size() - b.size()) > limit) return limit + 1;
    std::vector<int> row(size_t(b.size() + 1));
    for (int j = 0; j <= b.size(); ++j) row[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] =
                std::min({row[size_t(j)] + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[size_t(b.size())];
}

// Every syllable the table knows, for reading a Latin word as pinyin.
const QSet<QString> &syllables() {
    static const QSet<QString> all = [] {
        QSet<QString> s;
        for (char16_t c = 0x4E00; c <= 0x9FFF; ++c)
            if (const QString p = Pinyin::syllable(QChar(c)); !p.isEmpty()) s.insert(p);
        return s;
    }();
    return all;
}

// Syllables by number (from 1; 0 is no reading), for comparing readings as numbers.
struct SyllableNumbers {
    QHash<QString, int> number;
    QStringList text{QString()};
};
const SyllableNumbers &syllableNumbers() {
    static const SyllableNumbers all = [] {
        SyllableNumbers n;
        for (const QString &s : syllables()) {
            n.number.insert(s, int(n.text.size()));
            n.text << s;
        }
        return n;
    }();
    return all;
}
int syllableNumber(const QString &syllable) { return syllableNumbers().number.value(syllable, 0); }
const QString &syllableText(int number) { return syllableNumbers().text[number]; }

// The word as whole syllables ("niurou" -> niu, rou), the longest first where two readings
// fit; empty when it is not pinyin.
QStringList asSyllables(const QString &word) {
    const QSet<QString> &known = syllables();
    // best[i]: the syllables of word[i..], or none.
    std::vector<std::optional<QStringList>> best(size_t(word.size() + 1));
    best[size_t(word.size())] = QStringList();
    for (qsizetype i = word.size() - 1; i >= 0; --i)
        for (qsizetype n = std::min<qsizetype>(6, word.size() - i); n >= 1; --n)
            if (best[size_t(i + n)] && known.contains(word.mid(i, n))) {
                best[size_t(i)] = QStringList{word.mid(i, n)} + *best[size_t(i + n)];
                break;
            }
    return best[0].value_or(QStringList());
}

} // namespace

SuggestIndex::SuggestIndex(Connection &connection) : connection_(connection) {
    connection_.ensureOpen();
    QSqlQuery q = run(connection_, QStringLiteral("select hs_code, name, low_rate from official_hs order by id"));
    qint64 totalLength = 0;
    while (q.next()) {
        Line line;
        line.stored = q.value(0).toString();
        line.name = q.value(1).toString();
        line.folded = SuggestText::fold(line.name);
        line.rate = q.value(2);
        // The line's grams, each with whether it follows 非 or 未, counted after sorting.
        std::vector<std::pair<quint32, bool>> grams;
        QHash<QString, int> words;
        for (const SuggestText::Piece &p : SuggestText::pieces(line.folded)) {
            if (!p.han) {
                if (SuggestText::isWord(p.text)) {
                    ++words[p.text];
                    tariffWords_.insert(p.text);
                }
                continue;
            }
            for (qsizetype i = 0; i < p.text.size(); ++i) {
                const bool after = i > 0 && (p.text[i - 1] == u'非' || p.text[i - 1] == u'未');
                grams.push_back({gramKey(QStringView(p.text).mid(i, 1)), after});
                if (i + 1 < p.text.size()) grams.push_back({gramKey(QStringView(p.text).mid(i, 2)), after});
            }
        }
        std::sort(grams.begin(), grams.end());
        for (size_t i = 0; i < grams.size();) {
            size_t j = i, negated = 0;
            for (; j < grams.size() && grams[j].first == grams[i].first; ++j) negated += grams[j].second;
            const int count = int(j - i);
            hanPostings_[grams[i].first].push_back({int(lines_.size()), count, int(negated) == count});
            line.length += count;
            i = j;
        }
        for (auto it = words.begin(); it != words.end(); ++it) {
            wordPostings_[it.key()].push_back({int(lines_.size()), it.value(), false});
            line.length += it.value();
        }
        totalLength += line.length;
        linesOfCode8_[line.code8().toString()] << int(lines_.size());
        lines_ << line;
    }
    averageLength_ = lines_.isEmpty() ? 1 : std::max(1.0, double(totalLength) / double(lines_.size()));
}

quint32 SuggestIndex::gramKey(QStringView han) {
    return quint32(han[0].unicode()) << 16 | (han.size() > 1 ? han[1].unicode() : 0);
}

const std::vector<SuggestIndex::Posting> *SuggestIndex::postingsOf(const QString &term) const {
    if (SuggestText::isHan(term[0])) {
        const auto found = hanPostings_.constFind(gramKey(term));
        return found == hanPostings_.cend() ? nullptr : &*found;
    }
    const auto found = wordPostings_.constFind(term);
    return found == wordPostings_.cend() ? nullptr : &*found;
}

bool SuggestIndex::knownWord(const QString &word) const {
    if (tariffWords_.contains(word)) return true;
    loadTotals();
    if (!hasEvidence_) return false;
    QSqlQuery q = run(connection_,
                      QStringLiteral("select 1 from %1 where term = ? limit 1").arg(SuggestEvidence::kTable), {word});
    return q.next();
}

// A misspelt Latin word ("bosh") as the nearest word of the tariff or the history ("bosch"):
// one edit for short words, two from seven letters on.
QString SuggestIndex::corrected(const QString &word) const {
    if (word.size() < 4) return {};
    const int limit = word.size() >= 7 ? 2 : 1;
    QStringList candidates(tariffWords_.begin(), tariffWords_.end());
    loadTotals();
    if (hasEvidence_) {
        const QChar first = word[0];
        if (!historyWords_.contains(first)) {
            QStringList words;
            QSqlQuery q = run(connection_,
                              QStringLiteral("select distinct term from %1 where term >= ? and term < ?")
                                  .arg(SuggestEvidence::kTable),
                              {QString(first), QString(QChar(first.unicode() + 1))});
            while (q.next()) words << q.value(0).toString();
            historyWords_.insert(first, words);
        }
        candidates += historyWords_.value(first);
    }
    QString best;
    int bestDistance = limit + 1;
    for (const QString &c : candidates) {
        const int d = distance(word, c, limit);
        if (d < bestDistance || (d == bestDistance && !best.isEmpty() && c < best)) {
            best = c;
            bestDistance = d;
        }
    }
    return bestDistance <= limit ? best : QString();
}

// The Han words of the tariff a pinyin word spells, in full ("niurou") or by initials ("nr"), the
// commonest first; a word no run of the tariff spells is read in pieces, longest first.
QStringList SuggestIndex::fromPinyin(const QString &word) const {
    const QStringList full = asSyllables(word);
    // Each part of the spelling: a whole syllable, or a letter standing for one's initial.
    QStringList parts = full;
    const bool initials = full.isEmpty();
    if (initials) {
        // Initials are consonants: a word with a vowel that is not pinyin is a foreign word.
        if (word.size() > 8 || word.contains(QRegularExpression(QStringLiteral("[aeiouv]")))) return {};
        for (QChar c : word) parts << QString(c);
    }
    // Each line's characters as syllable numbers, made at the first pinyin word; a part as the
    // number of its syllable (or, for an initial, compared by first letter).
    if (readings_.empty()) {
        readings_.reserve(size_t(lines_.size()));
        for (const Line &line : lines_) {
            std::vector<int> r;
            r.reserve(size_t(line.folded.size()));
            for (QChar c : line.folded) r.push_back(syllableNumber(Pinyin::syllable(c)));
            readings_.push_back(std::move(r));
        }
    }
    std::vector<int> wanted;
    for (const QString &part : parts) wanted.push_back(initials ? int(part[0].unicode()) : syllableNumber(part));
    const auto fits = [&](int reading, int want) {
        return reading > 0 && (initials ? int(syllableText(reading)[0].unicode()) == want : reading == want);
    };
    QStringList out;
    qsizetype from = 0;
    while (from < parts.size()) {
        // The longest run of parts from `from` that some name spells, with how often each spelling occurs.
        QHash<QString, int> found;
        qsizetype taken = 0;
        for (qsizetype n = parts.size() - from; n >= 1 && found.isEmpty(); --n) {
            if (initials && n == 1 && parts.size() > 1) break; // a lone initial says too little
            // A declarant's word of the synonym table spelt whole goes first (kouhong: 口红).
            for (const QString &w : SuggestWords::standard().hanWords()) {
                if (w.size() != n) continue;
                qsizetype k = 0;
                while (k < n && fits(syllableNumber(Pinyin::syllable(w[k])), wanted[size_t(from + k)])) ++k;
                if (k == n) found[w] += 1000000;
            }
            if (!found.isEmpty()) {
                taken = n;
                break;
            }
            for (size_t l = 0; l < readings_.size(); ++l) {
                const std::vector<int> &r = readings_[l];
                for (size_t i = 0; i + size_t(n) <= r.size(); ++i) {
                    qsizetype k = 0;
                    while (k < n && fits(r[i + size_t(k)], wanted[size_t(from + k)])) ++k;
                    if (k == n) ++found[lines_[qsizetype(l)].folded.mid(qsizetype(i), n)];
                }
            }
            taken = n;
        }
        if (found.isEmpty()) {
            ++from;
            continue;
        }
        QString best;
        for (auto it = found.begin(); it != found.end(); ++it)
            if (best.isEmpty() || it.value() > found[best] || (it.value() == found[best] && it.key() < best))
                best = it.key();
        out << best;
        from += taken;
    }
    return out;
}

QStringList SuggestIndex::fromLatin(const QString &word, bool capitals) const {
    if (knownWord(word)) return {word};
    // Pinyin is typed in small letters; a word in capitals is a model or a brand ("GSB", "RE").
    if (!capitals && !asSyllables(word).isEmpty())
        if (const QStringList han = fromPinyin(word); !han.isEmpty()) return han;
    if (const QString c = corrected(word); !c.isEmpty()) return {c};
    return capitals ? QStringList() : fromPinyin(word);
}

QList<SuggestIndex::Term> SuggestIndex::terms(const QString &description, QString folded) const {
    const SuggestWords &words = SuggestWords::standard();
    // The Latin words written in capitals, as they read after folding.
    QSet<QString> capitals;
    static const QRegularExpression latinWord(QStringLiteral("[A-Za-z]+"));
    for (const QRegularExpressionMatch &m :
         latinWord.globalMatch(description.normalized(QString::NormalizationForm_KC)))
        if (const QString w = m.captured(); w.size() > 1 && w == w.toUpper()) capitals.insert(w.toLower());
    for (const QString &noise : words.longNoise()) folded.replace(noise, QStringLiteral(" "));

    // The description's Han runs and Latin words, with the weight each carries.
    QList<std::pair<QString, double>> runs;
    for (const SuggestText::Piece &p : SuggestText::pieces(folded)) {
        if (p.han) {
            QString run = p.text;
            // A brand before 牌 names the maker, not the goods.
            if (const qsizetype brand = run.indexOf(u'牌'); brand >= 1 && brand <= 4) run = run.mid(brand + 1);
            if (!run.isEmpty() && !words.isNoise(run)) runs << std::pair{run, 1.0};
        } else if (SuggestText::isWord(p.text) && !words.isNoise(p.text)) {
            // Models, factory numbers and weights hold digits and say nothing of the goods.
            for (const QString &w : fromLatin(p.text, capitals.contains(p.text)))
                runs << std::pair{w, SuggestText::isLatin(w[0]) ? 1.0 : kFromPinyin};
        }
    }
    // The synonyms of what the description says, as typed (t恤, led灯泡, mlcc) and as read (pinyin).
    QString said = folded + u' ';
    for (const auto &[run, weight] : runs) said += run + u' ';
    // A synonym is read as a description is: "t恤衫" is the Han run 恤衫 (a lone letter says nothing).
    for (const QString &synonym : words.synonymsIn(said))
        for (const SuggestText::Piece &p : SuggestText::pieces(synonym))
            if (p.han || SuggestText::isWord(p.text)) runs << std::pair{p.text, kSynonym};

    QHash<QString, Term> out;
    const auto add = [&](const QString &text, double weight, bool evidence) {
        if (const auto it = out.find(text); it != out.end()) it->weight = std::max(it->weight, weight);
        else out.insert(text, Term{text, weight, evidence, evidence});
    };
    for (const auto &[run, weight] : runs) {
        if (!SuggestText::isHan(run[0])) {
            add(run, weight, true);
            continue;
        }
        for (qsizetype i = 0; i < run.size(); ++i) {
            add(run.mid(i, 1), weight, false);
            if (run.size() == 1) out[run].shown = true;
            if (i + 1 < run.size()) add(run.mid(i, 2), weight, true);
        }
    }
    // In one order whatever the hash's seed: the scores are sums, and equal scores and equal
    // weights are decided by order, so every process (and both stores) ranks alike.
    QList<Term> list = out.values();
    std::sort(list.begin(), list.end(), [](const Term &a, const Term &b) { return a.text < b.text; });
    return list;
}

void SuggestIndex::loadTotals() const {
    if (totalsRead_) return;
    totalsRead_ = true;
    // A database made before the history was indexed: the tariff alone.
    QSqlQuery q(connection_.database());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("select code, sum(cases + rulings) from %1 where term = ? group by code")
                       .arg(SuggestEvidence::kTable)))
        return;
    q.addBindValue(QString(""));
    if (!q.exec()) return;
    hasEvidence_ = true;
    while (q.next()) totals_.insert(q.value(0).toString(), q.value(1).toLongLong());
}

void SuggestIndex::addEvidence(const QList<Term> &terms, std::vector<double> &score,
                               QHash<QString, Telling> &telling) const {
    loadTotals();
    if (!hasEvidence_ || totals_.isEmpty()) return;
    const double codes = double(totals_.size());
    QHash<QString, double> byCode;
    for (const Term &t : terms) {
        if (!t.evidence) continue;
        QSqlQuery q = run(connection_,
                          QStringLiteral("select code, sum(cases), sum(rulings) from %1 where term = ? group by code")
                              .arg(SuggestEvidence::kTable),
                          {t.text});
        struct Row {
            QString code;
            qint64 cases, rulings;
        };
        QList<Row> rows;
        while (q.next()) rows << Row{q.value(0).toString(), q.value(1).toLongLong(), q.value(2).toLongLong()};
        if (rows.isEmpty()) continue;
        const double weight = t.weight * idf(codes, double(rows.size()));
        for (const Row &r : rows) {
            // The share of the code's history that uses the word, trusted as the history grows.
            const qint64 n = r.cases + r.rulings;
            const double total = double(std::max<qint64>(totals_.value(r.code), n));
            byCode[r.code] += weight * double(n) / (total + 3);
            Telling &best = telling[r.code];
            if (weight > best.weight) best = {weight, r.cases, r.rulings};
        }
    }
    for (auto it = byCode.begin(); it != byCode.end(); ++it)
        for (int line : linesOfCode8_.value(it.key())) score[size_t(line)] += kEvidence * it.value();
}

QList<Suggestion> SuggestIndex::suggest(const QString &description, int top) const {
    const QString folded = SuggestText::fold(description);
    const QList<Term> query = terms(description, folded);
    if (query.isEmpty() || lines_.isEmpty() || top <= 0) return {};
    std::vector<double> score(size_t(lines_.size()), 0.0), held(size_t(lines_.size()), 0.0);
    const double n = double(lines_.size());
    double said = 0;
    for (const Term &t : query) said += t.weight;
    for (const Term &t : query) {
        const std::vector<Posting> *found = postingsOf(t.text);
        if (!found) continue;
        const double weight = t.weight * idf(n, double(found->size()));
        // 零售装 is not what a line of 非零售包装 holds, unless the description says 非 too.
        const bool saidNot = folded.contains(u'非' + t.text) || folded.contains(u'未' + t.text);
        for (const Posting &p : *found) {
            if (p.negated && !saidNot) continue;
            const double norm = kK1 * (1 - kB + kB * lines_[p.line].length / averageLength_);
            score[size_t(p.line)] += weight * p.count * (kK1 + 1) / (p.count + norm);
            held[size_t(p.line)] += t.weight;
        }
    }
    // A line that holds more of what the description says goes before one that holds a word of
    // it many times.
    for (size_t i = 0; i < score.size(); ++i)
        if (score[i] > 0) score[i] *= std::pow(held[i] / said, kCover);
    QHash<QString, Telling> telling;
    addEvidence(query, score, telling);

    std::vector<int> ranked;
    for (int i = 0; i < int(score.size()); ++i)
        if (score[size_t(i)] > 0) ranked.push_back(i);
    std::sort(ranked.begin(), ranked.end(), [&](int a, int b) {
        return score[size_t(a)] != score[size_t(b)] ? score[size_t(a)] > score[size_t(b)] : a < b;
    });
    // A few lines of each subheading first, so that the first screen offers several.
    std::vector<int> order, later;
    QHash<QString, int> shown;
    for (int i : ranked) {
        if ((int(order.size()) < top) && shown[lines_[i].subheading().toString()]++ < kPerSubheading)
            order.push_back(i);
        else later.push_back(i);
    }
    order.insert(order.end(), later.begin(), later.end());
    if (int(order.size()) > top) order.resize(size_t(top));

    QList<Suggestion> out;
    for (int i : order) {
        const Line &line = lines_[i];
        Suggestion s;
        s.code = UnscrambleCode(line.stored);
        s.name = line.name;
        s.rate = line.rate.isNull() ? QString() : ValueText::formatGeneral(line.rate.toDouble());
        s.score = score[size_t(i)];
        // The characters of the name a term of the description covers, as words.
        std::vector<bool> covered(size_t(line.folded.size()), false);
        for (const Term &t : query) {
            if (!t.shown) continue;
            for (qsizetype at = line.folded.indexOf(t.text); at >= 0; at = line.folded.indexOf(t.text, at + 1))
                for (qsizetype k = 0; k < t.text.size(); ++k) covered[size_t(at + k)] = true;
        }
        for (qsizetype k = 0; k < line.folded.size();) {
            if (!covered[size_t(k)]) {
                ++k;
                continue;
            }
            const qsizetype start = k;
            while (k < line.folded.size() && covered[size_t(k)]) ++k;
            if (const QString word = line.folded.mid(start, k - start); !s.matched.contains(word)) s.matched << word;
            // Folding keeps the name's length unless a character widened: then no places.
            if (line.folded.size() == line.name.size()) s.spans << std::pair{int(start), int(k - start)};
        }
        const Telling evidence = telling.value(line.code8().toString());
        s.cases = evidence.cases;
        s.rulings = evidence.rulings;
        out << s;
    }
    return out;
}
