#include "data/ResultEngine.h"

#include "data/Connection.h"

std::unique_ptr<ResultEngine> ResultEngine::of(Connection &connection) {
    return connection.store()->readerEngine(connection);
}
