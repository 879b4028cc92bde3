#include "dbbuilder/CaseRecord.h"

#include <cstdlib>

namespace {

QByteArray u8(const char *s) { return QByteArray(s); }

const std::vector<const char *> kBrands = {"无品牌", "华泰", "中远",  "金鼎", "长城", "飞鹰",
                                           "海川",   "SONY", "BOSCH", "三星", "美的", "正泰"};
const std::vector<const char *> kSources = {"报关单",   "归类指导意见", "海关总署公告",
                                            "企业申报", "预归类决定",   "价格资料"};

const CommodityGroup &groupOf(int chapter) {
    const CommodityGroup *nearest = &commodityGroups().front();
    int distance = 100;
    for (const CommodityGroup &g : commodityGroups())
        for (int c : g.chapters) {
            if (std::abs(c - chapter) >= distance) continue;
            distance = std::abs(c - chapter);
            nearest = &g;
        }
    return *nearest;
}

} // namespace

TariffLine lineOf(const QByteArray &plainCode, const QByteArray &name) {
    const CommodityGroup &g = groupOf(plainCode.left(2).toInt());
    QByteArray material;
    for (const char *m : g.materials)
        if (qsizetype(qstrlen(m)) > material.size() && name.contains(m)) material = m;
    return {plainCode, name, material, &g};
}

const std::vector<const char *> &caseBrands() { return kBrands; }

QByteArray model(Random &rnd) {
    static const char letters[] = "ABCDEFGHJKLMNPRSTWXYZ";
    QByteArray m;
    m += letters[rnd.below(21)];
    m += letters[rnd.below(21)];
    m += '-';
    m += QByteArray::number(100 + rnd.below(9900));
    return m;
}

CaseText caseText(Random &rnd, const TariffLine &line) {
    const QByteArray brand = u8(rnd.pick(kBrands));
    const QByteArray name = rnd.chance(30) ? brand + "牌" + line.name : line.name;
    const QByteArray spec = QByteArray::number(rnd.below(4)) + '|' + QByteArray::number(rnd.below(3)) + '|' +
                            u8(rnd.pick(line.group->uses)) + '|' + line.material + '|' + brand + '|' + model(rnd);
    return {name, spec};
}

QByteArray caseSource(Random &rnd) { return u8(rnd.pick(kSources)); }
