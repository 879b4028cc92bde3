#include "support/StoreFixture.h"

#include "data/DatabasePath.h"
#include "data/ServerSchema.h"
#include "data/StoreConfig.h"
#include "support/PgServer.h"

#include <gtest/gtest.h>

StoreFixture::StoreFixture(StoreKind store) : store_(store) {
    if (store == StoreKind::File) {
        file_ = std::make_unique<TestDatabase>();
        return;
    }
    unavailable_ = PgServer::unavailable();
    if (!unavailable_.isEmpty()) return;
    database_ = PgServer::createDatabase();
    if (database_.isEmpty()) {
        unavailable_ = QStringLiteral("no database could be created on the test server");
        return;
    }
    config_ = PgServer::writeConfig(configDir_.path(), database_);
    exec(ServerSchema::createStatements());
}

QString StoreFixture::connectionString() const {
    return file_ ? DatabasePath::connectionString(file_->dir()) : StoreConfig::connectionString(config_);
}

void StoreFixture::exec(const QStringList &statements) {
    if (file_) {
        file_->exec(statements);
        return;
    }
    const QString error = PgServer::exec(database_, statements);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
}
