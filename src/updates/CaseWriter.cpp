#include "updates/CaseWriter.h"

#include "data/Connection.h"

std::unique_ptr<CaseWriter> CaseWriter::open(Connection &connection, int expectedRows) {
    connection.ensureOpen();
    return connection.isServer() ? makeServerCaseWriter(connection) : makeFileCaseWriter(connection, expectedRows);
}
