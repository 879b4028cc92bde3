#pragma once
#include "chrome/SkinnedWindow.h"
#include "data/Connection.h"
#include "data/Query.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>

class ClickLabel;
class DataGrid;
class QFrame;
class QLabel;
class QLineEdit;
class QTextEdit;
class RatesByOrigin;
class SearchHistory;
class PictureButton;

// The main window: header with picture buttons, the search strip, the three result grids, the
// detail panels and the status line with the news ticker. Its components are public, as on a
// designed form: other windows read its hidden hand-over labels and tests drive its controls.
class MainWindow : public SkinnedWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 838;
    static constexpr int kClientHeight = 560;
    // The status line's top and the site link's left at the designed size.
    static constexpr int kStatusTop = 540;
    static constexpr int kSiteLinkLeft = 700;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The area that holds the controls, in client coordinates.
    QWidget *client = nullptr;

    QLabel *imgForm = nullptr;
    PictureButton *imgupdate = nullptr, *imgabout = nullptr, *imgreturn = nullptr, *imgreturn1 = nullptr;
    ClickLabel *imgLogo = nullptr;
    QLabel *lbl4 = nullptr, *lbl5 = nullptr, *lbl6 = nullptr, *lbl11 = nullptr;
    QLineEdit *edtCode = nullptr, *edtName = nullptr;
    PictureButton *imgQuery = nullptr, *imgtab1 = nullptr, *imgtab2 = nullptr, *imgtab3 = nullptr;
    QFrame *pnl1 = nullptr, *pnl2 = nullptr, *pnl3 = nullptr;
    DataGrid *dbgrd1 = nullptr, *dbgrd2 = nullptr, *dbgrd3 = nullptr;
    DataGrid *dbgrd4 = nullptr, *dbgrd5 = nullptr, *dbgrd6 = nullptr;
    QLabel *lbl7 = nullptr, *lbl8 = nullptr;
    ClickLabel *lbl9 = nullptr, *lbl13 = nullptr;
    QLabel *lbl3 = nullptr, *lbl10 = nullptr, *lbl12 = nullptr, *lblAdUrl = nullptr;
    // How many rows each result grid found, beside the tabs.
    QLabel *lblCounts = nullptr;

    Connection con1{QStringLiteral("MainWindow.con1")};
    Query qry1{QStringLiteral("qry1")}, qry2{QStringLiteral("qry2")}, qry3{QStringLiteral("qry3")};
    Query qry4{QStringLiteral("qry4")}, qry5{QStringLiteral("qry5")}, qry6{QStringLiteral("qry6")};
    Query qry8{QStringLiteral("qry8")}, qry9{QStringLiteral("qry9")};
    QTimer tmr1;

    // News lists: created by the creation sequence, freed by FormClose.
    std::unique_ptr<QStringList> newsIds, newsTitles;
    int tickerIndex = 0;

    void FormCreate();
    void FormClose();
    void imgupdateClick();
    void imgaboutClick();
    void imgreturnClick();
    // The update-date label's caption for the newest update date; empty when there is none.
    static void showUpdateDate(QLabel *label, const QString &date);

    // Search (Unit2Search.cpp).
    void imgQueryClick();
    void edtCodeKeyPress(QChar key);
    void edtNameKeyPress(QChar key);
    void imgtab1Click();
    void imgtab2Click();
    void imgtab3Click();

    // Result grids: columns, display hooks and the wheel routing (Unit2Grids.cpp).
    QString wdstrngfldqry1hs_codeGetText(const QVariant &value) const;
    QString wdstrngfldqry2code_tGetText(const QVariant &value) const;
    QString wdstrngfldqry3codeGetText(const QVariant &value) const;
    QString wdstrngfldqry4hs_codeGetText(const QVariant &value) const;
    bool aplctnvnts1Message(QObject *target, QEvent *event);

    // Detail view and special tariff rates (Unit2Detail.cpp).
    void dbgrd1CellClick(int column);
    void dbgrd2CellClick(int column);
    void dbgrd3CellClick(int column);
    QString Panel2Databound(const QString &scrambledCode);
    void imgreturn1Click();
    QString strngfldqry2liceGetText(const QVariant &value) const;
    // The supervision-condition characters of the code loaded last into the detail view.
    QByteArray detailConditions;
    // The steps after a click: load the detail view for a code as a result grid shows it and
    // switch to it, marking the grid's code field as the origin; or hand a tariff code to a new
    // special tariff rate view and switch to that.
    void showDetail(const QString &shownCode, const QString &origin);
    void showSpecialRates(const QString &shownCode);

    // Every published rate of the detail view's code, by origin (Unit2Rates.cpp): a link in the
    // strip between the tariff row and the trade modes opens its window.
    ClickLabel *lblRatesByOrigin = nullptr;
    RatesByOrigin *ratesByOrigin = nullptr;
    void lblRatesByOriginClick();

    // The full declaration elements of the detail view's code (Unit2Elements.cpp): as much as
    // two lines show in the same strip, right of the rates link, and the whole list, one item a
    // line, in a panel that the link at the strip's end opens over the top of the lower grids.
    QLabel *lblElements = nullptr;
    ClickLabel *lblElementsMore = nullptr;
    QTextEdit *pnlElements = nullptr;
    QStringList declarationItems;
    void showDeclarationElements();
    void setElementsListOpen(bool open);

    // Keyboard (Unit2Keys.cpp): Enter on a result cell does what a click does, Esc or Alt+Left
    // goes back, Alt+1/2/3 choose a tab, Ctrl+L goes to the code box.
    void keyEnter(DataGrid *grid);
    void keyBack();
    void keyTab(int tab);
    void keyCodeBox();

    // What the window remembers for its user (Unit2Place.cpp): the last searches of each box,
    // and the window's place and open tab, restored at the next start.
    SearchHistory *codeHistory = nullptr, *nameHistory = nullptr;
    void rememberPlace();
    void restorePlace();
    // The result tab the user sees, or returns to from a detail view: 1, 2 or 3.
    int openTab() const;

    // Vendor content (Unit2Feed.cpp).
    void UpdateNewad(const QString &newsAddress, const QString &adAddress);
    void GetLogo();
    void tmr1Timer();
    void lbl9Click();
    void lbl13Click();
    void imgLogoClick();

    // Shrinks the window to the room its screen has, when it has less than the designed size,
    // and places it wholly on that screen, centred where it can be (Unit2Layout.cpp).
    void fitToScreen();

    // Vendor addresses, formed from the root address.
    static QString vendorAddress(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;

    void resizeEvent(QResizeEvent *event) override; // Unit2Layout.cpp
    // Tab skips the result grids while a detail view covers them (Unit2Keys.cpp).
    bool focusNextPrevChild(bool next) override;

private:
    void buildControls();
    void setupGrids(); // Unit2Grids.cpp
    void setupSearch(); // Unit2Search.cpp
    void setupDetailView(); // Unit2Detail.cpp
    void setupRatesByOrigin(); // Unit2Rates.cpp
    void setupCounts(); // Unit2Counts.cpp
    void showCounts();
    void setupDeclarationElements(); // Unit2Elements.cpp
    void placeDeclarationElements();
    void setupKeyboard(); // Unit2Keys.cpp
    void setupHistory(); // Unit2Place.cpp
    void resultCellClick(DataGrid *grid, const QString &codeField, int column);
    void loadFallbackBanner();
    void setLinkHover(QLabel *label, bool hovered);

    // The application-wide message hook: sees every event before it is delivered.
    class MessageHook : public QObject {
    public:
        explicit MessageHook(MainWindow *form) : QObject(form), form_(form) {}
        bool eventFilter(QObject *watched, QEvent *event) override { return form_->aplctnvnts1Message(watched, event); }

    private:
        MainWindow *form_;
    };
    MessageHook *aplctnvnts1 = nullptr;
};
