#include "data/ResultEngine.h"

#include "data/Connection.h"
#include "data/ServerResultEngine.h"
#include "data/SqliteResultEngine.h"

std::unique_ptr<ResultEngine> ResultEngine::of(const Connection &connection) {
    if (connection.isServer()) return std::make_unique<ServerResultEngine>(connection.database());
    return std::make_unique<SqliteResultEngine>(connection.readerAddress());
}
