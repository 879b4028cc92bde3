#pragma once
#include "data/Connection.h"
#include "data/Query.h"

#include <QWidget>

class DataGrid;

// The special tariff rate view: the rows of hs_dm_tax for one code under a three-level header.
// A borderless window that its host places in a panel; it reads the rows of the code it is made
// for once and is never refreshed.
class SpecialRatesView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 793;
    static constexpr int kClientHeight = 407;

    // Reads the rows of a code (8 digits, as shown); its failures go to the default error report,
    // over `reportTo` (the view itself when none), and the view still shows its header.
    explicit SpecialRatesView(const QString &code, QWidget *reportTo = nullptr);
    ~SpecialRatesView() override;

    const QString &code() const { return code_; }
    DataGrid *grid() const { return grid_; }
    const Query &query() const { return query_; }

private:
    void load(QWidget *reportTo);

    QString code_;
    Connection connection_{QStringLiteral("SpecialRatesView.con1")};
    Query query_{QStringLiteral("qry1")};
    DataGrid *grid_ = nullptr;
};
