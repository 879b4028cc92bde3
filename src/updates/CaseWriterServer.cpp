// The update import's rows on a database server: a thousand rows to a statement, so an import
// costs a few round trips per thousand records rather than one per record. The server keeps its
// indexes itself.
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/ServerFaults.h"
#include "updates/CaseWriter.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Rows per insert statement: statements of a few hundred kilobytes.
constexpr int kRowsPerStatement = 1000;

// One column of the held rows as the body of an array literal: each value between double
// quotes, its double quotes and backslashes behind a backslash, its apostrophes doubled for the
// string literal the array stands in.
void appendElement(QByteArray &column, const QByteArray &utf8) {
    if (!column.isEmpty()) column += ',';
    column += '"';
    for (const char c : utf8) {
        if (c == '"' || c == '\\') column += '\\';
        else if (c == '\'') column += '\'';
        column += c;
    }
    column += '"';
}

class ServerCaseWriter : public CaseWriter {
public:
    explicit ServerCaseWriter(Connection &connection) : connection_(connection) {}

    std::optional<QString> newestDate() override {
        QSqlQuery q = run(QStringLiteral("select max(update_date) from case_hs"));
        if (!q.next() || q.isNull(0)) return std::nullopt;
        return q.value(0).toString();
    }

    qint64 nextId() override {
        QSqlQuery q = run(QStringLiteral("select max(id) from case_hs"));
        return q.next() && !q.isNull(0) ? q.value(0).toLongLong() + 1 : 1;
    }

    void append(qint64 id, const QByteArray &name, const QByteArray &code, const QByteArray &spec,
                const QByteArray &date, const QByteArray &source) override {
        if (rows_ == 0) firstId_ = id;
        appendElement(names_, name);
        appendElement(codes_, code);
        appendElement(specs_, spec);
        appendElement(dates_, date);
        appendElement(sources_, source);
        if (++rows_ == kRowsPerStatement) flush();
    }

    void finish() override { flush(); }

private:
    // The held rows in one statement: a column an array, which the server reads far faster than
    // as many rows of literals. Ids run on from the first; rows go in in the arrays' order.
    void flush() {
        if (rows_ == 0) return;
        if (!started_) {
            // Backslashes are plain characters in string literals, whatever the server's setting.
            run(QStringLiteral("set local standard_conforming_strings = on"));
            started_ = true;
        }
        // By position, as on the file: the server's own last column (rowid) takes its default.
        const QByteArray statement = "insert into case_hs select " + QByteArray::number(firstId_) +
                                     " + n - 1, name, code, spec, d, d, 0, source from unnest('{" + names_ +
                                     "}'::text[], '{" + codes_ + "}'::text[], '{" + specs_ + "}'::text[], '{" + dates_ +
                                     "}'::text[], '{" + sources_ +
                                     "}'::text[]) with ordinality as t(name, code, spec, d, source, n) order by n";
        run(QString::fromUtf8(statement));
        rows_ = 0;
        for (QByteArray *column : {&names_, &codes_, &specs_, &dates_, &sources_}) column->clear();
    }

    QSqlQuery run(const QString &statement) {
        QSqlQuery q(connection_.database());
        q.setForwardOnly(true);
        if (q.exec(statement)) return q;
        const QSqlError error = q.lastError();
        const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
        if (connection_.dropIfLost()) throw AppError(ServerFaults::lostMessage(text));
        throw AppError(text);
    }

    Connection &connection_;
    QByteArray names_, codes_, specs_, dates_, sources_;
    qint64 firstId_ = 0;
    int rows_ = 0;
    bool started_ = false;
};

} // namespace

std::unique_ptr<CaseWriter> makeServerCaseWriter(Connection &connection) {
    return std::make_unique<ServerCaseWriter>(connection);
}
