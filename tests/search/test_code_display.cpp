#include "data/CodeCodec.h"
#include "search/CodeDisplay.h"
#include "search/SearchTables.h"

#include <gtest/gtest.h>

namespace {
QVariant stored(const QString &plain) { return ScrambleCode(plain); }
} // namespace

TEST(CodeDisplay, CaseCodesGetTheirDotAndOtherCodesShowAsUnscrambled) {
    struct Case {
        QVariant value;
        QString caseText, plainText;
    } cases[] = {
        {QVariant(), "", ""}, // Null
        {QString(), "", ""}, // empty
        {stored("0101"), "0101", "0101"}, // short
        {stored("01012100"), "01012100", "01012100"}, // exactly 8
        {stored("0101210000"), "01012100", "0101210000"}, // 9-10 are 00
        {stored("0101210010"), "01012100.10", "0101210010"}, // 9-10 are 10
        {stored("010121005"), "01012100.5", "010121005"}, // 9 characters
        {stored("010121000"), "01012100", "010121000"},
        {stored("010121001099"), "01012100.10", "010121001099"}, // characters after the 10th never show
        {stored("01012100AB"), "01012100AB", "01012100AB"}, // not a number: shown unchanged
        {stored("01012100-1"), "01012100", "01012100-1"}, // a negative number counts as not positive
        {stored("84713010.1"), "84713010.1", "84713010.1"}, // ".1" is not a decimal integer
    };
    for (const Case &c : cases) {
        // The result grids' code columns, and the detail view's tariff row.
        EXPECT_EQ(SearchTables::codeText(SearchTables::CaseHs, c.value), c.caseText) << c.plainText.toStdString();
        EXPECT_EQ(SearchTables::codeText(SearchTables::OfficialHs, c.value), c.plainText);
        EXPECT_EQ(SearchTables::codeText(SearchTables::HsClassify, c.value), c.plainText);
        EXPECT_EQ(CodeDisplay::plainCode(c.value), c.plainText);
    }
}
