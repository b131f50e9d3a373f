#include "app/listview.h"

#include "app/twips.h"

#include <QHeaderView>

namespace cw {

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= cellCount)
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return rows_[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
    return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < headers_.size())
        return headers_[section];
    return {};
}

void ListModel::addHeader(const QString& caption) {
    const int column = static_cast<int>(headers_.size());
    beginInsertColumns({}, column, column);
    headers_ << caption;
    endInsertColumns();
}

void ListModel::beginRefill() {
    if (!refilling_) {
        beginResetModel();
        refilling_ = true;
    }
    rows_.clear();
}

void ListModel::endRefill() {
    if (refilling_) {
        refilling_ = false;
        endResetModel();
    }
}

int ListModel::addRow(const QString& text) {
    const int row = static_cast<int>(rows_.size());
    if (!refilling_)
        beginInsertRows({}, row, row);
    rows_.push_back({});
    rows_.back()[0] = text;
    if (!refilling_)
        endInsertRows();
    return row;
}

void ListModel::setCell(int row, int column, const QString& text) {
    rows_.at(static_cast<size_t>(row)).at(static_cast<size_t>(column)) = text;
    if (!refilling_)
        emit dataChanged(index(row, column), index(row, column));
}

const QString& ListModel::cell(int row, int column) const {
    return rows_.at(static_cast<size_t>(row)).at(static_cast<size_t>(column));
}

ListView::ListView(QWidget* parent) : QTreeView(parent), model_(new ListModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(this, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit itemDoubleClicked(index.row());
    });
}

void ListView::addColumn(const QString& caption, int widthTwips) {
    model_->addHeader(caption);
    const int column = model_->columnCount() - 1;
    if (widthTwips <= 1)
        setColumnHidden(column, true);
    else
        setColumnWidth(column, twips(widthTwips));
}

void ListView::clearItems() {
    const int current = selectedRow();
    currentIdBeforeRefill_ = current >= 0 ? itemText(current) : QString();
    model_->beginRefill();
}

void ListView::finishRefill() {
    model_->endRefill();
    // Keep the row the user had, by its id; else the first row, so a list with rows has a current row.
    int row = 0;
    if (!currentIdBeforeRefill_.isEmpty()) {
        for (int r = 0; r < count(); ++r) {
            if (model_->cell(r, 0) == currentIdBeforeRefill_) {
                row = r;
                break;
            }
        }
    }
    if (count() > 0)
        selectRow(row);
}

int ListView::addItem(const QString& text) { return model_->addRow(text); }
void ListView::setSubItem(int row, int n, const QString& text) { model_->setCell(row, n, text); }
int ListView::count() const { return model_->rowCount(); }

int ListView::selectedRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() && current.row() < count() ? current.row() : -1;
}

QString ListView::itemText(int row) const { return model_->cell(row, 0); }
QString ListView::subItem(int row, int n) const { return model_->cell(row, n); }

void ListView::selectRow(int row) {
    const QModelIndex index = model_->index(row, 1);
    setCurrentIndex(index);
    scrollTo(index);
}

} // namespace cw
