#pragma once
#include <QStringList>

class QTextStream;

// zendrik-cli suggest "描述" [--top N] [--format text|csv|json] [--db PATH]: the tariff lines a
// goods description most likely belongs to, best first, as the window's description search.
namespace CliSuggest {
int run(const QStringList &args, QTextStream &out, QTextStream &err);
} // namespace CliSuggest
