#include "export/CsvWriter.h"

#include "data/AppError.h"
#include "export/Csv.h"
#include "export/ExportMessages.h"

CsvWriter::CsvWriter(const QString &path, const QList<ExportColumn> &columns) : file_(path), columns_(columns) {
    if (!file_.open(QIODevice::WriteOnly)) throw AppError(ExportMessages::cannotWrite(path, file_.errorString()));
    file_.write("\xEF\xBB\xBF");
    QStringList titles;
    for (const ExportColumn &c : columns_) titles << Csv::guardFormula(c.title);
    line(titles);
}

void CsvWriter::line(const QStringList &fields) {
    QString text;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) text += u',';
        text += Csv::field(fields[i]);
    }
    text += QStringLiteral("\r\n");
    if (file_.write(text.toUtf8()) < 0)
        throw AppError(ExportMessages::cannotWrite(file_.fileName(), file_.errorString()));
}

void CsvWriter::row(const QStringList &cells) {
    QStringList fields;
    for (qsizetype i = 0; i < columns_.size(); ++i) {
        const QString cell = cells.value(i);
        fields << (columns_[i].code ? Csv::codeAsText(cell) : Csv::guardFormula(cell));
    }
    line(fields);
}

void CsvWriter::commit() {
    if (!file_.commit()) throw AppError(ExportMessages::cannotWrite(file_.fileName(), file_.errorString()));
}
