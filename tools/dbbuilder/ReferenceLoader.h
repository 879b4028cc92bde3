#pragma once
#include <QString>
#include <QStringList>

class BuilderDatabase;

// The reference files a directory may hold, by fixed name, each replacing its tables' rows:
//   tariff.csv       official_hs, hs_dm_tax and tariff_rate (the published tariff's export layout)
//   licences.csv     hs_licensed
//   trade-modes.csv  hs_trade (without a conditions column: no conditions, never guessed ones)
//   rulings.csv      hs_classify
//   cases.csv        case_hs
//   news.csv         news
//   ads.csv          news_ad
//   partner-countries.csv  partner_country (the origins a rate can be looked up for)
// The first three and the partner countries are also found under the published export's names
// (cn-tariff-<year>.csv, cn-licence-documents.csv, cn-trade-modes-<year>.csv,
// cn-partner-countries.csv), so its folder loads as it is.
// Missing files are skipped with a note. Any bad row throws AppError "<file>:<line>: <reason>".
// The caller runs the whole load in one transaction, so a failure writes nothing.
struct LoadSummary {
    QStringList notes; // one line per file: what was loaded or skipped
    int filesLoaded = 0;
    QStringList tables; // the tables whose rows the load replaced
};

// `only`, when not empty, limits the load to those file names.
LoadSummary loadReferenceFiles(BuilderDatabase &db, const QString &dir, const QStringList &only = {});

// Codes as the loader accepts them: 4 to 10 ASCII digits.
bool isPlainCode(const QString &code);
