#include "data/Schema.h"

#include "data/RateSchema.h"
#include "data/SearchIndex.h"

namespace Schema {

namespace {
Column text(const char *name, const char *type) { return {QString::fromLatin1(name), QString::fromLatin1(type)}; }
Column code(const char *name, const char *type) {
    return {QString::fromLatin1(name), QString::fromLatin1(type), Column::Text, true};
}
Column integer(const char *name) { return {QString::fromLatin1(name), QStringLiteral("integer"), Column::Integer}; }
Column number(const char *name) { return {QString::fromLatin1(name), QStringLiteral("double"), Column::Double}; }

QList<Table> describe() {
    QList<Column> rates{text("id", "varchar(50)"), code("code", "varchar(30)"), text("name", "memo")};
    for (const char *c : {"low_tax", "yatai_tax", "wl_tax", "jpz_tax", "yn_tax", "lw_tax", "mlxy_tax", "md_tax",
                          "flb_tax", "xjp_tax", "tg_tax", "yuen_tax", "ecfa", "EX_OFFICIAL_TAX"})
        rates << text(c, "varchar(50)");
    rates << text("EX_ZD_TAX", "varchar(200)");
    for (const char *c :
         {"EX_SPEC_TAX", "zhili_tax", "bjst_tax", "xinjiapo_tax", "xxl_tax", "milu_tax", "xg_tax", "am_tax", "tw_tax"})
        rates << text(c, "varchar(50)");
    rates << text("IM_ZD_TAX", "varchar(100)");
    return {
        {QStringLiteral("official_hs"),
         {integer("id"), code("hs_code", "varchar(50)"), text("name", "varchar(50)"), text("spec", "varchar(200)"),
          number("low_rate"), number("high_rate"), number("reg_rate"), text("reg_date", "datetime"), number("tax_rate"),
          text("unit1", "varchar(10)"), text("unit2", "varchar(255)"), text("lice", "varchar(10)")},
         {{QStringLiteral("official_hs_code"), QStringLiteral("hs_code")}}},
        {QStringLiteral("hs_classify"),
         {integer("id"), code("code_t", "varchar(100)"), text("g_name", "varchar(200)"), text("class_spec", "memo")},
         {{QStringLiteral("hs_classify_code"), QStringLiteral("code_t")}}},
        // Exactly eight columns: the update import inserts by position.
        {QStringLiteral("case_hs"),
         {integer("id"), text("name", "varchar(50)"), code("code", "varchar(50)"), text("spec", "varchar(50)"),
          text("update_date", "varchar(10)"), text("input_date", "varchar(10)"), integer("state"),
          text("source", "varchar(50)")},
         {{QStringLiteral("case_hs_code"), QStringLiteral("code")},
          {QStringLiteral("case_hs_update_date"), QStringLiteral("update_date")}}},
        {QStringLiteral("hs_trade"), {text("abbr_trade", "char(20)"), text("ex_control", "char(20)")}, {}},
        {QStringLiteral("hs_licensed"), {text("docu_code", "char(20)"), text("docu_name", "char(20)")}, {}},
        {QStringLiteral("hs_dm_tax"), rates, {{QStringLiteral("hs_dm_tax_code"), QStringLiteral("code")}}},
        // Exactly two and three columns: the feed refresh inserts by position.
        {QStringLiteral("news"), {text("id", "varchar(50)"), text("title", "varchar(255)")}, {}},
        {QStringLiteral("news_ad"),
         {text("imagename", "varchar(255)"), text("imageurl", "varchar(255)"), text("type", "varchar(10)")},
         {}},
        {RateSchema::kRateTable,
         {code("code", "varchar(50)"), text("kind", "varchar(20)"), text("partner", "varchar(50)"),
          text("rate_text", "varchar(200)"), number("rate_percent")},
         {{QStringLiteral("tariff_rate_code"), QStringLiteral("code")}},
         true},
        {RateSchema::kCountryTable, {text("code", "varchar(10)"), text("name", "varchar(50)")}, {}, true},
        // The description search's evidence (SuggestEvidence): names' terms counted by 8-digit code,
        // each import's counts rows of their own.
        {QStringLiteral("suggest_evidence"),
         {text("term", "varchar(50)"), text("code", "varchar(50)"), integer("cases"), integer("rulings")},
         {{QStringLiteral("suggest_evidence_term"), QStringLiteral("term, code")}},
         true},
    };
}
} // namespace

const QList<Table> &tables() {
    static const QList<Table> all = describe();
    return all;
}

QStringList createStatements(const QList<Table> &some) {
    QStringList out;
    for (const Table &t : some) {
        const QString missing = t.ifMissing ? QStringLiteral("if not exists ") : QString();
        QStringList columns;
        for (const Column &c : t.columns)
            columns << c.name + u' ' + c.fileType + (c.code ? QStringLiteral(" collate nocase") : QString());
        out << QStringLiteral("create table %1%2 (%3)").arg(missing, t.name, columns.join(QStringLiteral(", ")));
        for (const auto &[index, column] : t.indexes)
            out << QStringLiteral("create index %1%2 on %3 (%4)").arg(missing, index, t.name, column);
    }
    return out;
}

QStringList createStatements() { return createStatements(tables()) + SearchIndex::createStatements(); }

} // namespace Schema
