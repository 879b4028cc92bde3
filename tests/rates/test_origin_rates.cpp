// Choosing a code's rate for an origin, on rate sheets built in the test: several agreements,
// a provisional rate below MFN, no agreement, per-unit duties and rates that do not compare.
#include "data/RateSchema.h"
#include "rates/OriginRates.h"

#include <gtest/gtest.h>

namespace {

PublishedRate rate(const QString &kind, const char *text, const char *partner = "") {
    PublishedRate r{kind, QString::fromUtf8(partner), QString::fromUtf8(text), std::nullopt};
    const QString t = r.text;
    bool ok = false;
    const double v = QString(t).remove(u'%').toDouble(&ok);
    if (ok) r.percent = v;
    return r;
}

// Beef as published: MFN 12%, general 70%, several agreements; ASEAN and APTA are groups.
RateSheet beef(const char *provisional = nullptr) {
    QList<PublishedRate> rates = {rate(RateSchema::kMfn, "12%"), rate(RateSchema::kGeneral, "70%")};
    if (provisional) rates << rate(RateSchema::kProvisional, provisional);
    rates << rate(RateSchema::kAgreement, "10.5", "亚太") << rate(RateSchema::kAgreement, "2.4", "韩国")
          << rate(RateSchema::kAgreement, "0", "澳大利亚") << rate(RateSchema::kAgreement, "0", "东盟")
          << rate(RateSchema::kAgreement, "12", "瑞士");
    return RateSheet::fromRates(rates);
}

QString textOf(const RateSheet &s, int i) { return i < 0 ? QStringLiteral("-") : s.rates()[i].text; }
QString partnerOf(const RateSheet &s, int i) { return i < 0 ? QStringLiteral("-") : s.rates()[i].partner; }

} // namespace

TEST(OriginRates, LowestApplicableRateForAnOrigin) {
    struct Case {
        const char *origin;
        const char *provisional;
        const char *lowestText, *lowestPartner, *baseText;
        int applicable; // MFN, provisional and the agreements covering the origin
    };
    const Case cases[] = {
        // Korea is in APTA and has its own agreement: the lower of the two wins.
        {"韩国", nullptr, "2.4", "韩国", "12%", 3},
        // Laos is in both groups: APTA 10.5 and ASEAN 0.
        {"老挝", nullptr, "0", "东盟", "12%", 3},
        {"越南", nullptr, "0", "东盟", "12%", 2},
        // No agreement: MFN applies.
        {"美国", nullptr, "12%", "", "12%", 1},
        // A provisional rate below MFN applies without an agreement and beats a higher one.
        {"美国", "8%", "8%", "", "8%", 2},
        {"印度", "8%", "8%", "", "8%", 3},
        // ... but not a lower agreement rate.
        {"韩国", "8%", "2.4", "韩国", "8%", 4},
        // An agreement rate equal to MFN gives nothing: MFN stays the choice.
        {"瑞士", nullptr, "12%", "", "12%", 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.origin) + (c.provisional ? " provisional" : ""));
        const RateSheet sheet = beef(c.provisional);
        const OriginRates::Choice choice = OriginRates::choose(sheet, QString::fromUtf8(c.origin));
        EXPECT_TRUE(choice.comparable);
        EXPECT_EQ(textOf(sheet, choice.lowest), QString::fromUtf8(c.lowestText));
        EXPECT_EQ(partnerOf(sheet, choice.lowest), QString::fromUtf8(c.lowestPartner));
        EXPECT_EQ(textOf(sheet, choice.base), QString::fromUtf8(c.baseText));
        EXPECT_EQ(choice.applicable.size(), c.applicable);
    }
}

TEST(OriginRates, SummarySaysWhichAgreementAndWhatAppliesOtherwise) {
    const RateSheet sheet = beef("8%");
    const QString korea = OriginRates::summary(sheet, OriginRates::choose(sheet, "韩国"), "韩国");
    EXPECT_TRUE(korea.contains("协定税率（韩国） 2.4%")) << korea.toStdString();
    EXPECT_TRUE(korea.contains("否则适用暂定税率 8%")) << korea.toStdString();
    const QString usa = OriginRates::summary(sheet, OriginRates::choose(sheet, "美国"), "美国");
    EXPECT_TRUE(usa.contains("无适用的协定税率，适用暂定税率 8%")) << usa.toStdString();
    // No origin chosen: nothing is marked, the summary asks for one.
    const OriginRates::Choice none = OriginRates::choose(sheet, QString());
    EXPECT_EQ(none.lowest, -1);
    EXPECT_EQ(textOf(sheet, none.base), "8%");
    EXPECT_EQ(OriginRates::summary(sheet, none, QString()), "请选择原产国（地区）；无协定时适用暂定税率 8%。");
    const QString swiss = OriginRates::summary(beef(), OriginRates::choose(beef(), "瑞士"), "瑞士");
    EXPECT_TRUE(swiss.contains("协定税率不低于最惠国税率 12%")) << swiss.toStdString();
}

TEST(OriginRates, PerUnitDutiesCompareOnlyWithTheSameUnit) {
    // Frozen chicken wings: 0.8元/千克 MFN, 0 per kilogram from Australia (written with a space).
    const RateSheet wings = RateSheet::fromRates(
        {rate(RateSchema::kMfn, "0.8元/千克"), rate(RateSchema::kGeneral, "8.1元/千克"),
         rate(RateSchema::kAgreement, "0元/千 克", "澳大利亚"), rate(RateSchema::kAgreement, "7", "新西兰")});
    const OriginRates::Choice au = OriginRates::choose(wings, "澳大利亚");
    ASSERT_TRUE(au.comparable);
    EXPECT_EQ(textOf(wings, au.lowest), "0元/千 克");
    EXPECT_EQ(OriginRates::rateText(wings.rates()[au.base]), "0.8元/千克");
    // A percentage against a duty per kilogram: no mark, and the summary says why.
    const OriginRates::Choice nz = OriginRates::choose(wings, "新西兰");
    EXPECT_FALSE(nz.comparable);
    EXPECT_EQ(nz.lowest, -1);
    EXPECT_TRUE(OriginRates::summary(wings, nz, "新西兰").contains("无法比较"));
    // Nothing at all is lower than any duty per unit: the export writes Australia's 0 for wings.
    const RateSheet zero =
        RateSheet::fromRates({rate(RateSchema::kMfn, "0.8元/千克"), rate(RateSchema::kAgreement, "0", "澳大利亚")});
    EXPECT_EQ(textOf(zero, OriginRates::choose(zero, "澳大利亚").lowest), "0");
    // A compound duty compares with nothing but a rate of nothing.
    const RateSheet compound =
        RateSheet::fromRates({rate(RateSchema::kMfn, "20%或2元/千克，从高"), rate(RateSchema::kAgreement, "0", "智利"),
                              rate(RateSchema::kAgreement, "5", "秘鲁")});
    EXPECT_FALSE(OriginRates::choose(compound, "秘鲁").comparable);
    EXPECT_EQ(textOf(compound, OriginRates::choose(compound, "智利").lowest), "0");
    // Alone, it is what applies.
    const OriginRates::Choice usa = OriginRates::choose(compound, "美国");
    EXPECT_TRUE(usa.comparable);
    EXPECT_EQ(usa.lowest, 0);
}

TEST(OriginRates, GroupsAndTerritoriesStandForTheirMembers) {
    EXPECT_TRUE(OriginRates::memberCountries("东盟").contains("新加坡"));
    EXPECT_TRUE(OriginRates::memberCountries("亚太").contains("韩国"));
    EXPECT_EQ(OriginRates::memberCountries("台湾"), QStringList{"中国台湾"});
    EXPECT_EQ(OriginRates::memberCountries("尼加拉瓜"), QStringList{"尼加拉瓜"});
    EXPECT_TRUE(OriginRates::agreementCountries().contains("中国香港"));
}

TEST(OriginRates, NoRateDataIsSaidPlainly) {
    const RateSheet none;
    EXPECT_EQ(none.status(), RateSheet::Status::NoRateData);
    EXPECT_TRUE(OriginRates::summary(none, OriginRates::choose(none, "韩国"), "韩国").contains("未保存"));
}
