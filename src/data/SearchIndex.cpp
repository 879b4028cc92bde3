#include "data/SearchIndex.h"

#include <sqlite3.h>

namespace SearchIndex {

namespace {

// Every character is a token, so a fragment of any length is a phrase of its characters, and
// the phrase matches where the characters stand next to each other, as in a LIKE substring.
// Only A-Z are folded: LIKE ignores the case of Latin letters and of nothing else. Bytes that
// are not UTF-8 become tokens of their own, the same way in names and in fragments.
int charsCreate(void *, const char **, int, Fts5Tokenizer **out) {
    static int instance;
    *out = reinterpret_cast<Fts5Tokenizer *>(&instance);
    return SQLITE_OK;
}

void charsDelete(Fts5Tokenizer *) {}

int utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

int charsTokenize(Fts5Tokenizer *, void *ctx, int, const char *text, int size,
                  int (*token)(void *, int, const char *, int, int, int)) {
    int at = 0;
    while (at < size) {
        const auto lead = static_cast<unsigned char>(text[at]);
        int n = utf8Length(lead);
        for (int i = 1; i < n; ++i)
            if (at + i >= size || (static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) n = 1;
        int rc;
        if (lead >= 'A' && lead <= 'Z') {
            const char lower = static_cast<char>(lead - 'A' + 'a');
            rc = token(ctx, 0, &lower, 1, at, at + 1);
        } else {
            rc = token(ctx, 0, text + at, n, at, at + n);
        }
        if (rc != SQLITE_OK) return rc;
        at += n;
    }
    return SQLITE_OK;
}

fts5_api *ftsApi(sqlite3 *db) {
    fts5_api *api = nullptr;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, "select fts5(?1)", -1, &stmt, nullptr) != SQLITE_OK) return nullptr;
    sqlite3_bind_pointer(stmt, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    return api;
}

int autoEntry(sqlite3 *db, const char **, const sqlite3_api_routines *) {
    install(db);
    return SQLITE_OK;
}

struct Covered {
    const char *table, *column;
};
constexpr Covered kCovered[] = {{"official_hs", "name"}, {"hs_classify", "g_name"}, {"case_hs", "name"}};

} // namespace

bool install(sqlite3 *db) {
    fts5_api *api = ftsApi(db);
    if (!api) return false;
    static fts5_tokenizer chars{charsCreate, charsDelete, charsTokenize};
    return api->xCreateTokenizer(api, kTokenizer, nullptr, &chars, nullptr) == SQLITE_OK;
}

void installForNewConnections() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(autoEntry)); }

QString indexTable(const QString &table) { return table + QStringLiteral("_name_index"); }

QString nameColumn(const QString &table) {
    for (const Covered &c : kCovered)
        if (table.compare(QLatin1String(c.table), Qt::CaseInsensitive) == 0) return QLatin1String(c.column);
    return {};
}

QStringList createStatements() {
    // Only the cases are indexed: the tariff and the rulings are small enough to scan.
    const QString idx = indexTable(QStringLiteral("case_hs"));
    return {
        // External content: the index holds tokens only and reads names from case_hs by rowid.
        QStringLiteral("create virtual table %1 using fts5(name, content='case_hs', "
                       "content_rowid='rowid', tokenize='%2', columnsize=0)")
            .arg(idx, QLatin1String(kTokenizer)),
        QStringLiteral("create trigger %1_insert after insert on case_hs begin "
                       "insert into %1(rowid, name) values (new.rowid, new.name); end")
            .arg(idx),
        QStringLiteral("create trigger %1_delete after delete on case_hs begin "
                       "insert into %1(%1, rowid, name) values ('delete', old.rowid, old.name); end")
            .arg(idx),
        QStringLiteral("create trigger %1_update after update on case_hs begin "
                       "insert into %1(%1, rowid, name) values ('delete', old.rowid, old.name); "
                       "insert into %1(rowid, name) values (new.rowid, new.name); end")
            .arg(idx),
        QStringLiteral("insert into %1(%1) values ('rebuild')").arg(idx),
    };
}

QSet<QString> detect(sqlite3 *db) {
    QSet<QString> found;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, "select 1 from sqlite_master where type='table' and name=?1 collate nocase", -1, &stmt,
                           nullptr) != SQLITE_OK)
        return found;
    for (const Covered &c : kCovered) {
        const QByteArray name = indexTable(QLatin1String(c.table)).toUtf8();
        sqlite3_bind_text(stmt, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) == SQLITE_ROW) found.insert(QLatin1String(c.table));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return found;
}

} // namespace SearchIndex
