#include "dbbuilder/Generator.h"

#include "data/AppError.h"
#include "data/CaseOrder.h"
#include "data/CodeCodec.h"
#include "dbbuilder/BuilderDatabase.h"
#include "dbbuilder/CaseRecord.h"

#include <QByteArray>
#include <QDate>
#include <QSet>
#include <vector>

namespace {

QByteArray u8(const char *s) { return QByteArray(s); }

QByteArray rate(double r) { return QByteArray::number(r) + '%'; }

const CommodityGroup &pickGroup(Random &rnd) {
    const auto &groups = commodityGroups();
    static const int total = [&] {
        int t = 0;
        for (const auto &g : groups) t += g.weight;
        return t;
    }();
    int r = rnd.below(total);
    for (const auto &g : groups) {
        if (r < g.weight) return g;
        r -= g.weight;
    }
    return groups.back();
}

// Chapter, heading (skewed to the low numbers, as real headings are), subheading, national
// and statistical digits: a 10-digit code that reads like a real one.
QByteArray makeCode(Random &rnd, const CommodityGroup &g) {
    static const std::vector<int> subheadings = {10, 11, 12, 19, 20, 21, 29, 30, 40, 50, 90};
    static const std::vector<int> national = {0, 10, 20, 90};
    static const std::vector<int> statistical = {0, 0, 10, 90};
    const int heading = 1 + std::min(rnd.below(12), rnd.below(30));
    return QByteArray::number(rnd.pick(g.chapters)).rightJustified(2, '0') +
           QByteArray::number(heading).rightJustified(2, '0') +
           QByteArray::number(rnd.pick(subheadings)).rightJustified(2, '0') +
           QByteArray::number(rnd.pick(national)).rightJustified(2, '0') +
           QByteArray::number(rnd.pick(statistical)).rightJustified(2, '0');
}

std::vector<TariffLine> generateTariff(BuilderDatabase &db, Random &rnd, int count) {
    std::vector<TariffLine> lines;
    lines.reserve(count);
    QSet<QByteArray> used;
    Inserter tariff(db, "insert into official_hs (id, hs_code, name, spec, low_rate, high_rate, "
                        "reg_rate, reg_date, tax_rate, unit1, unit2, lice) "
                        "values (?,?,?,?,?,?,?,?,?,?,?,?)");
    Inserter special(db, "insert into hs_dm_tax (id, code, name, low_tax, yatai_tax, wl_tax, "
                         "jpz_tax, yn_tax, lw_tax, mlxy_tax, md_tax, flb_tax, xjp_tax, tg_tax, "
                         "yuen_tax, ecfa, EX_OFFICIAL_TAX, EX_ZD_TAX) "
                         "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    static const std::vector<int> general = {14, 17, 20, 30, 35, 40, 50, 70, 80, 100, 130};
    static const std::vector<int> rebate = {0, 9, 13, 13};
    const QDate rebateDay(2024, 12, 1);
    int specialId = 0;
    while (int(lines.size()) < count) {
        const CommodityGroup &g = pickGroup(rnd);
        QByteArray code = makeCode(rnd, g);
        if (used.contains(code)) continue;
        used.insert(code);
        QByteArray material = u8(rnd.pick(g.materials));
        QByteArray name = u8(rnd.pick(g.qualifiers)) + material + u8(rnd.pick(g.products));
        const double mfn = rnd.pick(g.mfnRates);
        const QByteArray unit2 = u8(rnd.pick(g.units2));
        const QByteArray lice = u8(rnd.pick(g.conditions));
        tariff.integer(qint64(lines.size()) + 1)
            .utf8(ScrambleCode(code))
            .utf8(name)
            .utf8(u8(g.elements))
            .real(mfn)
            .real(rnd.pick(general))
            .real(rnd.pick(rebate))
            .text(rebateDay.addDays(rnd.below(400)).toString(Qt::ISODate))
            .real(g.vatRate)
            .utf8(u8(rnd.pick(g.units1)));
        unit2.isEmpty() ? tariff.null() : tariff.utf8(unit2);
        lice.isEmpty() ? tariff.null() : tariff.utf8(lice);
        tariff.insert();

        // About half of the lines have agreement rates, under their 8-digit tariff number.
        if (rnd.chance(50)) {
            const QByteArray asean = mfn > 0 && rnd.chance(15) ? QByteArray("5") : QByteArray("0");
            special.text(QString::number(++specialId)).utf8(ScrambleCode(code.left(8))).utf8(name).utf8(rate(mfn));
            rnd.chance(40) ? special.utf8(QByteArray::number(mfn * 0.7, 'g', 3)) : special.null();
            for (int i = 0; i < 10; ++i) special.utf8(asean);
            rnd.chance(10) ? special.utf8("0") : special.null();
            const bool exportDuty = g.chapters.front() == 25 || g.chapters.front() == 74;
            exportDuty ? special.utf8(rate(20 + 5 * rnd.below(5))) : special.null();
            exportDuty &&rnd.chance(50) ? special.utf8("0%") : special.null();
            special.insert();
        }
        lines.push_back({std::move(code), std::move(name), std::move(material), &g});
    }
    return lines;
}

void generateRulings(BuilderDatabase &db, Random &rnd, const std::vector<TariffLine> &lines, int count) {
    Inserter ins(db, "insert into hs_classify (id, code_t, g_name, class_spec) values (?,?,?,?)");
    for (int id = 1; id <= count; ++id) {
        const TariffLine &t = lines[rnd.below(int(lines.size()))];
        const QByteArray m = model(rnd);
        const QByteArray name = t.name + "（" + m + "型）";
        const QByteArray spec = "该商品为" + name + "，" + u8(rnd.pick(t.group->uses)) + "，品牌为" +
                                u8(rnd.pick(caseBrands())) + "。根据《归类总规则》一及六，" + "应归入税则号列" +
                                t.code.left(8) + "。";
        ins.integer(id).utf8(ScrambleCode(t.code)).utf8(name).utf8(spec).insert();
    }
}

void generateCases(BuilderDatabase &db, Random &rnd, const std::vector<TariffLine> &lines, int count) {
    // Every day from 2012 to 2025, written once: YYYY-MM-DD sorts in time order as text.
    std::vector<QByteArray> days;
    for (QDate d(2012, 1, 1); d.year() <= 2025; d = d.addDays(1)) days.push_back(d.toString(Qt::ISODate).toLatin1());
    std::vector<QByteArray> scrambled;
    scrambled.reserve(lines.size());
    for (const TariffLine &t : lines) scrambled.push_back(ScrambleCode(t.code));

    Inserter ins(db, "insert into case_hs values (?,?,?,?,?,?,?,?)");
    for (int id = 1; id <= count; ++id) {
        const int index = rnd.below(int(lines.size()));
        const TariffLine &t = lines[index];
        const CaseText text = caseText(rnd, t);
        const QByteArray &day = days[rnd.below(int(days.size()))];
        ins.integer(id)
            .utf8(text.name)
            .utf8(scrambled[index])
            .utf8(text.spec)
            .utf8(day)
            .utf8(day)
            .integer(0)
            .utf8(caseSource(rnd))
            .insert();
    }
}

} // namespace

void generateRows(BuilderDatabase &db, const GeneratorOptions &options) {
    if (options.tariff < 1 || options.tariff > kMaxTariffLines || options.rulings < 0 || options.cases < 0)
        throw AppError(
            QStringLiteral("--tariff must be 1 to %1, --rulings and --cases 0 or more").arg(kMaxTariffLines));
    Random rnd(options.seed);
    const std::vector<TariffLine> lines = generateTariff(db, rnd, options.tariff);
    generateRulings(db, rnd, lines, options.rulings);
    generateCases(db, rnd, lines, options.cases);
    // Kept in code order as every built database is; before the indexes, which follow it.
    CaseOrder::cluster(db.handle());
}
