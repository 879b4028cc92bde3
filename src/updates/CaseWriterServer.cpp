// The update import's rows on a database server: many rows to a statement, so an import costs
// a few hundred round trips rather than one per record. The server keeps its indexes itself.
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/ServerFaults.h"
#include "updates/CaseWriter.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Rows per insert statement: statements of a hundred kilobytes or so.
constexpr int kRowsPerStatement = 500;

// Text between apostrophes, as the server reads it back with standard-conforming strings.
void appendLiteral(QByteArray &out, const QByteArray &utf8) {
    out += '\'';
    for (const char c : utf8) {
        if (c == '\'') out += '\'';
        out += c;
    }
    out += '\'';
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
        if (rows_ == 0) {
            if (!started_) {
                // Backslashes are plain characters in the literals, whatever the server's setting.
                run(QStringLiteral("set local standard_conforming_strings = on"));
                started_ = true;
            }
            // By position, as on the file: the server's own last column (rowid) takes its default.
            pending_ = "insert into case_hs values ";
        } else {
            pending_ += ',';
        }
        pending_ += '(' + QByteArray::number(id) + ',';
        appendLiteral(pending_, name);
        pending_ += ',';
        appendLiteral(pending_, code);
        pending_ += ',';
        appendLiteral(pending_, spec);
        pending_ += ',';
        appendLiteral(pending_, date);
        pending_ += ',';
        appendLiteral(pending_, date);
        pending_ += ",0,";
        appendLiteral(pending_, source);
        pending_ += ')';
        if (++rows_ == kRowsPerStatement) flush();
    }

    void finish() override { flush(); }

private:
    void flush() {
        if (rows_ == 0) return;
        run(QString::fromUtf8(pending_));
        rows_ = 0;
        pending_.clear();
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
    QByteArray pending_;
    int rows_ = 0;
    bool started_ = false;
};

} // namespace

std::unique_ptr<CaseWriter> makeServerCaseWriter(Connection &connection) {
    return std::make_unique<ServerCaseWriter>(connection);
}
