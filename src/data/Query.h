#pragma once
#include "data/ResultSource.h"
#include "data/RowStream.h"
#include "data/Statement.h"

#include <QList>
#include <QSqlQueryModel>
#include <QString>
#include <QVariant>
#include <memory>

class Connection;

enum class FieldKind { WideText, Memo, Text, Integer, Float, DateTime };

// A declared result column: opening a statement requires it under this name and of a kind
// that matches (wide and 8-bit text match each other; a memo matches only a memo).
struct FieldDef {
    QString name;
    FieldKind kind;
    int size = 0;
};

// A query component: holds one statement on one connection. A row-returning statement is
// opened into a lazily fetching model (what a grid shows) and is positioned on its first row;
// DELETE and INSERT statements are executed. Every failure throws AppError with the engine's
// text, and leaves the query closed.
class Query {
public:
    explicit Query(const QString &name);
    ~Query();

    const QString &name() const { return name_; }
    void setConnection(Connection *connection) { connection_ = connection; }
    Connection *connection() const { return connection_; }
    void setFields(QList<FieldDef> fields) { fields_ = std::move(fields); }
    const QList<FieldDef> &fields() const { return fields_; }

    void close();
    // For a grid, which reads the rows past the first ones itself: on a store whose driver brings
    // a whole result at once, a described result opened (not streamed) then holds only its first
    // kHeadRows + 1 rows, and cut() says that there may be more, read by running executed()
    // again. Otherwise a query holds its whole result.
    void setHeadOnly(bool headOnly) { headOnly_ = headOnly; }
    static constexpr int kHeadRows = 256;
    bool cut() const { return cut_; }

    // Closes the previous result and sets the statement (its values bound when it runs).
    void setSql(Statement statement);
    // Closes the previous result and sets a described result (a search): its statement runs, and
    // a grid derives its count and orders from it.
    void setSource(std::shared_ptr<const ResultSource> source);
    const std::shared_ptr<const ResultSource> &source() const { return source_; }
    // The statement it runs: the one set, or the described result's.
    Statement sql() const { return source_ ? source_->rows() : sql_; }
    // The statement as it last ran on the engine, whole (without the first-rows limit): a second
    // run of it yields the same rows in the same order.
    const Statement &executed() const { return executed_; }
    void open();
    // Runs the statement for one pass over its rows, holding few of them: the result checked
    // against the declared fields and positioned on its first row (invalid when there is none).
    RowStream stream();
    void execSql();
    // Closes the query, attaches it to the connection, replaces its statement and opens or
    // executes it: the sequence every statement of the windows runs.
    void open(Connection &connection, const Statement &statement);
    void execSql(Connection &connection, const Statement &statement);
    bool isOpen() const { return open_; }

    // Navigation over the open result.
    bool eof();
    void first() { row_ = 0; }
    void next();
    int row() const { return row_; }

    // The current row's value by column name; a name not in the result fails with the
    // field-not-found message.
    QVariant value(const QString &field) const;
    // Null read as text or integer fails with the conversion message.
    QString asString(const QString &field) const;
    qint64 asInteger(const QString &field) const;

    // The result as a model: the grids show it. Stays the same object for the query's life.
    QSqlQueryModel *model() const { return model_.get(); }

private:
    // Closes the previous result and executes the statement on the connection, opening it.
    class QSqlQuery run(bool forwardOnly = false);
    void checkDeclaredFields(const class QSqlQuery &query) const;
    [[noreturn]] void fail(const class QSqlError &error);

    QString name_;
    Connection *connection_ = nullptr;
    QList<FieldDef> fields_;
    Statement sql_;
    std::shared_ptr<const ResultSource> source_;
    Statement executed_;
    bool open_ = false;
    bool headOnly_ = false;
    bool cut_ = false;
    int row_ = 0;
    std::unique_ptr<QSqlQueryModel> model_;
};

QString fieldKindName(FieldKind kind);
