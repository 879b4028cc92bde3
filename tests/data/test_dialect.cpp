#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Dialect.h"
#include "data/Query.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

// A query on its own connection to the fixture's database, as a window has.
struct Session {
    Connection con{QStringLiteral("test")};
    Query query{QStringLiteral("qryTest")};
    Session() {
        con.setConnectionString(DatabasePath::lookupConnectionString());
        query.setConnection(&con);
    }
    QString error(const QString &sql, bool select = true) {
        query.setSql(sql);
        try {
            select ? query.open() : query.execSql();
        } catch (const AppError &e) {
            return e.message();
        }
        return {};
    }
    QStringList column(const QString &sql, const QString &field) {
        query.setSql(sql);
        query.open();
        QStringList out;
        for (; !query.eof(); query.next()) out << query.value(field).toString();
        return out;
    }
};

} // namespace

TEST(DatabasePathText, DoublesTheSeparatorBeforeTheFileName) {
    EXPECT_EQ(
        DatabasePath::connectionString(QStringLiteral("/A/")),
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/A//quorvel.mdb;Persist Security Info=False"));
    EXPECT_EQ(DatabasePath::dataSource(DatabasePath::connectionString(QStringLiteral("/opt/x/"))),
              QStringLiteral("/opt/x//quorvel.mdb"));
    EXPECT_EQ(DatabasePath::dataSource(DatabasePath::connectionString(QStringLiteral("/opt/a;b/"))),
              QStringLiteral("/opt/a;b//quorvel.mdb"));
}

TEST(Dialect, FeaturesWorkOnARealFile) {
    TestDatabase db;
    for (int i = 1; i <= 30; ++i)
        db.exec(QStringLiteral("insert into case_hs values (%1,'n%1','%2','s','2024-01-%3','',0,'')")
                    .arg(i)
                    .arg(ScrambleCode(QStringLiteral("01%1").arg(i, 8, 10, QLatin1Char('0'))))
                    .arg(i % 28 + 1, 2, 10, QLatin1Char('0')));
    db.exec({QStringLiteral("insert into hs_licensed values ('AB','甲')"),
             QStringLiteral("insert into hs_licensed values ('b','乙')"),
             QStringLiteral("insert into hs_licensed values ('','空')"),
             QStringLiteral("insert into hs_licensed values (null,'无')"),
             QStringLiteral("insert into official_hs (id,name) values (1,'Steel Pipe')"),
             QStringLiteral("insert into official_hs (id,name) values (2,'钢管')")});
    Session s;
    EXPECT_EQ(
        s.column(QStringLiteral("select id,code,name,spec from case_hs order by code limit 20"), QStringLiteral("id"))
            .size(),
        20);
    EXPECT_EQ(s.column(QStringLiteral("select id from case_hs order by id limit 3"), QStringLiteral("id")),
              (QStringList{"1", "2", "3"}));
    // instr: exact, case-sensitive position; several joined with or
    EXPECT_EQ(s.column(QStringLiteral("select docu_name from hs_licensed where instr(1,docu_code,'B',0)"),
                       QStringLiteral("docu_name")),
              QStringList{"甲"});
    EXPECT_EQ(s.column(QStringLiteral("select docu_name from hs_licensed where instr(1,docu_code,'A',0) or "
                                      "instr(1,docu_code,'b',0)"),
                       QStringLiteral("docu_name")),
              (QStringList{"甲", "乙"}));
    EXPECT_EQ(s.column(QStringLiteral("select instr(1,docu_code,'B',0) as p from hs_licensed"), QStringLiteral("p")),
              (QStringList{"2", "0", "0", ""}));
    EXPECT_EQ(
        s.column(QStringLiteral("select docu_name from hs_licensed where docu_code=''"), QStringLiteral("docu_name")),
        QStringList{"空"});
    // LIKE ignores the case of Latin letters; '_' is one character
    EXPECT_EQ(s.column(QStringLiteral("select name from official_hs where 1=1 and name like '%steel p%'"),
                       QStringLiteral("name")),
              QStringList{"Steel Pipe"});
    EXPECT_EQ(s.column(QStringLiteral("select name from official_hs where name like '%钢_%'"), QStringLiteral("name")),
              QStringList{"钢管"});
    EXPECT_EQ(s.column(QStringLiteral("select '查看详情' as b from official_hs"), QStringLiteral("b")),
              (QStringList{"查看详情", "查看详情"}));
    EXPECT_EQ(
        s.column(QStringLiteral("select max(update_date) as update_date from case_hs"), QStringLiteral("update_date")),
        QStringList{"2024-01-28"});
}

TEST(Dialect, ACodePrefixIsAnIndexRangeScan) {
    TestDatabase db;
    Session s;
    s.query.setSql(QStringLiteral(
        "explain query plan select id,code,name,spec from case_hs where 1=1 and code like '6EF2%' order by code"));
    s.query.open();
    QString detail;
    for (; !s.query.eof(); s.query.next()) detail += s.query.value(QStringLiteral("detail")).toString() + u';';
    EXPECT_TRUE(detail.contains(QStringLiteral("USING INDEX case_hs_code (code>? AND code<?)")))
        << detail.toStdString();
}

TEST(Dialect, EmptyTablesAndNullValues) {
    TestDatabase db;
    Session s;
    s.query.setSql(QStringLiteral("select max(update_date) as update_date from case_hs"));
    s.query.open();
    ASSERT_FALSE(s.query.eof());
    EXPECT_TRUE(s.query.value(QStringLiteral("update_date")).isNull());
    try {
        s.query.asString(QStringLiteral("update_date"));
        ADD_FAILURE();
    } catch (const AppError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    }
    s.query.setSql(QStringLiteral("select max(id)+1 as id from case_hs"));
    s.query.open();
    try {
        s.query.asInteger(QStringLiteral("id"));
        ADD_FAILURE();
    } catch (const AppError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Could not convert variant of type (Null) into type (Integer)"));
    }
    EXPECT_EQ(s.error(QStringLiteral("select id from news")), QString()); // fine: table exists
    s.query.setSql(QStringLiteral("select * from news"));
    s.query.open();
    EXPECT_TRUE(s.query.eof());
}

TEST(Dialect, PositionalInsertsNeedExactlyTheTablesColumns) {
    TestDatabase db;
    Session s;
    struct Case {
        const char *sql;
        bool ok;
    } cases[] = {
        {"insert into news values ('1','t')", true},
        {"insert into news values ('1','t','x')", false},
        {"insert into news values ('1')", false},
        {"insert into news_ad values ('a','b','1')", true},
        {"insert into news_ad values ('a','b')", false},
        {"insert into case_hs values (1,'n','C','s','2024-01-01','2024-01-01',0,'e')", true},
        {"insert into case_hs values (1,'n','C','s','2024-01-01','2024-01-01',0)", false},
    };
    for (const Case &c : cases) EXPECT_EQ(s.error(QString::fromUtf8(c.sql), false).isEmpty(), c.ok) << c.sql;
    EXPECT_TRUE(s.error(QStringLiteral("select * from nosuch")).contains(QStringLiteral("no such table: nosuch")));
    EXPECT_TRUE(s.error(QStringLiteral("select * from news where title like '%a'b%'"))
                    .contains(QStringLiteral("syntax error")));
    EXPECT_FALSE(s.query.isOpen()) << "a failed statement leaves its query closed";
}

TEST(Dialect, ConditionalDeleteKeepsTypeZeroAndNullRows) {
    TestDatabase db;
    db.exec({QStringLiteral("insert into news_ad values ('a','1','0')"),
             QStringLiteral("insert into news_ad values ('b','2',null)"),
             QStringLiteral("insert into news_ad values ('c','3','1')"),
             QStringLiteral("insert into news_ad values ('d','4','x')")});
    Session s;
    EXPECT_EQ(s.error(QStringLiteral("delete from news_ad where type<>'0'"), false), QString());
    EXPECT_EQ(s.column(QStringLiteral("select * from news_ad"), QStringLiteral("imagename")), (QStringList{"a", "b"}));
}

TEST(Dialect, DeclaredColumnsMustBePresentAndOfTheirKind) {
    TestDatabase db;
    db.exec(QStringLiteral("insert into hs_classify values (1,'C','n','memo text')"));
    struct Case {
        FieldDef field;
        QString message;
    } cases[] = {
        {{QStringLiteral("code_t"), FieldKind::WideText, 100}, QString()},
        {{QStringLiteral("code_t"), FieldKind::Text, 20}, QString()}, // wide and 8-bit text match
        {{QStringLiteral("class_spec"), FieldKind::Memo}, QString()},
        {{QStringLiteral("id"), FieldKind::Integer}, QString()},
        {{QStringLiteral("nosuch"), FieldKind::WideText, 10}, QStringLiteral("qryTest: Field 'nosuch' not found")},
        {{QStringLiteral("class_spec"), FieldKind::WideText, 200},
         QStringLiteral("Type mismatch for field 'class_spec', expecting: WideString actual: Memo")},
        {{QStringLiteral("g_name"), FieldKind::Memo},
         QStringLiteral("Type mismatch for field 'g_name', expecting: Memo actual: WideString")},
        {{QStringLiteral("code_t"), FieldKind::Integer},
         QStringLiteral("Type mismatch for field 'code_t', expecting: Integer actual: WideString")},
    };
    for (const Case &c : cases) {
        Session s;
        s.query.setFields({c.field});
        EXPECT_EQ(s.error(QStringLiteral("select id,code_t,g_name,class_spec from hs_classify")), c.message)
            << c.field.name.toStdString();
        s.query.setFields({});
    }
}

TEST(Connection, NeverCreatesTheFileAndRejectsOtherFiles) {
    {
        TestDatabase db(false);
        Session s;
        const QString message = s.error(QStringLiteral("select * from news"));
        EXPECT_EQ(message, QStringLiteral("找不到数据库文件“%1”。").arg(DatabasePath::databaseFile(db.dir())));
        EXPECT_FALSE(QFile::exists(db.file()));
    }
    {
        TestDatabase db(false);
        QFile f(db.file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        Session s;
        EXPECT_TRUE(s.error(QStringLiteral("select * from news")).startsWith(QStringLiteral("无法识别的数据库格式")));
    }
}

TEST(Connection, AnEmptyFileIsNoDatabaseAndStaysEmpty) {
    TestDatabase db(false);
    QFile f(db.file());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    Session s;
    EXPECT_TRUE(s.error(QStringLiteral("select * from news")).startsWith(QStringLiteral("无法识别的数据库格式")));
    EXPECT_EQ(QFileInfo(db.file()).size(), 0);
}

TEST(Connection, SeveralConnectionsCoexist) {
    TestDatabase db;
    db.exec(QStringLiteral("insert into news values ('1','a')"));
    Session reader, writer;
    reader.query.setSql(QStringLiteral("select * from news"));
    reader.query.open(); // keeps its result open
    EXPECT_EQ(writer.error(QStringLiteral("insert into news values ('2','b')"), false), QString());
    EXPECT_EQ(reader.column(QStringLiteral("select * from news"), QStringLiteral("id")), (QStringList{"1", "2"}));
}
