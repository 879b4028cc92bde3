#pragma once
#include "chrome/SkinnedWindow.h"
#include "data/Connection.h"
#include "search/SearchTables.h"

#include <memory>

class AdvertBanner;
class DetailPanel;
class NewsTicker;
class PerUnitText;
class PictureButton;
class QLabel;
class ResultTabs;
class SearchStrip;
class SpecialRatesPanel;
class SuggestPanel;
class WheelRows;

// The main window: the header with its picture buttons and the advertisement, the search strip,
// the result tabs, the detail and special-rate views that cover them, and the status line with
// the update date, the news ticker and the site link. It composes those parts and moves between
// the results and the views; each part keeps its own controls and state.
class MainWindow : public SkinnedWindow {
    Q_OBJECT
public:
    using Table = SearchTables::Table;

    static constexpr int kClientWidth = 838;
    static constexpr int kClientHeight = 560;
    // The status line's top and the site link's left at the designed size.
    static constexpr int kStatusTop = 540;
    static constexpr int kSiteLinkLeft = 700;

    // Builds the window and loads what it shows at start-up: the vendor's news and advertisement
    // (from the site when it is there), the newest update date, and the first rows of each table.
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    SearchStrip *searchStrip() const { return search_; }
    ResultTabs *results() const { return results_; }
    DetailPanel *detail() const { return detail_; }
    SpecialRatesPanel *specialRates() const { return specialRates_; }
    SuggestPanel *suggestions() const { return suggest_; }
    // The description search's view, the description given searched for at once.
    void showSuggestions(const QString &description);
    NewsTicker *ticker() const { return ticker_; }
    AdvertBanner *banner() const { return banner_; }

    // The detail view of a code as a table's grid shows it; back returns to that table's tab.
    void showDetail(const QString &shownCode, Table from);
    // The special tariff rates of a tariff code as the tariff grid shows it.
    void showSpecialRates(const QString &shownCode);
    // Whether a detail or special-rate view covers the results.
    bool inView() const;
    // Back from a view to the tab it was opened from; nothing when no view shows.
    void goBack();
    // The result tab the user sees, or returns to from a view.
    Table openTab() const;

    // The update date label's caption for the newest update date; empty when there is none.
    static void showUpdateDate(QLabel *label, const QString &date);

    // Where the window stands and its open tab, kept for the user's next start.
    void rememberPlace();
    void restorePlace();

protected:
    void closeEvent(QCloseEvent *event) override;
    // The designed size places every control as designed; extra room goes to the panels and
    // their grids, and the status line keeps to the bottom.
    void resizeEvent(QResizeEvent *event) override;
    // Tab passes over the result grids while a view covers them.
    bool focusNextPrevChild(bool next) override;

private:
    void buildHeader();
    void buildStatusLine();
    void start();
    void search(const QString &code, const QString &name);
    void showResultButtons(bool results);
    void openImportWindow();
    void openAboutWindow();

    Connection connection_{QStringLiteral("MainWindow.con1")};
    std::shared_ptr<PerUnitText> rateTexts_;
    QWidget *client_ = nullptr;
    QLabel *header_ = nullptr;
    PictureButton *exitButton_ = nullptr;
    PictureButton *backButton_ = nullptr;
    QLabel *version_ = nullptr;
    QLabel *updateDate_ = nullptr;
    QLabel *siteLink_ = nullptr;
    AdvertBanner *banner_ = nullptr;
    SearchStrip *search_ = nullptr;
    ResultTabs *results_ = nullptr;
    NewsTicker *ticker_ = nullptr;
    DetailPanel *detail_ = nullptr;
    SpecialRatesPanel *specialRates_ = nullptr;
    SuggestPanel *suggest_ = nullptr;
    // A detail opened from the description search goes back to it.
    bool detailFromSuggestions_ = false;
    std::unique_ptr<WheelRows> wheelRows_;
    // The tab a view was opened from, which back returns to.
    Table viewOpenedFrom_ = SearchTables::OfficialHs;
};
