#include "NameScan.h"

#include "data/AppError.h"
#include "data/CodeCodec.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <vector>

namespace {

QChar folded(QChar c) { return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + (u'a' - u'A')) : c; }
bool isLetter(QChar c) { return folded(c) >= u'a' && folded(c) <= u'z'; }

// A LIKE pattern '%fragment%' as the pieces between its '%'s, each found after the one before.
class Pattern {
public:
    explicit Pattern(const QString &fragment) {
        for (const QString &text : fragment.split(u'%', Qt::SkipEmptyParts)) {
            const bool letters = std::any_of(text.begin(), text.end(), isLetter);
            pieces_.push_back({text, text.contains(u'_'), letters ? Qt::CaseInsensitive : Qt::CaseSensitive});
        }
    }

    bool matches(QStringView name) const {
        qsizetype from = 0;
        for (const Piece &piece : pieces_) {
            const qsizetype at =
                piece.wild ? findWild(name, piece.text, from) : name.indexOf(piece.text, from, piece.cs);
            if (at < 0) return false;
            from = at + piece.text.size();
        }
        return true;
    }

private:
    struct Piece {
        QString text;
        bool wild; // holds a '_'
        Qt::CaseSensitivity cs; // insensitive only where the piece has a letter A-Z
    };

    static qsizetype findWild(QStringView name, QStringView piece, qsizetype from) {
        for (qsizetype at = from; at + piece.size() <= name.size(); ++at) {
            qsizetype i = 0;
            while (i < piece.size() && (piece[i] == u'_' || folded(piece[i]) == folded(name[at + i]))) ++i;
            if (i == piece.size()) return at;
        }
        return -1;
    }

    std::vector<Piece> pieces_;
};

} // namespace

NameScan::NameScan(const QSqlDatabase &db) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("select name, code from case_hs order by code, rowid")))
        throw AppError(q.lastError().text());
    while (q.next()) {
        names_ += q.value(0).toString();
        nameStarts_ << names_.size();
        codes_ += q.value(1).toString().toLatin1();
        codeStarts_ << codes_.size();
    }
    names_.squeeze();
    codes_.squeeze();
}

qsizetype NameScan::bytes() const {
    return names_.size() * 2 + codes_.size() + (nameStarts_.size() + codeStarts_.size()) * qsizetype(sizeof(qsizetype));
}

qsizetype NameScan::count(const QString &code, const QString &fragment, qsizetype limit) const {
    const Pattern pattern(fragment);
    const QByteArray prefix = ScrambleCode(code.toLatin1());
    const QStringView names(names_);
    const QByteArrayView codes(codes_);
    qsizetype found = 0;
    for (qsizetype i = 0; i < size() && (limit == 0 || found < limit); ++i) {
        if (!codes.sliced(codeStarts_[i], codeStarts_[i + 1] - codeStarts_[i]).startsWith(prefix)) continue;
        found += pattern.matches(names.sliced(nameStarts_[i], nameStarts_[i + 1] - nameStarts_[i]));
    }
    return found;
}
