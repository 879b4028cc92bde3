#include "search/SearchStatements.h"

#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"

namespace SearchStatements {

namespace {
QString withoutLoneSurrogates(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        else if (text[i].isSurrogate()) text[i] = QChar::ReplacementCharacter;
    }
    return text;
}
} // namespace

QString trimmed(const QString &text) {
    qsizetype from = 0, to = text.size();
    while (from < to && text[from].unicode() <= 32) ++from;
    while (to > from && text[to - 1].unicode() <= 32) --to;
    return text.mid(from, to - from);
}

SearchTerms terms(Table table, const QString &code, const QString &name) {
    SearchTerms out{table, code.isEmpty() ? QString() : ScrambleCode(code), withoutLoneSurrogates(name)};
    // Each is matched as a pattern with a '%' or two.
    if (out.codePrefix.toUtf8().size() + 1 > kLongestPattern || out.nameFragment.toUtf8().size() + 2 > kLongestPattern)
        throw AppError(QStringLiteral("查询内容过长，无法查询：请缩短商品编码或品名后再试。"));
    return out;
}

std::shared_ptr<const SearchQuery> search(Table table, const QString &code, const QString &name,
                                          Connection &connection) {
    SearchTerms t = terms(table, code, name);
    const SearchPlan::Plan plan = SearchPlan::choose(t, connection);
    return std::make_shared<SearchQuery>(connection.store(), std::move(t), plan);
}

std::shared_ptr<const SearchQuery> firstRows(Table table, Connection &connection) {
    return SearchQuery::firstRows(connection.store(), table, 20);
}

} // namespace SearchStatements
