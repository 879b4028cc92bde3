#include "dbbuilder/UpdateFiles.h"

#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Gbk.h"
#include "dbbuilder/CaseRecord.h"
#include "dbbuilder/ReadOnlyFile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <sqlite3.h>

namespace {

QByteArray column(sqlite3_stmt *s, int i) {
    return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, i)), sqlite3_column_bytes(s, i));
}

// Whether every character has a GB2312 code: GB2312 is the part of GBK whose two bytes both lie
// in A1-FE (leads up to F7). A file declared GB2312 holding anything else fails to parse.
bool inGb2312(const QString &text) {
    const QByteArray gbk = Gbk::encode(text);
    if (Gbk::decode(gbk) != text) return false;
    for (qsizetype i = 0; i < gbk.size(); ++i) {
        const auto lead = static_cast<unsigned char>(gbk[i]);
        if (lead < 0x80) continue;
        const auto trail = static_cast<unsigned char>(++i < gbk.size() ? gbk[i] : 0);
        if (lead < 0xA1 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE) return false;
    }
    return true;
}

// The tariff lines a case may name, in the table's order.
std::vector<TariffLine> tariffLines(ReadOnlyFile &db) {
    std::vector<TariffLine> lines;
    db.each("select hs_code, name from official_hs where name <> '' order by id", [&](sqlite3_stmt *s) {
        const QByteArray name = column(s, 1);
        if (inGb2312(QString::fromUtf8(name))) lines.push_back(lineOf(UnscrambleCode(column(s, 0)), name));
    });
    return lines;
}

// The first day of the month after the newest case's (this month's for a table without cases).
QDate firstMonth(ReadOnlyFile &db, const QString &database) {
    QByteArray newest;
    db.each("select max(update_date) from case_hs", [&](sqlite3_stmt *s) { newest = column(s, 0); });
    if (newest.isEmpty()) {
        const QDate today = QDate::currentDate();
        return QDate(today.year(), today.month(), 1);
    }
    const QDate last = QDate::fromString(QString::fromLatin1(newest.left(10)), Qt::ISODate);
    if (!last.isValid())
        throw AppError(
            QStringLiteral("%1：最新案例的日期 %2 不是 YYYY-MM-DD").arg(database, QString::fromUtf8(newest)));
    return QDate(last.year(), last.month(), 1).addMonths(1);
}

QString element(const char *tag, const QByteArray &utf8) {
    return QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), QString::fromUtf8(utf8).toHtmlEscaped());
}

void writeFile(const QString &path, const QDate &month, int records, Random &rnd,
               const std::vector<TariffLine> &lines) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw AppError(QStringLiteral("%1：无法写入：%2").arg(path, f.errorString()));
    f.write("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<cases>\n");
    for (int i = 0; i < records; ++i) {
        const TariffLine &line = lines[rnd.below(int(lines.size()))];
        const CaseText text = caseText(rnd, line);
        const QDate day = month.addDays(qint64(i) * month.daysInMonth() / records);
        const QString record = QStringLiteral("  <case>") + element("code", line.code) + element("name", text.name) +
                               element("spec", text.spec) + element("date", day.toString(Qt::ISODate).toLatin1()) +
                               element("source", caseSource(rnd)) + QStringLiteral("</case>\n");
        f.write(Gbk::encode(record));
    }
    f.write("</cases>\n");
    if (!f.flush() || f.error() != QFile::NoError)
        throw AppError(QStringLiteral("%1：无法写入：%2").arg(path, f.errorString()));
}

} // namespace

QStringList writeUpdateFiles(const QString &database, const QString &outDir, const UpdateFileOptions &options) {
    if (options.files < 1 || options.records < 1) throw AppError(QStringLiteral("--files 和 --records 至少为 1"));
    ReadOnlyFile db(database);
    const std::vector<TariffLine> lines = tariffLines(db);
    if (lines.empty()) throw AppError(QStringLiteral("%1：没有可用的税则行（official_hs）").arg(database));
    const QDate first = firstMonth(db, database);
    if (!QDir().mkpath(outDir)) throw AppError(QStringLiteral("%1：无法创建文件夹").arg(outDir));
    const int width = std::max(2, int(QString::number(options.files).size()));
    Random rnd(options.seed);
    QStringList paths;
    for (int k = 0; k < options.files; ++k) {
        paths << QDir(outDir).filePath(QStringLiteral("update%1.xml").arg(k + 1, width, 10, QLatin1Char('0')));
        writeFile(paths.last(), first.addMonths(k), options.records, rnd, lines);
    }
    return paths;
}
