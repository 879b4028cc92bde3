#include "data/AppError.h"
#include "data/CodeCodec.h"

#include <gtest/gtest.h>

TEST(Codec, ScramblesEachByteWithTheKeyAtItsPosition) {
    struct Case {
        QByteArray plain;
        QByteArray scrambled;
    } cases[] = {
        {"", ""},
        {"0", "6E"}, // '0' 0x30 ^ 0x5E
        {"01", "6EF2"}, // '1' 0x31 ^ 0xC3
        {"01012100", "6EF2279979A11DC6"},
        // bytes 9-16 reuse key bytes 0-7
        {"0101210010", "6EF2279979A11DC66FF3"},
        {QByteArray("\x00\xff", 2), "5E3C"},
        {"a", "3F"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ScrambleCode(c.plain), c.scrambled) << c.plain.toStdString();
        EXPECT_EQ(UnscrambleCode(c.scrambled), c.plain) << c.scrambled.toStdString();
    }
}

TEST(Codec, RoundTripsEveryByteAndKeepsPrefixes) {
    QByteArray all;
    for (int i = 0; i < 256; ++i) all.append(static_cast<char>(i));
    const QByteArray s = ScrambleCode(all);
    EXPECT_EQ(s.size(), 512);
    for (char c : s) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    EXPECT_EQ(UnscrambleCode(s), all);
    EXPECT_TRUE(ScrambleCode(QByteArray("8471301000")).startsWith(ScrambleCode(QByteArray("8471"))));
    EXPECT_EQ(ScrambleCode(QByteArray("8471")), ScrambleCode(QByteArray("84713010")).left(8));
}

TEST(Codec, UnscrambleIgnoresAnOddLastCharacterAndAcceptsLowerCase) {
    EXPECT_EQ(UnscrambleCode(QByteArray("6")), QByteArray());
    EXPECT_EQ(UnscrambleCode(QByteArray("6EF")), QByteArray("0"));
    EXPECT_EQ(UnscrambleCode(QByteArray("6ef2279979a11dc6")), QByteArray("01012100"));
    // a zero byte is kept like any other
    EXPECT_EQ(UnscrambleCode(QByteArray("5E")), QByteArray("\x00", 1));
}

TEST(Codec, UnscrambleFailsAtTheFirstPairThatIsNotHex) {
    struct Case {
        QByteArray input;
        QString message;
    } cases[] = {
        {"G1", "'$G1' is not a valid integer value"},     {"6EG1", "'$G1' is not a valid integer value"},
        {"6E 1", "'$ 1' is not a valid integer value"},   {"-1", "'$-1' is not a valid integer value"},
        {"6E1G33", "'$1G' is not a valid integer value"},
    };
    for (const Case &c : cases) {
        try {
            UnscrambleCode(c.input);
            ADD_FAILURE() << "no error for " << c.input.toStdString();
        } catch (const AppError &e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
}

TEST(Codec, WideTextTravelsThroughGbk) {
    const QString plain = QStringLiteral("编码01");
    const QString scrambled = ScrambleCode(plain);
    EXPECT_EQ(scrambled.size(), 12); // 2 Chinese characters of 2 bytes, 2 ASCII: 6 bytes
    EXPECT_EQ(UnscrambleCode(scrambled), plain);
}
