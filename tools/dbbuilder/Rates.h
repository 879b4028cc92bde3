#pragma once
#include <QString>
#include <optional>

// A published rate as a number of per cent: "10%" and "10" give 10, "6.5%" gives 6.5. Anything
// else (empty, "7.5元/升", "9%,13%", a composite duty) has no single number: nullopt, stored
// as Null in the numeric rate columns.
std::optional<double> percentRate(const QString &text);

// True for a date written YYYY-MM-DD with valid month and day: the one layout in which dates
// stored as text sort in time order.
bool isIsoDate(const QString &text);
