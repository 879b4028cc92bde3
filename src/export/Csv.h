#pragma once
#include <QString>

// Comma-separated text as RFC 4180 writes it, and the guards that keep a spreadsheet opening it
// from reading data as numbers or formulas. Shared by the window's export and the command-line
// tools.
namespace Csv {
// A field as RFC 4180 writes it: quoted, with doubled quotes, when it holds the separator, a
// quote or a line break. The separator may be a tab for tab-separated text.
QString field(const QString &text, QChar separator = u',');
// A code a spreadsheet keeps as text: 0201300090 would lose its leading 0 and a case code
// 01012100.10 would read as a decimal; the formula ="0201300090" shows the code as it stands.
QString codeAsText(const QString &code);
// A cell a spreadsheet would run as a formula (=, +, -, @ first, or a tab or carriage return
// that some read past) gets a leading apostrophe, which spreadsheets show as a text mark; plain
// numbers such as -5 are left as they are.
QString guardFormula(const QString &text);
} // namespace Csv
