#include "dbbuilder/EditionDiff.h"

#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Statement.h"
#include "dbbuilder/ReadOnlyFile.h"
#include "export/Csv.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <sqlite3.h>

namespace {

QString text(sqlite3_stmt *s, int i) {
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i))).trimmed();
}

QString percent(sqlite3_stmt *s, int i) {
    if (sqlite3_column_type(s, i) == SQLITE_NULL) return {};
    return QString::number(sqlite3_column_double(s, i), 'g', 15) + u'%';
}

QString plain(sqlite3_stmt *s, int i) { return QString::fromLatin1(UnscrambleCode(text(s, i).toLatin1())); }

bool listed(const QString &code, const QStringList &codes) {
    if (codes.isEmpty()) return true;
    return std::any_of(codes.begin(), codes.end(), [&](const QString &c) { return code.startsWith(c); });
}

} // namespace

Edition readEdition(const QString &path) {
    ReadOnlyFile db(path);
    Edition edition;
    db.each(QStringLiteral("select hs_code, name, unit1, unit2, lice, spec, low_rate, high_rate, tax_rate, reg_rate "
                           "from official_hs order by id"),
            [&](sqlite3_stmt *s) {
                const QString code = plain(s, 0);
                if (edition.contains(code)) return; // a repeated code: its first line counts
                EditionLine &line = edition[code];
                line = {text(s, 1), text(s, 2), text(s, 3), text(s, 4), text(s, 5), {}};
                const QList<std::pair<const char *, int>> numeric = {
                    {"mfn", 6}, {"general", 7}, {"vat", 8}, {"export_rebate", 9}};
                for (const auto &[key, column] : numeric)
                    if (const QString p = percent(s, column); !p.isEmpty()) line.rates[QLatin1String(key)] = p;
            });
    if (!db.hasTable("tariff_rate")) return edition;
    // The published texts replace what the numeric columns say of MFN and general rates.
    for (EditionLine &line : edition) {
        line.rates.remove(QStringLiteral("mfn"));
        line.rates.remove(QStringLiteral("general"));
    }
    db.each(QStringLiteral("select code, kind, partner, rate_text from tariff_rate"), [&](sqlite3_stmt *s) {
        const auto line = edition.find(plain(s, 0));
        if (line == edition.end()) return;
        const QString partner = text(s, 2);
        line->rates[partner.isEmpty() ? text(s, 1) : text(s, 1) + u' ' + partner] = text(s, 3);
    });
    return edition;
}

QList<EditionChange> diffEditions(const Edition &before, const Edition &after, const QStringList &codes) {
    QList<EditionChange> changes;
    auto add = [&](const QString &code, const char *change, const QString &field, const QString &was,
                   const QString &now) {
        changes.append({code, QLatin1String(change), field, was, now});
    };
    QStringList all = before.keys() + after.keys();
    all.sort();
    all.removeDuplicates();
    for (const QString &code : all) {
        if (!listed(code, codes)) continue;
        const auto was = before.find(code), now = after.find(code);
        if (was == before.end()) {
            add(code, "added", {}, {}, now->name);
            continue;
        }
        if (now == after.end()) {
            add(code, "removed", {}, was->name, {});
            continue;
        }
        if (was->name != now->name) add(code, "renamed", {}, was->name, now->name);
        QStringList keys = was->rates.keys() + now->rates.keys();
        keys.sort();
        keys.removeDuplicates();
        for (const QString &k : keys)
            if (was->rates.value(k) != now->rates.value(k))
                add(code, "rate", k, was->rates.value(k), now->rates.value(k));
        if (was->unit1 != now->unit1) add(code, "unit", QStringLiteral("unit1"), was->unit1, now->unit1);
        if (was->unit2 != now->unit2) add(code, "unit", QStringLiteral("unit2"), was->unit2, now->unit2);
        if (was->conditions != now->conditions) add(code, "conditions", {}, was->conditions, now->conditions);
        if (was->elements != now->elements) add(code, "elements", {}, was->elements, now->elements);
    }
    return changes;
}

DiffFormat diffFormat(const QString &name) {
    if (name == QLatin1String("text")) return DiffFormat::Text;
    if (name == QLatin1String("csv")) return DiffFormat::Csv;
    if (name == QLatin1String("json")) return DiffFormat::Json;
    throw AppError(QStringLiteral("未知的格式 %1（可用 text、csv 或 json）").arg(name));
}

namespace {

QString shown(const QString &v) { return v.isEmpty() ? QStringLiteral("（无）") : v; }

// How the text report names each kind of change, in the order its totals are given.
const QList<std::pair<QString, QString>> &changeWords() {
    static const QList<std::pair<QString, QString>> words = {
        {QStringLiteral("added"), QStringLiteral("新增")},
        {QStringLiteral("removed"), QStringLiteral("删除")},
        {QStringLiteral("renamed"), QStringLiteral("名称")},
        {QStringLiteral("rate"), QStringLiteral("税率")},
        {QStringLiteral("unit"), QStringLiteral("计量单位")},
        {QStringLiteral("conditions"), QStringLiteral("监管条件")},
        {QStringLiteral("elements"), QStringLiteral("申报要素")},
    };
    return words;
}

QString changeWord(const QString &change) {
    for (const auto &[key, word] : changeWords())
        if (key == change) return word;
    return change;
}

QString textLine(const EditionChange &c) {
    if (c.change == QLatin1String("added")) return QStringLiteral("%1 新增：%2").arg(c.code, c.after);
    if (c.change == QLatin1String("removed")) return QStringLiteral("%1 删除：%2").arg(c.code, c.before);
    const QString what = c.field.isEmpty() ? changeWord(c.change) : changeWord(c.change) + u' ' + c.field;
    return QStringLiteral("%1 %2：%3 -> %4").arg(c.code, what, shown(c.before), shown(c.after));
}

} // namespace

QString formatChanges(const QList<EditionChange> &changes, DiffFormat format) {
    QString out;
    switch (format) {
    case DiffFormat::Text: {
        QMap<QString, int> counts;
        for (const EditionChange &c : changes) {
            out += textLine(c) + u'\n';
            ++counts[c.change];
        }
        QStringList totals;
        for (const auto &[key, word] : changeWords())
            if (counts.value(key)) totals << QStringLiteral("%1 %2 处").arg(word).arg(counts.value(key));
        out += changes.isEmpty() ? QStringLiteral("无变化\n") : totals.join(QStringLiteral("，")) + u'\n';
        break;
    }
    case DiffFormat::Csv:
        out = QStringLiteral("code,change,field,old,new\n");
        for (const EditionChange &c : changes)
            out += QStringList{Csv::field(c.code), Csv::field(c.change), Csv::field(c.field), Csv::field(c.before),
                               Csv::field(c.after)}
                       .join(u',') +
                   u'\n';
        break;
    case DiffFormat::Json: {
        QJsonArray rows;
        for (const EditionChange &c : changes)
            rows.append(QJsonObject{
                {"code", c.code}, {"change", c.change}, {"field", c.field}, {"old", c.before}, {"new", c.after}});
        out = QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Indented));
        break;
    }
    }
    return out;
}

QStringList readCodeList(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw AppError(QStringLiteral("%1：无法读取：%2").arg(path, f.errorString()));
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    QStringList codes;
    int lineNo = 0;
    for (const QString &raw : QString::fromUtf8(f.readAll()).split(u'\n')) {
        ++lineNo;
        const QString code = raw.section(u'#', 0, 0).trimmed();
        if (code.isEmpty()) continue;
        if (!digits.match(code).hasMatch())
            throw AppError(QStringLiteral("%1:%2: “%3”不是商品编码").arg(path).arg(lineNo).arg(code));
        codes << code;
    }
    return codes;
}
