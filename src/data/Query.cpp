#include "data/Query.h"

#include "data/AppError.h"
#include "data/Connection.h"
#include "data/ServerFaults.h"
#include "data/Store.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <sqlite3.h>

QString fieldKindName(FieldKind kind) {
    switch (kind) {
    case FieldKind::WideText:
        return QStringLiteral("WideString");
    case FieldKind::Memo:
        return QStringLiteral("Memo");
    case FieldKind::Text:
        return QStringLiteral("String");
    case FieldKind::Integer:
        return QStringLiteral("Integer");
    case FieldKind::Float:
        return QStringLiteral("Float");
    case FieldKind::DateTime:
        return QStringLiteral("DateTime");
    }
    return {};
}

namespace {

// The kind of a result column: from the declared type of the table column it comes from, or,
// for an expression, from the storage class of its first value. Empty optional: unknown.
std::optional<FieldKind> columnKind(sqlite3_stmt *stmt, int column) {
    if (const char *decl = sqlite3_column_decltype(stmt, column)) {
        const QByteArray t = QByteArray(decl).toUpper();
        if (t.startsWith("MEMO") || t.startsWith("LONGTEXT")) return FieldKind::Memo;
        if (t.contains("CHAR") || t.startsWith("TEXT")) return FieldKind::WideText;
        if (t.contains("INT") || t == "COUNTER") return FieldKind::Integer;
        if (t.contains("DOUBLE") || t.contains("FLOAT") || t.contains("REAL") || t.contains("NUMERIC") ||
            t.contains("CURRENCY"))
            return FieldKind::Float;
        if (t.contains("DATE") || t.contains("TIME")) return FieldKind::DateTime;
        return std::nullopt;
    }
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return FieldKind::Integer;
    case SQLITE_FLOAT:
        return FieldKind::Float;
    case SQLITE_TEXT:
        return FieldKind::WideText;
    default:
        return std::nullopt;
    }
}

bool kindsMatch(FieldKind declared, FieldKind actual) {
    auto textual = [](FieldKind k) { return k == FieldKind::WideText || k == FieldKind::Text; };
    if (textual(declared)) return textual(actual);
    if (declared == FieldKind::Float) return actual == FieldKind::Float || actual == FieldKind::Integer;
    return declared == actual;
}

QString variantTypeName(const QVariant &v) {
    if (v.isNull()) return QStringLiteral("Null");
    switch (v.metaType().id()) {
    case QMetaType::QString:
        return QStringLiteral("String");
    case QMetaType::LongLong:
    case QMetaType::Int:
        return QStringLiteral("Int64");
    case QMetaType::Double:
        return QStringLiteral("Double");
    default:
        return QString::fromLatin1(v.typeName());
    }
}

} // namespace

Query::Query(const QString &name) : name_(name), model_(std::make_unique<QSqlQueryModel>()) {}

Query::~Query() = default;

void Query::close() {
    cut_ = false;
    if (open_ || model_->rowCount() > 0 || model_->columnCount() > 0) model_->clear();
    open_ = false;
    row_ = 0;
}

void Query::setSql(Statement statement) {
    close();
    sql_ = std::move(statement);
    source_.reset();
}

void Query::setSource(std::shared_ptr<const ResultSource> source) {
    close();
    sql_ = {};
    source_ = std::move(source);
}

void Query::fail(const QSqlError &error) {
    close();
    QString text = error.databaseText();
    if (text.isEmpty()) text = error.text();
    const bool server = connection_ && connection_->isServer();
    if (connection_ && connection_->dropIfLost()) throw AppError(ServerFaults::lostMessage(text));
    throw AppError(server ? ServerFaults::describe(error) : text);
}

QSqlQuery Query::run(bool forwardOnly) {
    close();
    if (!connection_) throw AppError(QStringLiteral("%1: Missing Connection or ConnectionString").arg(name_));
    connection_->ensureOpen();
    executed_ = source_ ? source_->rows() : sql_;
    // A driver that brings a whole result into memory before its first row: a result held for a
    // grid brings its first rows, and one more to tell whether there are more, which the grid
    // reads on another connection (its executed statement stays the whole one).
    cut_ = false;
    const bool head = headOnly_ && !forwardOnly && source_ && connection_->store()->bringsWholeResult();
    QSqlQuery query(connection_->database());
    query.setForwardOnly(forwardOnly);
    if (!Statements::prepare(query, head ? source_->rows(kHeadRows + 1) : executed_) || !query.exec())
        fail(query.lastError());
    // Known before the grid hears of the result (the driver tells the size of a whole result).
    cut_ = head && query.size() > kHeadRows;
    return query;
}

void Query::open() {
    QSqlQuery query = run();
    if (!query.isSelect()) throw AppError(QStringLiteral("%1: CommandText does not return a result set").arg(name_));
    query.next(); // step once so expression columns know their storage class
    checkDeclaredFields(query);
    query.seek(QSql::BeforeFirstRow);
    model_->setQuery(std::move(query));
    if (model_->lastError().isValid()) fail(model_->lastError());
    open_ = true;
    row_ = 0;
}

RowStream Query::stream() {
    if (connection_ && connection_->store()->bringsWholeResult()) {
        // Read through a cursor, a batch at a time.
        close();
        executed_ = source_ ? source_->rows() : sql_;
        RowStream rows(connection_->database(), executed_);
        checkDeclaredFields(rows.query());
        return rows;
    }
    QSqlQuery query = run(true);
    if (!query.isSelect()) throw AppError(QStringLiteral("%1: CommandText does not return a result set").arg(name_));
    query.next();
    checkDeclaredFields(query);
    if (query.lastError().isValid()) fail(query.lastError());
    return RowStream(std::move(query));
}

void Query::checkDeclaredFields(const QSqlQuery &query) const {
    if (fields_.isEmpty()) return;
    const QSqlRecord record = query.record();
    auto *stmt = [&]() -> sqlite3_stmt * {
        const QVariant h = query.result() ? query.result()->handle() : QVariant();
        if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0) return nullptr;
        return *static_cast<sqlite3_stmt *const *>(h.data());
    }();
    for (const FieldDef &f : fields_) {
        const int column = record.indexOf(f.name);
        if (column < 0) throw AppError(Messages::fieldNotFound(name_, f.name));
        if (!stmt) continue;
        const auto actual = columnKind(stmt, column);
        if (actual && !kindsMatch(f.kind, *actual))
            throw AppError(Messages::typeMismatch(f.name, fieldKindName(f.kind), fieldKindName(*actual)));
    }
}

void Query::execSql() { run(); }

void Query::open(Connection &connection, const Statement &statement) {
    setConnection(&connection);
    setSql(statement);
    open();
}

void Query::execSql(Connection &connection, const Statement &statement) {
    setConnection(&connection);
    setSql(statement);
    execSql();
}

bool Query::eof() {
    if (!open_) return true;
    while (row_ >= model_->rowCount() && model_->canFetchMore()) model_->fetchMore();
    return row_ >= model_->rowCount();
}

void Query::next() {
    if (!eof()) ++row_;
}

QVariant Query::value(const QString &field) const {
    const QSqlRecord rec = model_->record(row_);
    const int column = rec.indexOf(field);
    if (column < 0) throw AppError(Messages::fieldNotFound(name_, field));
    return rec.value(column);
}

QString Query::asString(const QString &field) const {
    const QVariant v = value(field);
    if (v.isNull()) throw AppError(Messages::conversion(QStringLiteral("Null"), QStringLiteral("String")));
    return v.toString();
}

qint64 Query::asInteger(const QString &field) const {
    const QVariant v = value(field);
    if (v.isNull()) throw AppError(Messages::conversion(QStringLiteral("Null"), QStringLiteral("Integer")));
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (!ok) throw AppError(Messages::conversion(variantTypeName(v), QStringLiteral("Integer")));
    return n;
}
