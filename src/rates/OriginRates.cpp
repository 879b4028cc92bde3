#include "rates/OriginRates.h"

#include "data/RateSchema.h"

#include <QHash>
#include <QLocale>

namespace OriginRates {

namespace {

const QHash<QString, QStringList> &groups() {
    static const QHash<QString, QStringList> map = {
        // The Asia-Pacific Trade Agreement.
        {QStringLiteral("亚太"),
         {QStringLiteral("孟加拉国"), QStringLiteral("印度"), QStringLiteral("老挝"), QStringLiteral("韩国"),
          QStringLiteral("斯里兰卡"), QStringLiteral("蒙古")}},
        {QStringLiteral("东盟"),
         {QStringLiteral("文莱"), QStringLiteral("柬埔寨"), QStringLiteral("印度尼西亚"), QStringLiteral("老挝"),
          QStringLiteral("马来西亚"), QStringLiteral("缅甸"), QStringLiteral("菲律宾"), QStringLiteral("新加坡"),
          QStringLiteral("泰国"), QStringLiteral("越南")}},
        {QStringLiteral("台湾"), {QStringLiteral("中国台湾")}},
        {QStringLiteral("香港"), {QStringLiteral("中国香港")}},
        {QStringLiteral("澳门"), {QStringLiteral("中国澳门")}},
    };
    return map;
}

bool isBase(const QString &kind) { return kind == RateSchema::kMfn || kind == RateSchema::kProvisional; }

// The index of the lowest of `candidates`, the earliest on a tie; -1 with `comparable` false
// when they are not all of one form. A lone candidate is the lowest whatever its form, and a
// duty of nothing (0%, 0元/千克) is lower than any other.
int lowestOf(const RateSheet &sheet, const QList<int> &candidates, bool &comparable) {
    comparable = true;
    if (candidates.size() == 1) return candidates.first();
    for (int i : candidates)
        if (const std::optional<RateAmount> a = rateAmount(sheet.rates()[i]); a && a->value == 0) return i;
    int best = -1;
    std::optional<RateAmount> bestAmount;
    for (int i : candidates) {
        const std::optional<RateAmount> a = rateAmount(sheet.rates()[i]);
        if (!a || (bestAmount && a->unit != bestAmount->unit)) {
            comparable = false;
            return -1;
        }
        if (!bestAmount || a->value < bestAmount->value) {
            best = i;
            bestAmount = a;
        }
    }
    return best;
}

} // namespace

QStringList memberCountries(const QString &partner) { return groups().value(partner, {partner}); }

QStringList agreementCountries() {
    QStringList all;
    for (const QStringList &members : groups()) all += members;
    for (const char *single :
         {"智利", "巴基斯坦", "新西兰", "秘鲁", "哥斯达黎加", "瑞士", "冰岛", "澳大利亚", "韩国", "格鲁吉亚",
          "毛里求斯", "新加坡", "柬埔寨", "尼加拉瓜", "厄瓜多尔", "塞尔维亚", "洪都拉斯", "马尔代夫"})
        all << QString::fromUtf8(single);
    all.removeDuplicates();
    std::sort(all.begin(), all.end(),
              [](const QString &a, const QString &b) { return QString::localeAwareCompare(a, b) < 0; });
    return all;
}

Choice choose(const RateSheet &sheet, const QString &origin) {
    Choice c;
    QList<int> bases;
    for (int i = 0; i < sheet.rates().size(); ++i) {
        const PublishedRate &r = sheet.rates()[i];
        if (isBase(r.kind)) bases << i;
        if (isBase(r.kind) || (r.kind == RateSchema::kAgreement && memberCountries(r.partner).contains(origin)))
            c.applicable << i;
    }
    // The provisional rate stands before MFN, so it is what applies when the two are equal.
    std::sort(bases.begin(), bases.end(), [&](int a, int b) {
        return sheet.rates()[a].kind == RateSchema::kProvisional && sheet.rates()[b].kind != RateSchema::kProvisional;
    });
    bool basesCompare = true;
    c.base = lowestOf(sheet, bases, basesCompare);
    if (!basesCompare) c.base = bases.first(); // the provisional rate, as published
    // On a tie the rate without an agreement wins: it needs no certificate of origin.
    QList<int> candidates = bases;
    for (int i : c.applicable)
        if (!isBase(sheet.rates()[i].kind)) candidates << i;
    // Without an origin nothing is chosen: the rates are only listed.
    if (!origin.isEmpty()) c.lowest = lowestOf(sheet, candidates, c.comparable);
    return c;
}

QString kindTitle(const PublishedRate &rate) {
    if (rate.kind == RateSchema::kMfn) return QStringLiteral("最惠国税率");
    if (rate.kind == RateSchema::kProvisional) return QStringLiteral("暂定税率");
    if (rate.kind == RateSchema::kGeneral) return QStringLiteral("普通税率");
    if (rate.kind == RateSchema::kExport) return QStringLiteral("出口税率");
    if (rate.kind == RateSchema::kExportProvisional) return QStringLiteral("出口暂定税率");
    if (rate.kind == RateSchema::kAgreement) return QStringLiteral("协定税率（%1）").arg(rate.partner);
    return rate.kind;
}

QString rateText(const PublishedRate &rate) {
    if (!rate.percent) return rate.text;
    return QLocale::c().toString(*rate.percent, 'g', 15) + u'%';
}

QString coverage(const PublishedRate &r) {
    if (r.kind == RateSchema::kAgreement) return memberCountries(r.partner).join(QStringLiteral("、"));
    if (r.kind == RateSchema::kGeneral) return QStringLiteral("无最惠国待遇的国家或地区");
    if (r.kind == RateSchema::kExport || r.kind == RateSchema::kExportProvisional) return QStringLiteral("出口");
    return QStringLiteral("所有国家或地区");
}

QString summary(const RateSheet &sheet, const Choice &choice, const QString &origin) {
    switch (sheet.status()) {
    case RateSheet::Status::NoRateData:
        return QStringLiteral("此数据库未保存按原产地的税率数据。");
    case RateSheet::Status::NoRates:
        return QStringLiteral("此商品编码没有税率数据。");
    case RateSheet::Status::Stored:
        break;
    }
    if (choice.base < 0) return QStringLiteral("此商品编码没有最惠国税率或暂定税率。");
    const PublishedRate &base = sheet.rates()[choice.base];
    const QString otherwise = QStringLiteral("%1 %2").arg(kindTitle(base), rateText(base));
    if (origin.isEmpty()) return QStringLiteral("请选择原产国（地区）；无协定时适用%1。").arg(otherwise);
    const QString from = QStringLiteral("原产于%1").arg(origin);
    if (!choice.comparable)
        return QStringLiteral("%1：适用税率形式不同，无法比较高低；无协定时适用%2。").arg(from, otherwise);
    const PublishedRate &lowest = sheet.rates()[choice.lowest];
    if (lowest.kind == RateSchema::kAgreement)
        return QStringLiteral("%1：最低为%2 %3（需符合原产地规则）；否则适用%4。")
            .arg(from, kindTitle(lowest), rateText(lowest), otherwise);
    const bool anyAgreement = std::any_of(choice.applicable.begin(), choice.applicable.end(),
                                          [&](int i) { return sheet.rates()[i].kind == RateSchema::kAgreement; });
    if (anyAgreement) return QStringLiteral("%1：协定税率不低于%2，适用%2。").arg(from, otherwise);
    return QStringLiteral("%1：无适用的协定税率，适用%2。").arg(from, otherwise);
}

} // namespace OriginRates
