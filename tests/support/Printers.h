#pragma once
#include "data/Statement.h"

#include <QString>
#include <QStringList>
#include <ostream>

// Readable failure messages for Qt strings in GoogleTest assertions.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList &l, std::ostream *os) {
    *os << '{';
    for (qsizetype i = 0; i < l.size(); ++i) *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << '}';
}
inline void PrintTo(const Statement &s, std::ostream *os) {
    *os << '"' << s.text.toStdString() << "\" with {";
    for (qsizetype i = 0; i < s.values.size(); ++i) *os << (i ? ", " : "") << s.values[i].toString().toStdString();
    *os << '}';
}
