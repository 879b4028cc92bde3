#include "data/CharTokenizer.h"

// Built into the program and, on its own, as a loadable SQLite extension: there the engine's
// functions are reached through the routines the loader hands over.
#ifdef ZENDRIK_SQLITE_EXTENSION
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3
#else
#include <sqlite3.h>
#endif

namespace CharTokenizer {

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

} // namespace

bool install(sqlite3 *db) {
    fts5_api *api = ftsApi(db);
    if (!api) return false;
    static fts5_tokenizer chars{charsCreate, charsDelete, charsTokenize};
    return api->xCreateTokenizer(api, kName, nullptr, &chars, nullptr) == SQLITE_OK;
}

} // namespace CharTokenizer
