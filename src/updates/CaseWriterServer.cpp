// The update import's rows on a database server: a thousand rows to a statement, so an import
// costs a few round trips per thousand records rather than one per record. The server keeps its
// indexes itself.
#include "data/AppError.h"
#include "data/BoundStatement.h"
#include "data/Connection.h"
#include "data/ServerFaults.h"
#include "updates/CaseWriter.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Rows per insert statement: values of a few hundred kilobytes.
constexpr int kRowsPerStatement = 1000;

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
        BoundStatement::appendArrayElement(names_, name);
        BoundStatement::appendArrayElement(codes_, code);
        BoundStatement::appendArrayElement(specs_, spec);
        BoundStatement::appendArrayElement(dates_, date);
        BoundStatement::appendArrayElement(sources_, source);
        if (++rows_ == kRowsPerStatement) flush();
    }

    void finish() override { flush(); }

    void addEvidence(const SuggestEvidence::Counts &counts) override {
        SuggestEvidence::addToServer(connection_, counts);
    }

private:
    // The held rows in one statement: a column an array, which the server reads far faster than
    // as many rows of values. Ids run on from the first; rows go in in the arrays' order. Each
    // array goes to the server as a value of its own, never as part of the statement.
    void flush() {
        if (rows_ == 0) return;
        if (!insert_) {
            // By position, as on the file: the server's own last column (rowid) takes its default.
            insert_ = std::make_unique<BoundStatement>(
                connection_, QStringLiteral("insert into case_hs select ?::bigint + n - 1, name, code, spec, d, d, 0, "
                                            "source from unnest(?::text[], ?::text[], ?::text[], ?::text[], "
                                            "?::text[]) with ordinality as t(name, code, spec, d, source, n) "
                                            "order by n"));
        }
        insert_->exec({QByteArray::number(firstId_), '{' + names_ + '}', '{' + codes_ + '}', '{' + specs_ + '}',
                       '{' + dates_ + '}', '{' + sources_ + '}'});
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
        throw AppError(ServerFaults::describe(error));
    }

    Connection &connection_;
    QByteArray names_, codes_, specs_, dates_, sources_;
    qint64 firstId_ = 0;
    int rows_ = 0;
    std::unique_ptr<BoundStatement> insert_;
};

} // namespace

std::unique_ptr<CaseWriter> makeServerCaseWriter(Connection &connection) {
    return std::make_unique<ServerCaseWriter>(connection);
}
