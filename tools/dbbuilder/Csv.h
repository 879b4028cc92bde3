#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// One record of a CSV file and the line it starts on (1-based), for error messages.
struct CsvRecord {
    int line = 0;
    QStringList fields;
};

// A UTF-8 CSV file read whole: comma separated, fields optionally in double quotes (a doubled
// quote inside stands for one, commas and line breaks inside are kept), a leading byte-order
// mark ignored, blank lines skipped. The first record is the header.
class CsvFile {
public:
    // Throws AppError "<name>:<line>: <reason>" when the file cannot be read or a quote is
    // left open. `name` is how messages call the file.
    static CsvFile read(const QString &path, const QString &name);
    static CsvFile parse(const QString &text, const QString &name);

    const QString &name() const { return name_; }
    const QStringList &header() const { return header_; }
    const std::vector<CsvRecord> &records() const { return records_; }
    // Index of a header column, -1 when absent.
    int column(const QString &title) const { return header_.indexOf(title); }
    // Index of a header column the file must have; throws naming the file when absent.
    int requireColumn(const QString &title) const;

private:
    QString name_;
    QStringList header_;
    std::vector<CsvRecord> records_;
};

// "<file>:<line>: <reason>", the one shape of every data error the builder reports.
QString csvError(const QString &file, int line, const QString &reason);
