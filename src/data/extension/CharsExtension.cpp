// The name index's tokenizer as a loadable SQLite extension, so that any SQLite tool can write
// the tables the index follows:  sqlite3 quorvel.mdb  then  .load /path/to/zendrik_chars
#include "data/CharTokenizer.h"

#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

// No header declares the entry point: SQLite looks it up by name in the loaded library.
extern "C" int sqlite3_zendrikchars_init(sqlite3 *db, char **error, const sqlite3_api_routines *api);

extern "C" int sqlite3_zendrikchars_init(sqlite3 *db, char **error, const sqlite3_api_routines *api) {
    SQLITE_EXTENSION_INIT2(api);
    if (CharTokenizer::install(db)) return SQLITE_OK;
    *error = sqlite3_mprintf("zendrik_chars: this SQLite has no FTS5");
    return SQLITE_ERROR;
}
