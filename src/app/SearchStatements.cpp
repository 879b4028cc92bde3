#include "app/SearchStatements.h"

#include "data/CodeCodec.h"

namespace SearchStatements {

QString trimmed(const QString &text) {
    qsizetype from = 0, to = text.size();
    while (from < to && text[from].unicode() <= 32) ++from;
    while (to > from && text[to - 1].unicode() <= 32) --to;
    return text.mid(from, to - from);
}

QString build(Table table, const QString &code, const QString &name) {
    struct Pieces {
        const char *base, *codeFragment, *nameFragment, *ordering;
    };
    static const Pieces pieces[] = {
        {"select id,hs_code,name,spec,low_rate,lice,reg_rate,'查看详情' as b from official_hs where 1=1",
         " and hs_code like '", " and name like '%", " order by hs_code"},
        {"select id,code_t,g_name,class_spec from hs_classify where 1=1", " and code_t like '", " and g_name like '%",
         " order by code_t"},
        {"select id,code,name,spec from case_hs where 1=1", " and code like '", " and name like '%", " order by code"},
    };
    const Pieces &p = pieces[table];
    QString sql = QString::fromUtf8(p.base);
    if (!code.isEmpty()) sql += QString::fromUtf8(p.codeFragment) + ScrambleCode(code) + QStringLiteral("%'");
    if (!name.isEmpty()) {
        // An apostrophe would end the literal early: doubled, it stands for itself, so the
        // search finds the names that contain it. '%' and '_' keep their pattern meaning.
        QString literal = name;
        literal.replace(u'\'', QStringLiteral("''"));
        sql += QString::fromUtf8(p.nameFragment) + literal + QStringLiteral("%'");
    }
    return sql + QString::fromUtf8(p.ordering);
}

} // namespace SearchStatements
