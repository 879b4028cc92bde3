// The remembering GBK table gives exactly what the converter gives, character by character and
// for whole texts, also where the converter substitutes or a text is not whole characters.
#include "data/GbkTable.h"

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

QByteArray encoded(const QString &text) {
    return QStringEncoder("GBK", QStringConverter::Flag::Stateless).encode(text);
}
QByteArray decodedUtf8(const QByteArray &gbk) { return QString(QStringDecoder("GBK").decode(gbk)).toUtf8(); }

} // namespace

TEST(GbkTable, EncodesEveryCharacterOfTheBasicPlaneAsTheConverter) {
    GbkTable table;
    QString all;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const QString one{QChar(char16_t(c))};
        all += one;
        // Asked twice: the remembered answer is the first one.
        for (int round = 0; round < 2; ++round)
            ASSERT_EQ(table.fromUtf8(one.toUtf8()), encoded(one)) << std::hex << unsigned(c);
    }
    EXPECT_EQ(table.fromUtf8(all.toUtf8()), encoded(all));
}

TEST(GbkTable, DecodesEveryOneAndTwoByteSequenceAsTheConverter) {
    GbkTable table;
    QByteArray all;
    for (int lead = 0; lead < 0x100; ++lead) {
        const QByteArray one(1, char(lead));
        ASSERT_EQ(table.toUtf8(one), decodedUtf8(one)) << lead;
        for (int trail = 0; trail < 0x100; ++trail) {
            const QByteArray two = one + char(trail);
            ASSERT_EQ(table.toUtf8(two), decodedUtf8(two)) << lead << ' ' << trail;
            if (decodedUtf8(two).size() > 1) all += two;
        }
    }
    EXPECT_EQ(table.toUtf8(all), decodedUtf8(all));
}

TEST(GbkTable, TextsTheTableCannotSettleGoToTheConverterWhole) {
    GbkTable table;
    const auto skipSpace = [](char c) { return c == ' '; };
    struct Case {
        const char *what;
        QByteArray utf8;
    } cases[] = {
        {"outside the basic plane", "钢\xF0\x9F\x98\x80管 a"},
        {"not UTF-8", "钢\xFF管 a"},
        {"a truncated character", "钢 \xE9\x92"},
        {"an overlong form", "a \xE0\x80\xAF"},
        {"a surrogate", "\xED\xA0\x80 钢"},
        {"not representable", "钢 \xE2\x98\x83 é"},
        {"empty", ""},
    };
    for (const Case &c : cases) {
        QByteArray expected = encoded(QString::fromUtf8(c.utf8));
        expected.removeIf(skipSpace);
        QByteArray out = "kept`";
        table.appendGbk(out, c.utf8, skipSpace);
        EXPECT_EQ(out, "kept`" + expected) << c.what;
    }
    // GBK that is not whole characters: a lead byte at the end, a lead byte before a byte that
    // cannot follow it, bytes that start nothing.
    for (const QByteArray &gbk : {QByteArray("\xB8\xD6\xB9"), QByteArray("\xB8\xD6\x81\x20"), QByteArray("a\xFF\x80")})
        EXPECT_EQ(table.toUtf8(gbk), decodedUtf8(gbk)) << gbk.toHex().constData();
}
