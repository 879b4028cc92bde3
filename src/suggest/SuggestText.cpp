#include "suggest/SuggestText.h"

#include "suggest/SuggestResources.h"

#include <QByteArray>
#include <QMutex>
#include <QSet>

#include <opencc/opencc.h>

namespace SuggestText {

namespace {

// The traditional-to-simplified converter, with the Taiwan phrases (隨身碟: U盘, 顯示卡: 显卡),
// opened once per process (a few milliseconds) and used under a lock: its handle is not
// documented as safe to share between threads.
class Simplifier {
public:
    Simplifier() : handle_(opencc_open("tw2sp.json")) {
        // The characters the conversion changes, so that a text without them is left alone: the
        // history's millions of names must not pay the converter per name.
        for (QChar c : SuggestResources::text(QStringLiteral("traditional.txt")))
            if (isHan(c)) changed_[c.unicode() - 0x3400] = true;
    }
    ~Simplifier() {
        if (handle_ != reinterpret_cast<opencc_t>(-1)) opencc_close(handle_);
    }
    QString convert(const QString &text) {
        if (handle_ == reinterpret_cast<opencc_t>(-1)) return text;
        bool any = false;
        for (QChar c : text) any = any || (isHan(c) && changed_[c.unicode() - 0x3400]);
        return any ? convertLocked(text) : text;
    }

private:
    QString convertLocked(const QString &text) {
        const QMutexLocker lock(&mutex_);
        const QByteArray utf8 = text.toUtf8();
        char *out = opencc_convert_utf8(handle_, utf8.constData(), size_t(utf8.size()));
        if (!out) return text;
        QString result = QString::fromUtf8(out);
        opencc_convert_utf8_free(out);
        return result;
    }

    opencc_t handle_;
    std::vector<bool> changed_ = std::vector<bool>(0x9FFF - 0x3400 + 1, false); // by character from U+3400
    QMutex mutex_;
};

Simplifier &simplifier() {
    static Simplifier s;
    return s;
}

} // namespace

QString fold(const QString &text) {
    // Names are mostly Han characters, ASCII and common punctuation, which the normalization
    // leaves as they are: it is skipped for them (a history of millions of names is folded).
    bool stable = true;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        stable = stable && (u < 0x80 || (u >= 0x4E00 && u <= 0x9FFF) || u == 0xFF08 || u == 0xFF09 || u == 0xFF0C ||
                            u == 0x3001 || u == 0x3002);
    }
    if (stable) {
        // U+FF08, U+FF09 and U+FF0C fold to ASCII; the rest only change case.
        QString t = text.toLower();
        for (QChar &c : t) {
            if (c.unicode() == 0xFF08) c = u'(';
            else if (c.unicode() == 0xFF09) c = u')';
            else if (c.unicode() == 0xFF0C) c = u',';
        }
        return simplifier().convert(t);
    }
    return simplifier().convert(text.normalized(QString::NormalizationForm_KC).toLower());
}

QList<Piece> pieces(const QString &folded) {
    QList<Piece> out;
    qsizetype i = 0;
    while (i < folded.size()) {
        const QChar c = folded[i];
        const bool han = isHan(c);
        const bool latin = isLatin(c) || c.isDigit();
        if (!han && !latin) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < folded.size() && (han ? isHan(folded[i]) : isLatin(folded[i]) || folded[i].isDigit())) ++i;
        out << Piece{folded.mid(start, i - start), han, start};
    }
    return out;
}

bool isWord(const QString &latin) {
    if (latin.size() < 2) return false;
    for (QChar c : latin)
        if (!isLatin(c)) return false;
    return true;
}

QStringList evidenceTerms(const QString &folded) {
    QStringList out;
    for (const Piece &p : pieces(folded)) {
        if (!p.han) {
            if (isWord(p.text)) out << p.text;
            continue;
        }
        for (qsizetype i = 0; i + 1 < p.text.size(); ++i) out << p.text.mid(i, 2);
    }
    out.removeDuplicates();
    return out;
}

} // namespace SuggestText
