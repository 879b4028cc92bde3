#include "data/Schema.h"

#include "data/RateSchema.h"
#include "data/SearchIndex.h"

namespace Schema {

QStringList createStatements() {
    return QStringList{
               QStringLiteral("create table official_hs (id integer, hs_code varchar(50) collate nocase, "
                              "name varchar(50), spec varchar(200), low_rate double, high_rate double, "
                              "reg_rate double, reg_date datetime, tax_rate double, unit1 varchar(10), "
                              "unit2 varchar(255), lice varchar(10))"),
               QStringLiteral("create index official_hs_code on official_hs (hs_code)"),
               QStringLiteral("create table hs_classify (id integer, code_t varchar(100) collate nocase, "
                              "g_name varchar(200), class_spec memo)"),
               QStringLiteral("create index hs_classify_code on hs_classify (code_t)"),
               // Exactly eight columns: the update import inserts by position.
               QStringLiteral("create table case_hs (id integer, name varchar(50), "
                              "code varchar(50) collate nocase, spec varchar(50), update_date varchar(10), "
                              "input_date varchar(10), state integer, source varchar(50))"),
               QStringLiteral("create index case_hs_code on case_hs (code)"),
               QStringLiteral("create index case_hs_update_date on case_hs (update_date)"),
               QStringLiteral("create table hs_trade (abbr_trade char(20), ex_control char(20))"),
               QStringLiteral("create table hs_licensed (docu_code char(20), docu_name char(20))"),
               QStringLiteral("create table hs_dm_tax (id varchar(50), code varchar(30) collate nocase, "
                              "name memo, low_tax varchar(50), yatai_tax varchar(50), wl_tax varchar(50), "
                              "jpz_tax varchar(50), yn_tax varchar(50), lw_tax varchar(50), "
                              "mlxy_tax varchar(50), md_tax varchar(50), flb_tax varchar(50), "
                              "xjp_tax varchar(50), tg_tax varchar(50), yuen_tax varchar(50), "
                              "ecfa varchar(50), EX_OFFICIAL_TAX varchar(50), EX_ZD_TAX varchar(200), "
                              "EX_SPEC_TAX varchar(50), zhili_tax varchar(50), bjst_tax varchar(50), "
                              "xinjiapo_tax varchar(50), xxl_tax varchar(50), milu_tax varchar(50), "
                              "xg_tax varchar(50), am_tax varchar(50), tw_tax varchar(50), "
                              "IM_ZD_TAX varchar(100))"),
               QStringLiteral("create index hs_dm_tax_code on hs_dm_tax (code)"),
               // Exactly two and three columns: the feed refresh inserts by position.
               QStringLiteral("create table news (id varchar(50), title varchar(255))"),
               QStringLiteral("create table news_ad (imagename varchar(255), imageurl varchar(255), "
                              "type varchar(10))"),
           } +
           RateSchema::createStatements() + SearchIndex::createStatements();
}

} // namespace Schema
