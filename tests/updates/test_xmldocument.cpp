#include "data/AppError.h"
#include "data/Gbk.h"
#include "updates/FlatRecord.h"
#include "updates/XmlDocument.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList fieldsOf(const xmlNode *record) {
    const FieldList list = SplitFlatRecord(FlattenNode(record));
    QStringList out;
    for (qsizetype i = 0; i < list.count(); ++i) out.append(list.text(i));
    return out;
}

QString loadError(const QByteArray &bytes) {
    try {
        XmlDocument::fromBytes(bytes);
    } catch (const AppError &e) {
        return e.message();
    }
    ADD_FAILURE() << "loaded without error: " << bytes.toStdString();
    return {};
}

QByteArray writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return QUrl::fromLocalFile(f.fileName()).toEncoded();
}

} // namespace

TEST(XmlDocument, EveryDeclaredEncodingIsRead) {
    const QString body = QStringLiteral("<root>\n  <r><a>8471 3010</a><b>中文名称，钢铁</b></r>\n</root>\n");
    struct Case {
        const char *declared;
        QStringConverter::Encoding qtEncoding; // System means "use the declared name"
        bool bom;
    } cases[] = {
        {"UTF-8", QStringConverter::Utf8, false},     {"UTF-8", QStringConverter::Utf8, true},
        {"UTF-16", QStringConverter::Utf16LE, true},  {"UTF-16", QStringConverter::Utf16BE, true},
        {"GB2312", QStringConverter::System, false},  {"GBK", QStringConverter::System, false},
        {"GB18030", QStringConverter::System, false},
    };
    for (const Case &c : cases) {
        const QString text =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n").arg(QLatin1String(c.declared)) + body;
        const QStringConverter::Flags flags =
            c.bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default;
        QStringEncoder enc = c.qtEncoding == QStringConverter::System ? QStringEncoder(c.declared, flags)
                                                                      : QStringEncoder(c.qtEncoding, flags);
        ASSERT_TRUE(enc.isValid()) << c.declared;
        const QByteArray bytes = enc.encode(text);
        if (c.qtEncoding == QStringConverter::System) { // really a multi-byte legacy encoding
            ASSERT_FALSE(bytes.contains(QStringLiteral("中文").toUtf8())) << c.declared;
        }
        const XmlDocument doc = XmlDocument::fromBytes(bytes);
        EXPECT_EQ(fieldsOf(doc.root()->children), (QStringList{"84713010", "中文名称，钢铁"}))
            << c.declared << (c.bom ? " with BOM" : "");
    }
}

TEST(XmlDocument, Gb2312BytesFromIconvAreRead) {
    QProcess iconv;
    iconv.start(QStringLiteral("iconv"),
                {QStringLiteral("-f"), QStringLiteral("UTF-8"), QStringLiteral("-t"), QStringLiteral("GB2312")});
    ASSERT_TRUE(iconv.waitForStarted());
    iconv.write(
        QStringLiteral("<?xml version=\"1.0\" encoding=\"gb2312\"?><root><r><a>进口</a><b>不锈钢</b></r></root>")
            .toUtf8());
    iconv.closeWriteChannel();
    ASSERT_TRUE(iconv.waitForFinished());
    const XmlDocument doc = XmlDocument::fromBytes(iconv.readAllStandardOutput());
    EXPECT_EQ(fieldsOf(doc.root()->children), (QStringList{"进口", "不锈钢"}));
}

TEST(XmlDocument, LoadFailureNamesReasonLineAndSourceText) {
    struct Case {
        QByteArray bytes;
        const char *reasonPart;
        int line;
        QString quoted;
    } cases[] = {
        {"<root>\n  <r><a>1</a></b>\n</root>", "mismatch", 2, "  <r><a>1</a></b>"},
        {"<root>\n<r><a>0123456789012345678901234567890123456789abc</r>\n</root>", "mismatch", 2,
         "<r><a>0123456789012345678901234567890123"},
        {"<root><r>1</r></root>\n<extra/>", "Extra content", 2, "<extra/>"},
        {"<root>\r\n<r a=1/>\r\n</root>", "AttValue", 2, "<r a=1/>"},
        {"", "empty", 1, ""},
        // The quoted line is decoded as the document declares.
        {QStringEncoder("GB2312").encode(
             QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<root>\n<名称>钢</名>\n</root>")),
         "mismatch", 3, "<名称>钢</名>"},
        {"<?xml version=\"1.0\" encoding=\"no-such-set\"?><root/>", "encoding", 1,
         "<?xml version=\"1.0\" encoding=\"no-such-se"},
    };
    for (const Case &c : cases) {
        const QStringList parts = loadError(c.bytes).split(u'\n');
        ASSERT_EQ(parts.size(), 3) << c.bytes.toStdString();
        EXPECT_TRUE(parts[0].contains(QLatin1String(c.reasonPart), Qt::CaseInsensitive)) << parts[0].toStdString();
        EXPECT_EQ(parts[1], QStringLiteral("Line: %1").arg(c.line));
        EXPECT_EQ(parts[2], c.quoted);
    }
}

TEST(XmlDocument, MissingFileFailsWithTheReason) {
    QTemporaryDir dir;
    try {
        XmlDocument::fromFile(dir.filePath("absent.xml"));
        FAIL() << "no error";
    } catch (const AppError &e) {
        const QStringList parts = e.message().split(u'\n');
        ASSERT_EQ(parts.size(), 3);
        EXPECT_TRUE(parts[0].startsWith("Cannot open file")) << parts[0].toStdString();
        EXPECT_EQ(parts[1], QStringLiteral("Line: 0"));
    }
}

TEST(XmlDocument, EntityBombNeitherHangsNorExpands) {
    QByteArray bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE root [\n<!ENTITY lol \"lol\">\n";
    for (int i = 1; i <= 9; ++i)
        bomb += QStringLiteral("<!ENTITY lol%1 \"%2\">\n")
                    .arg(i)
                    .arg(QStringLiteral("&lol%1;").arg(i == 1 ? QString() : QString::number(i - 1)).repeated(10))
                    .toUtf8();
    bomb += "]>\n<root><r><a>&lol9;</a><b>after</b></r><r>&lol9;</r></root>\n";

    QElapsedTimer timer;
    timer.start();
    try {
        const XmlDocument doc = XmlDocument::fromBytes(bomb);
        // Read without expansion: the reference is no text value.
        EXPECT_EQ(fieldsOf(doc.root()->children), QStringList{"after"});
        EXPECT_TRUE(fieldsOf(doc.root()->children->next).isEmpty());
    } catch (const AppError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("Line: "))) << e.message().toStdString();
    }
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST(XmlDocument, InternalEntityReferencesAreKeptNotExpanded) {
    const XmlDocument doc = XmlDocument::fromBytes(
        "<!DOCTYPE root [<!ENTITY co \"Acme Co\">]><root><r><a>&co;</a><b>x&co;</b><c>1</c></r></root>");
    // &co; stays a reference node, so neither element is a text element.
    EXPECT_EQ(fieldsOf(doc.root()->children), QStringList{"1"});
}

TEST(XmlDocument, ExternalEntitiesAndDtdsAreNeverRead) {
    QTemporaryDir dir;
    const QByteArray secret = writeFile(dir, "secret.txt", "TOPSECRET");
    const QByteArray evilDtd =
        writeFile(dir, "evil.dtd", "<!ENTITY leak \"TOPSECRET\">\n<!ATTLIST r v CDATA \"TOPSECRET\">");
    QTcpServer server; // anything asking the network would connect here
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const QByteArray net = "http://127.0.0.1:" + QByteArray::number(server.serverPort()) + "/x.dtd";

    const QList<QByteArray> docs = {
        "<!DOCTYPE root [<!ENTITY xxe SYSTEM \"" + secret + "\">]><root><r><a>&xxe;</a><b>1</b></r></root>",
        "<!DOCTYPE root [<!ENTITY % p SYSTEM \"" + evilDtd + "\"> %p;]><root><r><a>&leak;</a><b>1</b></r></root>",
        "<!DOCTYPE root SYSTEM \"" + evilDtd + "\"><root><r><a>&leak;</a><b>1</b></r></root>",
        "<!DOCTYPE root [<!ENTITY xxe SYSTEM \"" + net + "\">]><root><r><a>&xxe;</a><b>1</b></r></root>",
        "<!DOCTYPE root SYSTEM \"" + net + "\"><root><r><a>x</a><b>1</b></r></root>",
    };
    for (const QByteArray &bytes : docs) {
        try {
            const XmlDocument doc = XmlDocument::fromBytes(bytes);
            const QByteArray flat = FlattenNode(doc.root()->children);
            EXPECT_FALSE(flat.contains("TOPSECRET")) << bytes.toStdString();
            EXPECT_TRUE(flat.endsWith("`1")) << flat.toStdString();
            EXPECT_EQ(xmlGetProp(doc.root()->children, BAD_CAST "v"), nullptr);
        } catch (const AppError &e) {
            EXPECT_FALSE(e.message().contains(QLatin1String("TOPSECRET"))) << e.message().toStdString();
        }
    }
    QTest::qWait(50);
    EXPECT_FALSE(server.hasPendingConnections());
}
