#include "app/GridModel.h"

#include "data/AppError.h"
#include "search/ValueText.h"

#include <QSqlQueryModel>
#include <QSqlRecord>

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent) {}

void GridModel::setSource(QSqlQueryModel *source) {
    if (source_ == source) return;
    beginResetModel();
    if (source_) disconnect(source_, nullptr, this, nullptr);
    source_ = source;
    if (source_) {
        connect(source_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
        connect(source_, &QAbstractItemModel::modelReset, this, [this] {
            remap();
            endResetModel();
        });
        connect(source_, &QAbstractItemModel::rowsInserted, this, [this] {
            if (!bulk_) announceNewRows();
        });
        connect(source_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [this](const QModelIndex &, int first, int last) { beginRemoveRows({}, first, last); });
        connect(source_, &QAbstractItemModel::rowsRemoved, this, [this] {
            rows_ = source_->rowCount();
            endRemoveRows();
        });
    }
    remap();
    endResetModel();
}

void GridModel::setColumns(QList<GridColumn> columns) {
    beginResetModel();
    declared_ = std::move(columns);
    remap();
    endResetModel();
}

void GridModel::setDisplayHook(const QString &field, DisplayHook hook) { hooks_.insert(field, std::move(hook)); }

void GridModel::announceNewRows() {
    // A view that hears of new rows may fetch more at once, inside our own announcement: those
    // rows are announced after it, by this loop, never nested in it.
    if (announcing_) return;
    announcing_ = true;
    while (source_->rowCount() > rows_) {
        const int n = source_->rowCount();
        beginInsertRows({}, rows_, n - 1);
        rows_ = n;
        endInsertRows();
    }
    announcing_ = false;
}

void GridModel::fetchAll() {
    if (!source_) return;
    bulk_ = true;
    while (source_->canFetchMore()) source_->fetchMore();
    bulk_ = false;
    announceNewRows();
}

void GridModel::remap() {
    rows_ = source_ ? source_->rowCount() : 0;
    columns_.clear();
    sourceColumn_.clear();
    const QSqlRecord record = source_ ? source_->record() : QSqlRecord();
    if (declared_.isEmpty()) {
        // Without declared columns: one column per field of the result, in field order.
        for (int i = 0; i < record.count(); ++i) {
            const QString name = record.fieldName(i);
            columns_.append({name, labels_.value(name, name)});
            sourceColumn_.append(i);
        }
        return;
    }
    columns_ = declared_;
    for (const GridColumn &c : columns_) sourceColumn_.append(c.field.isEmpty() ? -1 : record.indexOf(c.field));
}

QString GridModel::fieldAt(int column) const {
    return column >= 0 && column < columns_.size() ? columns_[column].field : QString();
}

int GridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() || !source_ ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : columns_.size(); }

bool GridModel::canFetchMore(const QModelIndex &parent) const {
    return !parent.isValid() && source_ && source_->canFetchMore();
}

void GridModel::fetchMore(const QModelIndex &parent) {
    if (canFetchMore(parent)) source_->fetchMore();
}

QVariant GridModel::rawValue(int row, int column) const {
    const int sc = sourceColumn_.value(column, -1);
    if (sc < 0 || !source_) return {};
    return source_->data(source_->index(row, sc), Qt::DisplayRole);
}

QString GridModel::text(int row, int column) const {
    if (column < 0 || column >= columns_.size()) return {};
    const QVariant v = rawValue(row, column);
    const auto hook = hooks_.find(columns_[column].field);
    if (hook != hooks_.end()) {
        try {
            return (*hook)(v);
        } catch (const AppError &) {
            // A stored value the hook cannot read (a code that is not scrambled text) shows
            // as stored rather than failing every repaint.
            return v.toString();
        }
    }
    return ValueText::text(v, columns_[column].field);
}

QVariant GridModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid()) return {};
    const GridColumn &c = columns_[index.column()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(index.row(), index.column());
    case Qt::BackgroundRole:
        // Record numbers count from 1: the first row is odd.
        return (index.row() % 2 == 0) ? oddColor_ : evenColor_;
    case Qt::ForegroundRole:
        return c.link ? QColor(0, 0, 255) : QColor(Qt::black);
    case Qt::FontRole:
        if (c.link) return linkFont_;
        return {};
    case Qt::TextAlignmentRole: {
        const QVariant v = c.field.isEmpty() ? QVariant() : rawValue(index.row(), index.column());
        const Qt::Alignment h = ValueText::isNumber(v) && !hooks_.contains(c.field) ? Qt::AlignRight : Qt::AlignLeft;
        return QVariant::fromValue(h | vAlign_);
    }
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size()) return {};
    if (role == Qt::DisplayRole) return columns_[section].title;
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
