#pragma once
#include <QString>

// Supervision conditions of a trade mode when its source gives none (the public code table of
// trade modes has no such column). Every known licence document applies, except that each mode
// keeps only the licence forms meant for it:
//  - processing trade (name holds 来料, 进料 or 加工): the processing-trade forms v and x, not
//    the general import/export licences 7 and 4, nor the border-trade form y;
//  - border trade (name holds 边境): the border-trade form y beside 4, not v or x;
//  - any other mode: 4 and 7, none of v, x, y.
// `licenceCodes` are the one-character document codes known, in their order.
QString defaultTradeConditions(const QString &tradeName, const QString &licenceCodes);
