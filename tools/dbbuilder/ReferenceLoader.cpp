#include "dbbuilder/ReferenceLoader.h"

#include "data/AppError.h"
#include "data/CaseOrder.h"
#include "data/CodeCodec.h"
#include "dbbuilder/BuilderDatabase.h"
#include "dbbuilder/Csv.h"
#include "dbbuilder/RateLoader.h"
#include "dbbuilder/Rates.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <functional>

namespace {

// Columns of hs_dm_tax in table order, as the insert below binds them.
const QStringList kDmTaxColumns = {
    "id",          "code",      "name",     "low_tax",      "yatai_tax",       "wl_tax",
    "jpz_tax",     "yn_tax",    "lw_tax",   "mlxy_tax",     "md_tax",          "flb_tax",
    "xjp_tax",     "tg_tax",    "yuen_tax", "ecfa",         "EX_OFFICIAL_TAX", "EX_ZD_TAX",
    "EX_SPEC_TAX", "zhili_tax", "bjst_tax", "xinjiapo_tax", "xxl_tax",         "milu_tax",
    "xg_tax",      "am_tax",    "tw_tax",   "IM_ZD_TAX"};

const QStringList kAseanColumns = {"wl_tax", "jpz_tax", "yn_tax",  "lw_tax", "mlxy_tax",
                                   "md_tax", "flb_tax", "xjp_tax", "tg_tax", "yuen_tax"};

// Agreement partner (the part after "agreement_") to the hs_dm_tax columns it fills. ASEAN is
// one rate for all ten members in the published tariff. Partners without a column are dropped.
QStringList partnerColumns(const QString &partner) {
    static const QHash<QString, QStringList> map = {
        {QStringLiteral("亚太"), {"yatai_tax"}},    {QStringLiteral("东盟"), kAseanColumns},
        {QStringLiteral("台湾"), {"ecfa"}},         {QStringLiteral("智利"), {"zhili_tax"}},
        {QStringLiteral("巴基斯坦"), {"bjst_tax"}}, {QStringLiteral("新加坡"), {"xinjiapo_tax"}},
        {QStringLiteral("新西兰"), {"xxl_tax"}},    {QStringLiteral("秘鲁"), {"milu_tax"}},
        {QStringLiteral("香港"), {"xg_tax"}},       {QStringLiteral("澳门"), {"am_tax"}},
    };
    return map.value(partner);
}

const QStringList kTariffColumns = {"code",
                                    "name",
                                    "unit1",
                                    "unit2",
                                    "mfn_rate",
                                    "provisional_rate",
                                    "general_rate",
                                    "vat_rate",
                                    "consumption_tax",
                                    "export_tax_rate",
                                    "export_t8_unidentified",
                                    "export_rebate_rate",
                                    "supervision_conditions",
                                    "inspection_quarantine",
                                    "declaration_elements"};

// Reading one file's rows: every row must have the header's width, and any failure while
// handling a row names the file and the row's line.
void forEachRow(const CsvFile &csv, const std::function<void(const QStringList &)> &handle) {
    const qsizetype width = csv.header().size();
    for (const CsvRecord &r : csv.records()) {
        if (r.fields.size() != width)
            throw AppError(
                csvError(csv.name(), r.line, QStringLiteral("应有 %1 列，实有 %2 列").arg(width).arg(r.fields.size())));
        try {
            handle(r.fields);
        } catch (const AppError &e) {
            throw AppError(csvError(csv.name(), r.line, e.message()));
        }
    }
}

QString scrambledCode(const QString &text) {
    const QString code = text.trimmed();
    if (!isPlainCode(code)) throw AppError(QStringLiteral("商品编码“%1”不是 4 到 10 位数字").arg(text));
    return ScrambleCode(code);
}

QString required(const QString &text, const char *what) {
    const QString t = text.trimmed();
    if (t.isEmpty()) throw AppError(QStringLiteral("%1为空").arg(QString::fromUtf8(what)));
    return t;
}

int loadTariff(BuilderDatabase &db, const CsvFile &csv, int &specialRows) {
    QHash<QString, int> col;
    for (const QString &c : kTariffColumns) col[c] = csv.requireColumn(c);
    // Agreement columns: every header "agreement_<partner>" that maps onto hs_dm_tax.
    QList<QPair<int, QStringList>> agreements;
    QList<int> anyRateColumns = {col["export_tax_rate"], col["export_t8_unidentified"]};
    for (int i = 0; i < csv.header().size(); ++i) {
        const QString &h = csv.header()[i];
        if (!h.startsWith(QStringLiteral("agreement_"))) continue;
        anyRateColumns.append(i);
        const QStringList targets = partnerColumns(h.mid(10));
        if (!targets.isEmpty()) agreements.append({i, targets});
    }

    db.exec(QStringLiteral("delete from official_hs"));
    db.exec(QStringLiteral("delete from hs_dm_tax"));
    Inserter tariff(db, "insert into official_hs (id, hs_code, name, spec, low_rate, high_rate, "
                        "reg_rate, reg_date, tax_rate, unit1, unit2, lice) "
                        "values (?,?,?,?,?,?,?,?,?,?,?,?)");
    Inserter special(db, "insert into hs_dm_tax values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,"
                         "?,?,?,?,?,?,?,?)");
    int id = 0;
    specialRows = 0;
    forEachRow(csv, [&](const QStringList &f) {
        const QString code = f[col["code"]].trimmed();
        const QString hsCode = scrambledCode(code);
        const QString name = required(f[col["name"]], "品名");
        tariff.integer(++id)
            .text(hsCode)
            .text(name)
            .textOrNull(f[col["declaration_elements"]].trimmed())
            .real(percentRate(f[col["mfn_rate"]]))
            .real(percentRate(f[col["general_rate"]]))
            .real(percentRate(f[col["export_rebate_rate"]]))
            .null()
            .real(percentRate(f[col["vat_rate"]]))
            .textOrNull(f[col["unit1"]].trimmed())
            .textOrNull(f[col["unit2"]].trimmed())
            .textOrNull(f[col["supervision_conditions"]].trimmed())
            .insert();

        bool any = false;
        for (int c : anyRateColumns) any = any || !f[c].trimmed().isEmpty();
        if (!any) return;
        // The special-rate view looks a code up by its 8-digit tariff number, so the rows of
        // the 10-digit lines under one number all sit under that number.
        QHash<QString, QString> v;
        v["id"] = QString::number(++specialRows);
        v["code"] = ScrambleCode(code.left(8));
        v["name"] = name;
        v["low_tax"] = f[col["mfn_rate"]].trimmed();
        v["IM_ZD_TAX"] = f[col["provisional_rate"]].trimmed();
        v["EX_OFFICIAL_TAX"] = f[col["export_tax_rate"]].trimmed();
        v["EX_ZD_TAX"] = f[col["export_t8_unidentified"]].trimmed();
        for (const auto &[index, targets] : agreements)
            for (const QString &t : targets) v[t] = f[index].trimmed();
        for (const QString &c : kDmTaxColumns) special.textOrNull(v.value(c));
        special.insert();
    });
    return id;
}

int loadLicences(BuilderDatabase &db, const CsvFile &csv) {
    const int code = csv.requireColumn("code"), name = csv.requireColumn("name");
    db.exec(QStringLiteral("delete from hs_licensed"));
    Inserter ins(db, "insert into hs_licensed (docu_code, docu_name) values (?,?)");
    int rows = 0;
    forEachRow(csv, [&](const QStringList &f) {
        const QString c = required(f[code], "监管证件代码");
        if (c.size() != 1) throw AppError(QStringLiteral("监管证件代码“%1”不是一个字符").arg(c));
        ins.text(c).text(required(f[name], "监管证件名称")).insert();
        ++rows;
    });
    return rows;
}

// The public code table of trade modes has no conditions column. Conditions are facts of the
// published regulations, so none are guessed: such trade modes are stored without any (Null),
// and the detail view shows empty condition cells for them.
int loadTradeModes(BuilderDatabase &db, const CsvFile &csv, QStringList &notes) {
    const int name = csv.requireColumn("short_name");
    const int conditions = csv.column("conditions");
    if (conditions < 0) notes << QStringLiteral("%1：没有监管条件列，贸易方式已导入，但不带监管条件").arg(csv.name());
    db.exec(QStringLiteral("delete from hs_trade"));
    Inserter ins(db, "insert into hs_trade (abbr_trade, ex_control) values (?,?)");
    int rows = 0;
    forEachRow(csv, [&](const QStringList &f) {
        ins.text(required(f[name], "贸易方式"));
        if (conditions < 0) ins.null();
        else ins.text(f[conditions].trimmed());
        ins.insert();
        ++rows;
    });
    return rows;
}

int loadRulings(BuilderDatabase &db, const CsvFile &csv) {
    const int code = csv.requireColumn("code"), name = csv.requireColumn("name"), spec = csv.requireColumn("spec");
    db.exec(QStringLiteral("delete from hs_classify"));
    Inserter ins(db, "insert into hs_classify (id, code_t, g_name, class_spec) values (?,?,?,?)");
    int id = 0;
    forEachRow(csv, [&](const QStringList &f) {
        ins.integer(++id)
            .text(scrambledCode(f[code]))
            .text(required(f[name], "品名"))
            .textOrNull(f[spec].trimmed())
            .insert();
    });
    return id;
}

int loadCases(BuilderDatabase &db, const CsvFile &csv) {
    const int code = csv.requireColumn("code"), name = csv.requireColumn("name"), spec = csv.requireColumn("spec"),
              date = csv.requireColumn("date"), source = csv.requireColumn("source");
    db.exec(QStringLiteral("delete from case_hs"));
    Inserter ins(db, "insert into case_hs values (?,?,?,?,?,?,?,?)");
    int id = 0;
    forEachRow(csv, [&](const QStringList &f) {
        const QString d = f[date].trimmed();
        // Update dates are compared as text: only one fixed-width, year-first layout sorts right.
        if (!isIsoDate(d)) throw AppError(QStringLiteral("日期“%1”不是 YYYY-MM-DD 格式").arg(d));
        ins.integer(++id)
            .text(required(f[name], "品名"))
            .text(scrambledCode(f[code]))
            .textOrNull(f[spec].trimmed())
            .text(d)
            .text(d)
            .integer(0)
            .textOrNull(f[source].trimmed())
            .insert();
    });
    return id;
}

int loadNews(BuilderDatabase &db, const CsvFile &csv) {
    const int id = csv.requireColumn("id"), title = csv.requireColumn("title");
    db.exec(QStringLiteral("delete from news"));
    Inserter ins(db, "insert into news values (?,?)");
    int rows = 0;
    forEachRow(csv, [&](const QStringList &f) {
        ins.text(required(f[id], "id")).text(required(f[title], "标题")).insert();
        ++rows;
    });
    return rows;
}

int loadAds(BuilderDatabase &db, const CsvFile &csv) {
    const int image = csv.requireColumn("imagename"), url = csv.requireColumn("imageurl"),
              type = csv.requireColumn("type");
    db.exec(QStringLiteral("delete from news_ad"));
    Inserter ins(db, "insert into news_ad values (?,?,?)");
    int rows = 0;
    forEachRow(csv, [&](const QStringList &f) {
        ins.text(required(f[image], "imagename")).text(f[url].trimmed()).textOrNull(f[type].trimmed()).insert();
        ++rows;
    });
    return rows;
}

} // namespace

bool isPlainCode(const QString &code) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{4,10}$"));
    return digits.match(code).hasMatch();
}

LoadSummary loadReferenceFiles(BuilderDatabase &db, const QString &dir, const QStringList &only) {
    LoadSummary summary;
    const QDir folder(dir);
    if (!folder.exists()) throw AppError(QStringLiteral("%1：文件夹不存在").arg(dir));

    // Each file under its own name, or else under the name of the published export (the newest
    // year when there are several), so the export's folder loads as it is.
    struct Step {
        const char *file;
        const char *published;
        const char *tables; // the tables it replaces
        std::function<QString(const CsvFile &)> load;
    };
    int special = 0;
    const std::vector<Step> steps = {
        {"tariff.csv", "cn-tariff-*.csv", "official_hs hs_dm_tax tariff_rate",
         [&](const CsvFile &c) {
             const int rows = loadTariff(db, c, special);
             const int published = loadPublishedRates(db, c);
             return QStringLiteral("%1 行导入 official_hs，%2 行导入 hs_dm_tax，%3 行导入 tariff_rate")
                 .arg(rows)
                 .arg(special)
                 .arg(published);
         }},
        {"licences.csv", "cn-licence-documents.csv", "hs_licensed",
         [&](const CsvFile &c) { return QStringLiteral("%1 行导入 hs_licensed").arg(loadLicences(db, c)); }},
        {"trade-modes.csv", "cn-trade-modes-*.csv", "hs_trade",
         [&](const CsvFile &c) {
             return QStringLiteral("%1 行导入 hs_trade").arg(loadTradeModes(db, c, summary.notes));
         }},
        {"rulings.csv", nullptr, "hs_classify",
         [&](const CsvFile &c) { return QStringLiteral("%1 行导入 hs_classify").arg(loadRulings(db, c)); }},
        {"cases.csv", nullptr, "case_hs",
         [&](const CsvFile &c) {
             const int rows = loadCases(db, c);
             CaseOrder::cluster(db.handle()); // searched in code order
             return QStringLiteral("%1 行导入 case_hs").arg(rows);
         }},
        {"partner-countries.csv", "cn-partner-countries.csv", "partner_country",
         [&](const CsvFile &c) {
             return QStringLiteral("%1 行导入 partner_country").arg(loadPartnerCountries(db, c));
         }},
        {"news.csv", nullptr, "news",
         [&](const CsvFile &c) { return QStringLiteral("%1 行导入 news").arg(loadNews(db, c)); }},
        {"ads.csv", nullptr, "news_ad",
         [&](const CsvFile &c) { return QStringLiteral("%1 行导入 news_ad").arg(loadAds(db, c)); }},
    };
    for (const Step &step : steps) {
        const QString name = QString::fromLatin1(step.file);
        if (!only.isEmpty() && !only.contains(name)) continue;
        QString file = name;
        if (!QFileInfo::exists(folder.filePath(file)) && step.published) {
            const QStringList found = folder.entryList({QString::fromLatin1(step.published)}, QDir::Files, QDir::Name);
            if (!found.isEmpty()) file = found.last();
        }
        const QString path = folder.filePath(file);
        if (!QFileInfo::exists(path)) {
            summary.notes << QStringLiteral("%1：没有找到，跳过").arg(name);
            continue;
        }
        const CsvFile csv = CsvFile::read(path, file);
        summary.notes << QStringLiteral("%1：%2").arg(file, step.load(csv));
        summary.tables << QString::fromLatin1(step.tables).split(u' ');
        ++summary.filesLoaded;
    }
    if (summary.filesLoaded == 0) throw AppError(QStringLiteral("%1：其中没有任何参考数据文件").arg(dir));
    return summary;
}
