#include "dbbuilder/Csv.h"

#include "data/AppError.h"

#include <QFile>

QString csvError(const QString &file, int line, const QString &reason) {
    return QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(reason);
}

CsvFile CsvFile::read(const QString &path, const QString &name) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("%1：无法读取：%2").arg(name, file.errorString()));
    const QByteArray bytes = file.readAll();
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter) && !bytes.contains("\xEF\xBF\xBD"))
        throw AppError(QStringLiteral("%1：不是 UTF-8 文本").arg(name));
    return parse(text, name);
}

CsvFile CsvFile::parse(const QString &input, const QString &name) {
    CsvFile csv;
    csv.name_ = name;
    QStringView text(input);
    if (text.startsWith(QChar(0xFEFF))) text = text.mid(1);

    bool haveHeader = false;
    int line = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        CsvRecord record;
        record.line = line;
        QString field;
        bool quoted = false; // inside a quoted field
        bool anyContent = false; // the record has more than an empty line
        for (;;) {
            if (i >= n) {
                if (quoted) throw AppError(csvError(name, record.line, QStringLiteral("引号没有闭合")));
                break;
            }
            const QChar c = text[i++];
            if (quoted) {
                if (c == u'"') {
                    if (i < n && text[i] == u'"') {
                        field += u'"';
                        ++i;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == u'\n') ++line;
                    field += c;
                }
                continue;
            }
            if (c == u'"' && field.isEmpty()) {
                quoted = true;
                anyContent = true;
            } else if (c == u',') {
                record.fields.append(field);
                field.clear();
                anyContent = true;
            } else if (c == u'\n' || c == u'\r') {
                if (c == u'\r' && i < n && text[i] == u'\n') ++i;
                ++line;
                break;
            } else {
                field += c;
                anyContent = true;
            }
        }
        if (!anyContent) continue; // blank line
        record.fields.append(field);
        if (!haveHeader) {
            csv.header_ = record.fields;
            haveHeader = true;
        } else {
            csv.records_.push_back(std::move(record));
        }
    }
    return csv;
}

int CsvFile::requireColumn(const QString &title) const {
    const int index = column(title);
    if (index < 0) throw AppError(csvError(name_, 1, QStringLiteral("标题行中没有“%1”列").arg(title)));
    return index;
}
