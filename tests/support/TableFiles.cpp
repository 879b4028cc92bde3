#include "support/TableFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <gtest/gtest.h>

namespace TableFiles {

QList<QStringList> parseCsv(const QString &text) {
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false, wasQuoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"') field += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"') field += u'"', ++i;
            else quoted = false;
        } else if (c == u'"') {
            EXPECT_TRUE(field.isEmpty() && !wasQuoted) << "quote inside an unquoted field at " << i;
            quoted = wasQuoted = true;
        } else if (c == u',') {
            record << field;
            field.clear();
            wasQuoted = false;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r') {
                EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == u'\n') << "bare CR at " << i;
                ++i;
            }
            record << field;
            records << record;
            record.clear();
            field.clear();
            wasQuoted = false;
        } else {
            field += c;
        }
    }
    EXPECT_FALSE(quoted) << "unterminated quoted field";
    if (!field.isEmpty() || !record.isEmpty()) records << (record << field);
    return records;
}

QList<QList<QStringList>> readXlsx(const QString &path, QList<QList<QStringList>> *types) {
    // Debian's interpreter, which has python3-openpyxl, whatever python3 comes first on PATH.
    const char *script = R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1], read_only=True)
out = []
for ws in book.worksheets:
    rows = []
    for row in ws.iter_rows():
        cells = []
        for c in row:
            v = c.value
            if v is None: cells.append(["", c.data_type])
            elif isinstance(v, (int, float)): cells.append(["#" + repr(v), c.data_type])
            else: cells.append([str(v), c.data_type])
        rows.append(cells)
    out.append(rows)
json.dump(out, sys.stdout)
)";
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    EXPECT_TRUE(p.waitForFinished(300000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QList<QList<QStringList>> sheets;
    if (types) types->clear();
    for (const QJsonValue &sheet : QJsonDocument::fromJson(p.readAllStandardOutput()).array()) {
        QList<QStringList> rows, rowTypes;
        for (const QJsonValue &row : sheet.toArray()) {
            QStringList cells, cellTypes;
            for (const QJsonValue &cell : row.toArray()) {
                cells << cell.toArray()[0].toString();
                cellTypes << cell.toArray()[1].toString();
            }
            rows << cells;
            rowTypes << cellTypes;
        }
        sheets << rows;
        if (types) *types << rowTypes;
    }
    return sheets;
}

} // namespace TableFiles
