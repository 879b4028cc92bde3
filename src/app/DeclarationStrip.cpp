#include "app/DeclarationStrip.h"

#include "chrome/ClickLabel.h"
#include "chrome/LinkLook.h"
#include "data/AppError.h"
#include "data/Connection.h"
#include "search/DeclarationElements.h"

#include <QFrame>
#include <QLabel>
#include <QTextEdit>
#include <QTextLayout>

namespace {
constexpr int kStripTop = 120; // the strip between the tariff row grid and the lower grids
constexpr int kStripHeight = 30;
constexpr int kListTop = 150;
const QString kOpen = QStringLiteral("展开全部 ▼");
const QString kClose = QStringLiteral("收起 ▲");

// As much of a text as `lines` lines of a width hold; a cut text ends in an ellipsis.
QString fitToLines(const QString &text, const QFont &font, int width, int lines) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int lastStart = 0, end = 0, count = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (++count > lines) break;
        lastStart = line.textStart();
        end = line.textStart() + line.textLength();
    }
    layout.endLayout();
    if (count <= lines) return text;
    // The last line gives up as much room as the ellipsis needs.
    const QString ellipsis(QChar(0x2026));
    const QFontMetrics fm(font);
    while (end > lastStart && fm.horizontalAdvance(text.mid(lastStart, end - lastStart) + ellipsis) > width) --end;
    return text.left(end) + ellipsis;
}
} // namespace

DeclarationStrip::DeclarationStrip(QWidget *panel, Connection &connection)
    : QObject(panel), panel_(panel), connection_(connection) {
    setObjectName(QStringLiteral("declarationStrip"));
    line_ = new QLabel(panel);
    line_->setObjectName(QStringLiteral("lblElements"));
    line_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    line_->setWordWrap(true);
    line_->hide();

    more_ = new ClickLabel(kOpen, panel);
    more_->setObjectName(QStringLiteral("lblElementsMore"));
    LinkLook::plain(more_);
    more_->hide();
    connect(more_, &ClickLabel::clicked, this, [this] { setListOpen(!isListOpen()); });

    // Read-only text: the user can select and copy an item.
    list_ = new QTextEdit(panel);
    list_->setObjectName(QStringLiteral("pnlElements"));
    list_->setReadOnly(true);
    list_->setFrameShape(QFrame::Box);
    list_->setLineWrapMode(QTextEdit::WidgetWidth);
    list_->hide();
}

void DeclarationStrip::showCode(const QString &storedCode) {
    setListOpen(false);
    QString elements;
    try {
        if (!storedCode.isNull()) elements = DeclarationElements::ofCode(connection_.database(), storedCode);
    } catch (const AppError &) {
        // The detail view reports its own failures; without elements the strip stays empty.
        elements.clear();
    }
    items_ = DeclarationElements::items(elements);
    line_->setVisible(!items_.isEmpty());
    more_->setVisible(!items_.isEmpty());
    list_->setPlainText(items_.join(u'\n'));
    place(left_, right_);
}

void DeclarationStrip::place(int left, int right) {
    left_ = left;
    right_ = right;
    more_->adjustSize();
    more_->move(right - 4 - more_->width(), kStripTop + (kStripHeight - more_->height()) / 2);
    line_->setGeometry(left, kStripTop + 1, more_->x() - 12 - left, kStripHeight - 2);
    const QString all = QStringLiteral("申报要素：") + items_.join(u';');
    const QString shown = fitToLines(all, line_->font(), line_->width(), 2);
    line_->setText(shown);
    // Hovering a cut strip shows the whole list too.
    line_->setToolTip(shown == all ? QString() : items_.join(u'\n'));
    // The list lies over the top of the lower grids, below the strip text, as high as its items.
    const int width = right + 1 - left;
    list_->document()->setTextWidth(width - 2 * list_->frameWidth() - 8);
    const int wanted = int(list_->document()->size().height()) + 2 * list_->frameWidth() + 4;
    list_->setGeometry(left, kListTop, width, std::min(wanted, panel_->height() - kListTop - 2));
}

void DeclarationStrip::setListOpen(bool open) {
    list_->setVisible(open);
    if (open) list_->raise();
    more_->setText(open ? kClose : kOpen);
    if (more_->isVisibleTo(panel_)) place(left_, right_);
}

bool DeclarationStrip::isListOpen() const { return list_->isVisible(); }
