#include "data/Dialect.h"

#include <QString>
#include <sqlite3.h>

namespace Dialect {

namespace {
// instr(start, text, search, mode): 1-based position of search in text from position start;
// mode 0 compares exactly, any other mode ignores case; 0 when absent; Null when text is Null.
void instrFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL || sqlite3_value_type(argv[2]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const qint64 start = sqlite3_value_int64(argv[0]);
    const auto text =
        QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[1])), sqlite3_value_bytes(argv[1]));
    const auto search =
        QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[2])), sqlite3_value_bytes(argv[2]));
    const Qt::CaseSensitivity cs = sqlite3_value_int(argv[3]) == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (start < 1) {
        sqlite3_result_error(ctx, "Invalid procedure call or argument", -1);
        return;
    }
    if (start > text.size() + 1) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const qsizetype at = text.indexOf(search, start - 1, cs);
    sqlite3_result_int64(ctx, at < 0 ? 0 : at + 1);
}
} // namespace

bool install(sqlite3 *db) {
    return sqlite3_create_function_v2(db, "instr", 4, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, instrFunction,
                                      nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace Dialect
