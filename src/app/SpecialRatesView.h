#pragma once
#include "data/Connection.h"
#include "data/Query.h"

#include <QWidget>

class DataGrid;
class QLabel;

// The special tariff rate view: the rows of hs_dm_tax for one code under a three-level header.
// A borderless window that its host places in a panel; it reads the code from the main window's
// hand-off label when it is created and is never refreshed.
class SpecialRatesView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 793;
    static constexpr int kClientHeight = 407;

    // Runs the creation sequence; its failures go to the default error report and the view
    // still shows its header.
    explicit SpecialRatesView(const QLabel *handOff, QWidget *parent = nullptr);
    ~SpecialRatesView() override;

    Connection con1{QStringLiteral("SpecialRatesView.con1")};
    Query qry1{QStringLiteral("qry1")};
    DataGrid *dbgrdh1 = nullptr;

    QString wdstrngfldqry1codeGetText(const QVariant &value) const;

private:
    void FormCreate(const QLabel *handOff);
};
