#pragma once
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "updates/UpdateImport.h"

#include <QList>
#include <QString>

// Update files for the import tests: case records as the vendor's files hold them.
struct Rec {
    QString code, name, spec, date, source;
};

inline QString recordXml(const Rec &r) {
    return QStringLiteral("<case><code>%1</code><name>%2</name><spec>%3</spec><date>%4</date><source>%5</"
                          "source></case>\n")
        .arg(r.code, r.name, r.spec, r.date, r.source);
}

// Records against a table whose newest update date is 2011-05-03: four of them are newer.
inline const QList<Rec> kMixedRecords{
    {"84713010", "Tom's  laptop", "a b'c", "2011-5-1", "海关 总署"}, // ordinal: later than 2011-05-03
    {"84713020", "equal", "s", "2011-05-03 10:00", "src"}, // first ten characters equal: skipped
    {"84713030", "older", "s", "2011-05-02", "src"}, // older: skipped
    {"7208", "不锈钢 管", "规格", "2011-06-01", "src"},
    {"7208", "不锈钢 管", "规格", "2011-06-01", "src"}, // repeats are inserted too
    {"9999", "short", "s", "2012", "extra`field"}, // a short date is used whole
};

// The case whose update date, 2011-05-03, the records above are measured against.
inline const QString kOldCase =
    QStringLiteral("insert into case_hs values (7,'旧记录','%1','规格','2011-05-03','2011-05-03',0,'x')")
        .arg(ScrambleCode(QStringLiteral("01012100")));

// The message an import of the file fails with, or "(no error)".
inline QString importError(Connection &connection, const QString &path) {
    try {
        UpdateImport::run(connection, path);
    } catch (const AppError &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}
