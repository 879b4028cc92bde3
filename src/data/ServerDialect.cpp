#include "data/ServerDialect.h"

#include "data/CodeCodec.h"

namespace ServerDialect {

namespace {
// The code key as hex digits, for the server's plain_code().
QString keyHex() {
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(CodeKey.data()), CodeKey.size()).toHex());
}
} // namespace

bool isCodeColumn(const QString &column) {
    static const QStringList codes{QStringLiteral("hs_code"), QStringLiteral("code_t"), QStringLiteral("code")};
    return codes.contains(column, Qt::CaseInsensitive);
}

QStringList functions() {
    return {
        QStringLiteral("create or replace function zendrik_nocase(text) returns text language sql immutable strict "
                       "parallel safe as $$ select translate($1, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', "
                       "'abcdefghijklmnopqrstuvwxyz') $$"),
        // 1-based position of s in t from position start; mode 0 compares exactly, any other
        // ignores case; 0 when absent; Null when t or s is Null; a start below 1 is an error.
        QStringLiteral("create or replace function instr(start integer, t text, s text, mode integer) "
                       "returns integer language plpgsql immutable parallel safe as $$ "
                       "declare p integer; begin "
                       "if t is null or s is null then return null; end if; "
                       "if start is null or start < 1 then "
                       "raise exception 'Invalid procedure call or argument'; end if; "
                       "if start > length(t) + 1 then return 0; end if; "
                       "if mode <> 0 then t := lower(t collate \"und-x-icu\"); s := lower(s collate \"und-x-icu\"); "
                       "end if; "
                       "p := strpos(substr(t, start), s); "
                       "return case when p = 0 then 0 else p + start - 1 end; end $$"),
        // The stored code's plain form: its hex pairs, each XOR the key byte of its place (a
        // last odd digit dropped); as stored when a pair is not hex or the plain bytes are not
        // ASCII text. Like the file's engine's plain_code(), but always text.
        QStringLiteral("create or replace function plain_code(stored text) returns text language plpgsql immutable "
                       "strict parallel safe as $$ declare b bytea; c integer; k bytea := '\\x%1'; begin "
                       "if stored !~ '^([0-9A-Fa-f]{2})*.?$' then return stored; end if; "
                       "b := decode(substr(stored, 1, length(stored) / 2 * 2), 'hex'); "
                       "for i in 0 .. length(b) - 1 loop c := get_byte(b, i) # get_byte(k, i % 8); "
                       "if c = 0 or c > 127 then return stored; end if; b := set_byte(b, i, c); end loop; "
                       "return convert_from(b, 'SQL_ASCII'); end $$")
            .arg(keyHex()),
        // Orders as the file's engine orders plain_code(): a plain code of up to 18 digits is a
        // number there, before every text; texts byte by byte. In one pass, for sorting speed.
        QStringLiteral(
            "create or replace function plain_code_order(stored text) returns text language plpgsql "
            "immutable strict parallel safe as $$ declare b bytea; c integer; n bigint := 0; "
            "digits boolean; k bytea := '\\x%1'; begin "
            "if stored !~ '^([0-9A-Fa-f]{2})*.?$' then return '1' || stored; end if; "
            "b := decode(substr(stored, 1, length(stored) / 2 * 2), 'hex'); "
            "digits := length(b) between 1 and 18; "
            "for i in 0 .. length(b) - 1 loop c := get_byte(b, i) # get_byte(k, i % 8); "
            "if c = 0 or c > 127 then return '1' || stored; end if; "
            "if c not between 48 and 57 then digits := false; elsif digits then n := n * 10 + c - 48; end if; "
            "b := set_byte(b, i, c); end loop; "
            "if digits then return '0' || lpad(n::text, 19, '0'); end if; "
            "return '1' || convert_from(b, 'SQL_ASCII'); end $$")
            .arg(keyHex()),
    };
}

} // namespace ServerDialect
