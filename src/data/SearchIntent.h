#pragma once
#include <QString>

// What a search statement asks for, handed down beside its text so that the data layer can choose
// how to run it without reading the text back: the table, its code and name columns, the code
// prefix (scrambled, as the statement matches it) and the name fragment as typed ('%' and '_'
// keep their pattern meaning). The statement selects the rows whose code starts with the prefix
// and whose name contains the fragment, ordered by code, and ends with "order by <code column>".
struct SearchIntent {
    QString table;
    QString codeColumn;
    QString nameColumn;
    QString codePrefix;
    QString nameFragment;
    bool isSearch() const { return !table.isEmpty(); }
};
