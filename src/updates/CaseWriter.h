#pragma once
#include "suggest/SuggestEvidence.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class Connection;

// The case table as the update import reads and extends it, on the SQLite file or on a
// database server. Made and used inside the import's write transaction; every failure throws
// AppError with the engine's text.
class CaseWriter {
public:
    // expectedRows: how many rows the import may append at most (sizes the file's bulk path).
    static std::unique_ptr<CaseWriter> open(Connection &connection, int expectedRows = 0);
    virtual ~CaseWriter() = default;

    // max(update_date) as text; none when the table has no update date.
    virtual std::optional<QString> newestDate() = 0;
    // One more than the largest id; 1 for a table without ids.
    virtual qint64 nextId() = 0;
    // One row (id, name, code, spec, date, date, 0, source), the texts in UTF-8; each id one more
    // than the one before. Rows may be held back and written together; finish() writes the rest.
    virtual void append(qint64 id, const QByteArray &name, const QByteArray &code, const QByteArray &spec,
                        const QByteArray &date, const QByteArray &source) = 0;
    // Writes the rows still held and whatever follows from them (the file's name index).
    virtual void finish() = 0;
    // Adds the imported rows' counts to the description search's evidence, where the database
    // keeps it.
    virtual void addEvidence(const SuggestEvidence::Counts &counts) = 0;
};

std::unique_ptr<CaseWriter> makeFileCaseWriter(Connection &connection, int expectedRows);
std::unique_ptr<CaseWriter> makeServerCaseWriter(Connection &connection);
