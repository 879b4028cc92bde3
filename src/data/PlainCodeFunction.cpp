#include "data/PlainCodeFunction.h"

#include "data/AppError.h"
#include "data/CodeCodec.h"

#include <sqlite3.h>

namespace PlainCodeFunction {

namespace {
void plainCode(sqlite3_context *context, int, sqlite3_value **argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const QByteArray stored(text, sqlite3_value_bytes(argv[0]));
    QByteArray plain;
    try {
        plain = UnscrambleCode(stored);
    } catch (const AppError &) {
        plain = stored;
    }
    // Up to 18 digits fit a 64-bit integer.
    bool digits = !plain.isEmpty() && plain.size() <= 18;
    for (const char c : plain) digits = digits && c >= '0' && c <= '9';
    if (digits) return sqlite3_result_int64(context, plain.toLongLong());
    sqlite3_result_text(context, plain.constData(), int(plain.size()), SQLITE_TRANSIENT);
}
} // namespace

bool install(sqlite3 *db) {
    return sqlite3_create_function_v2(db, kName, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, plainCode, nullptr,
                                      nullptr, nullptr) == SQLITE_OK;
}

} // namespace PlainCodeFunction
