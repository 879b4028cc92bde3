#pragma once
#include "data/Query.h"

#include <QByteArray>
#include <QObject>
#include <array>

class ClickLabel;
class Connection;
class DataGrid;
class DeclarationStrip;
class QFrame;
class RatesByOrigin;

// The detail view of one code in the main window: its tariff row, the trade modes with the
// supervision conditions they share with the code, the licence documents those conditions
// require, its declaration elements, and a link to every published rate of the code by origin.
class DetailPanel : public QObject {
    Q_OBJECT
public:
    enum Grid { TariffRow, TradeModes, Licences };

    // Makes the panel, hidden, on the window's client area.
    DetailPanel(QWidget *client, Connection &connection);
    ~DetailPanel() override;

    QFrame *panel() const { return panel_; }
    DataGrid *grid(Grid which) const { return grids_[which]; }
    const Query &query(Grid which) const { return queries_[which]; }
    DeclarationStrip *declarationStrip() const { return strip_; }
    // The window of the rates by origin, once the link has opened it.
    RatesByOrigin *ratesByOrigin() const { return ratesByOrigin_; }

    // Loads the view for a code as stored (scrambled); its failures are reported to the user.
    void load(const QString &scrambledCode);
    void openRatesByOrigin();
    // Gives the panel `dx` more width and `dy` more height than designed.
    void grow(int dx, int dy);

private:
    // A trade mode's conditions as shown: only the code's conditions it also lists.
    QString sharedConditions(const QVariant &tradeModeConditions) const;
    void placeStrip();

    Connection &connection_;
    QFrame *panel_;
    std::array<Query, 3> queries_{Query(QStringLiteral("qry4")), Query(QStringLiteral("qry5")),
                                  Query(QStringLiteral("qry6"))};
    std::array<DataGrid *, 3> grids_{};
    ClickLabel *ratesLink_;
    DeclarationStrip *strip_;
    RatesByOrigin *ratesByOrigin_ = nullptr;
    // The supervision-condition characters of the code loaded last (GBK).
    QByteArray conditions_;
};
