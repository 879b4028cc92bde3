#include "data/AppError.h"
#include "data/Gbk.h"
#include "updates/FlatRecord.h"
#include "updates/XmlDocument.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// The fields of the first record of <root>record</root>, decoded from GBK.
struct Read {
    QByteArray flat;
    QStringList fields;
};

Read readRecord(const QString &record) {
    const XmlDocument doc =
        XmlDocument::fromBytes((QStringLiteral("<root>") + record + QStringLiteral("</root>")).toUtf8());
    Read r;
    r.flat = FlattenNode(doc.root()->children);
    const FieldList list = SplitFlatRecord(r.flat);
    for (qsizetype i = 0; i < list.count(); ++i) r.fields.append(list.text(i));
    return r;
}

std::string show(const QStringList &l) { return ("[" + l.join(u'|') + "]").toStdString(); }

} // namespace

TEST(FlatRecord, RecordsReadAsTheirTextValuesInDocumentOrder) {
    struct Case {
        const char *what;
        QString record;
        QStringList fields;
    } cases[] = {
        {"apostrophes and spaces deleted", "<r><a>7</a><b>Tom's new list</b></r>", {"7", "Tomsnewlist"}},
        {"no child nodes", "<r/>", {}},
        {"nesting spliced in", "<r><a>1</a><g><b>2</b><c>3</c></g><d>4</d></r>", {"1", "2", "3", "4"}},
        {"deep nesting", "<r><g><h><i><a>1</a></i></h></g><b>2</b></r>", {"1", "2"}},
        {"empty element moves values forward", "<r><a/><b></b><c>x</c></r>", {"x"}},
        {"whitespace-only element", "<r><a>  </a><b>\n\t \r\n</b><c>x</c></r>", {"x"}},
        {"CDATA contributes nothing", "<r><a><![CDATA[zz]]></a><b>x</b></r>", {"x"}},
        {"mixed content keeps only text elements", "<r><a>loose<b>1</b>tail</a><c>2</c></r>", {"1", "2"}},
        {"attributes ignored", "<r id=\"9\"><a k=\"v\">1</a></r>", {"1"}},
        {"comments and PIs contribute nothing", "<r><!-- c --><?pi x?><a>1</a><!--d--></r>", {"1"}},
        {"apostrophe between values", "<r><a>a</a><b>'</b><c>b</c></r>", {"a", "", "b"}},
        {"apostrophe first", "<r><a>'</a><b>b</b></r>", {"", "b"}},
        {"apostrophe last gives a trailing empty field", "<r><a>a</a><b>' '</b></r>", {"a", ""}},
        {"line break splits a value", "<r><a>ab\ncd</a><b>e</b></r>", {"ab", "cd", "e"}},
        {"tab splits a value", "<r><a>ab\tcd</a><b>e</b></r>", {"ab", "cd", "e"}},
        {"backtick splits a value", "<r><a>p`q</a><b>r</b></r>", {"p", "q", "r"}},
        {"quoted field then text", "<r><a>\"x\"y</a></r>", {"x", "y"}},
        {"doubled quote inside quotes", "<r><a>\"a\"\"b\"</a><b>c</b></r>", {"a\"b", "c"}},
        {"quote inside a value is plain text", "<r><a>a\"b</a></r>", {"a\"b"}},
        {"unterminated quote, last value", "<r><a>1</a><b>\"xyz</b></r>", {"1", "xy"}},
        {"unterminated quote swallows the rest", "<r><a>\"xyz</a><b>next</b></r>", {"xyz`nex"}},
        {"unterminated quote drops a whole Chinese character", "<r><a>\"ab中</a></r>", {"ab"}},
        {"predefined entities are text", "<r><a>x&amp;y&lt;</a><b>Tom&apos;s</b></r>", {"x&y<", "Toms"}},
        // 乣 is 0x81 0x60 in GBK: its second byte is a backtick that must not split.
        {"second byte of a GBK character is no delimiter", "<r><a>乣亊</a><b>中文</b></r>", {"乣亊", "中文"}},
        {"GBK character inside quotes", "<r><a>\"乣\"</a><b>2</b></r>", {"乣", "2"}},
        {"character outside GBK becomes a replacement", "<r><a>a😀b</a></r>", {"a?b"}},
    };
    for (const Case &c : cases) {
        const Read r = readRecord(c.record);
        EXPECT_EQ(r.fields, c.fields) << c.what << ": got " << show(r.fields);
    }
}

TEST(FlatRecord, FlattenPrefixesEveryValueWithABacktick) {
    EXPECT_EQ(readRecord("<r><a>7</a><b>Tom's new list</b></r>").flat, QByteArray("`7`Tomsnewlist"));
    EXPECT_EQ(readRecord("<r><a>a</a><b>'</b><c>b</c></r>").flat, QByteArray("`a``b"));
    EXPECT_EQ(readRecord("<r/>").flat, QByteArray());
    EXPECT_EQ(readRecord("<r><a>中</a></r>").flat, QByteArray("`\xD6\xD0"));
    // A node that is not an element yields nothing, so a stray root child reads as no fields.
    EXPECT_EQ(readRecord("<!-- c -->").flat, QByteArray());
    EXPECT_EQ(readRecord("loose text").flat, QByteArray());
    EXPECT_EQ(FlattenNode(nullptr), QByteArray());
}

TEST(FlatRecord, SplitScansTheFlattenedText) {
    struct Case {
        QByteArray flat;
        QList<QByteArray> fields;
    } cases[] = {
        {"", {}},
        {"`", {}},
        {"``", {"", ""}},
        {"`a`", {"a", ""}},
        {"`  a  `  b", {"a", "b"}},
        {"`a\r\n\tb", {"a", "b"}},
        {"`\"a b\"`c", {"a b", "c"}},
        {"`\"\"", {""}},
        {"`\"", {""}},
        {"`\"a\"\"b", {"a\""}},
        {QByteArray("`a\0b", 4), {"a"}},
        {"`\x81\x60`\xD6\xD0", {"\x81\x60", "\xD6\xD0"}},
    };
    for (const Case &c : cases) EXPECT_EQ(SplitFlatRecord(c.flat).fields(), c.fields) << c.flat.toStdString();
}

TEST(FlatRecord, ReadingPastTheLastFieldFailsWithTheListIndexMessage) {
    const FieldList none = SplitFlatRecord(QByteArray());
    try {
        none.at(0);
        FAIL() << "no error";
    } catch (const AppError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("List index out of bounds (0)"));
    }
    const FieldList two = SplitFlatRecord("`a`b");
    EXPECT_EQ(two.at(1), QByteArray("b"));
    try {
        two.text(4);
        FAIL() << "no error";
    } catch (const AppError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("List index out of bounds (4)"));
    }
}
