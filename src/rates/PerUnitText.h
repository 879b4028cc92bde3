#pragma once
#include <QHash>
#include <QSqlDatabase>
#include <QString>

// The published texts of the rates whose numeric column stays Null because they are not one
// percentage (a duty per unit, a compound duty), so a grid can show "0.8元/千克" where the number
// is missing. Read once: a few dozen lines of a tariff. Empty for a database without them.
class PerUnitText {
public:
    // Reads the MFN and general rates without a number; a database without the published rates
    // gives none. Never throws: the grids then show the empty cell they always showed.
    void load(const QSqlDatabase &db);
    bool isLoaded() const { return loaded_; }
    // The published text of a code's rate of a kind (RateSchema), empty when it has a number.
    QString text(const QString &scrambledCode, const QString &kind) const;

private:
    bool loaded_ = false;
    QHash<QString, QString> texts_; // by upper-case scrambled code, a tab and the kind
};
