#include "gui/services/listview.h"

#include "gui/services/twips.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

#include <stdexcept>

namespace cw {

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shownColumns_.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= columnCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return rows_.cell(static_cast<size_t>(rowShownAt(index.row())), columnOf(index.column()));
    return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < columnCount())
        return headers_[columnOf(section)];
    return {};
}

void ListModel::addHeader(const QString& caption, bool shown) {
    headers_ << caption;
    if (!shown)
        return;
    const int section = columnCount();
    beginInsertColumns({}, section, section);
    shownColumns_.push_back(static_cast<int>(headers_.size()) - 1);
    endInsertColumns();
}

bool ListModel::showColumn(int column, bool shown) {
    const int at = section(column);
    if ((at >= 0) == shown)
        return false;
    if (shown) {
        const auto place = std::upper_bound(shownColumns_.begin(), shownColumns_.end(), column);
        const int before = static_cast<int>(place - shownColumns_.begin());
        beginInsertColumns({}, before, before);
        shownColumns_.insert(place, column);
        endInsertColumns();
    } else {
        beginRemoveColumns({}, at, at);
        shownColumns_.erase(shownColumns_.begin() + at);
        endRemoveColumns();
    }
    return true;
}

int ListModel::section(int column) const {
    const auto found = std::find(shownColumns_.begin(), shownColumns_.end(), column);
    return found == shownColumns_.end() ? -1 : static_cast<int>(found - shownColumns_.begin());
}

void ListModel::beginRefill() {
    if (!refilling_) {
        beginResetModel();
        refilling_ = true;
    }
}

void ListModel::endRefill(ListedRows rows) {
    rows_ = std::move(rows);
    filter_.forget();
    if (refilling_) {
        refilling_ = false;
        reshow();
        endResetModel();
    } else {
        beginResetModel();
        reshow();
        endResetModel();
    }
}

QString ListModel::cell(int row, int column) const {
    if (row < 0 || row >= addedCount() || column < 0 || column >= cellCount)
        throw std::out_of_range("no such cell in the list");
    return rows_.cell(static_cast<size_t>(row), column);
}

int ListModel::rowShownAt(int shownRow) const {
    return shownRow >= 0 && shownRow < rowCount() ? shown_[static_cast<size_t>(shownRow)] : -1;
}

int ListModel::shownRowOf(int row) const {
    return row >= 0 && row < addedCount() ? shownRowOf_[static_cast<size_t>(row)] : -1;
}

void ListModel::setOrder(const ListOrder& order) {
    order_ = order;
    beginResetModel();
    reshow();
    endResetModel();
}

void ListModel::reshow() {
    shown_ = filter_.shownRows(rows_, order_);
    shownRowOf_.assign(rows_.size(), -1);
    for (size_t shownRow = 0; shownRow < shown_.size(); ++shownRow)
        shownRowOf_[size_t(shown_[shownRow])] = static_cast<int>(shownRow);
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
            emit itemDoubleClicked(model_->rowShownAt(index.row()));
    });
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    connect(header(), &QHeaderView::sectionClicked, this, &ListView::headerClicked);
}

bool ListView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTreeView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text = index.data().toString();
    const QRect cell = visualRect(index);
    // The item's text margins on either side, as the styles draw them.
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    QStringList lines;
    if (index.isValid() && viewport()->fontMetrics().horizontalAdvance(text) + margins > cell.width())
        lines << text;
    if (index.isValid() && rowTip)
        lines << rowTip(model_->rowShownAt(index.row()));
    lines.removeAll(QString());
    if (lines.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), lines.join(QLatin1Char('\n')), viewport(), cell);
    return true;
}

void ListView::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    if (model_->rowCount() > 0 || model_->order().find.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect().adjusted(0, fontMetrics().height(), 0, 0),
                     Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("No birthday matches"));
}

void ListView::addColumn(const QString& caption, int widthTwips) {
    model_->addHeader(caption, widthTwips > 1);
    if (widthTwips > 1)
        setColumnWidth(model_->columnCount() - 1, twips(widthTwips));
}

void ListView::addOptionalColumn(const QString& caption, int widthTwips) {
    model_->addHeader(caption, false);
    optionalWidths_[model_->headerCount() - 1] = widthTwips;
}

void ListView::showColumn(int column, bool shown) {
    if (!model_->showColumn(column, shown))
        return;
    if (shown)
        setColumnWidth(section(column), twips(optionalWidths_[column]));
    // The current row's selection is widened to the new column, or narrowed, as the row's own.
    if (currentIndex().isValid())
        selectionModel()->select(currentIndex(),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // The sort mark stands on the column the order follows, wherever that now is.
    const ListOrder& order = model_->order();
    header()->setSortIndicator(section(order.column),
                               order.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

QString ListView::caption(int column) const {
    return model_->caption(column);
}

int ListView::section(int column) const {
    return model_->section(column);
}

void ListView::clearItems() {
    const int current = selectedRow();
    currentIdBeforeRefill_.reset();
    if (current >= 0)
        currentIdBeforeRefill_ = rows().rows->id(size_t(current));
    scrolledBeforeRefill_ = verticalScrollBar()->value();
    model_->beginRefill();
}

void ListView::finishRefill(ListedRows rows) {
    model_->endRefill(std::move(rows));
    // Keep the row the user had, by its id; else the first row shown, so a list with rows has a
    // current row.
    int row = -1;
    const BirthdayList& list = *model_->rows().rows;
    for (size_t r = 0; currentIdBeforeRefill_ && r < list.size(); ++r) {
        if (list.id(r) == *currentIdBeforeRefill_ && model_->shownRowOf(int(r)) >= 0) {
            row = int(r);
            break;
        }
    }
    // A refill (an import, a new day) leaves the list scrolled where the user had it. The rows are laid
    // out once, first: the current row and the scroll bar's range both need the layout.
    doItemsLayout();
    selectRow(row >= 0 ? row : model_->rowShownAt(0));
    verticalScrollBar()->setValue(scrolledBeforeRefill_);
}

void ListView::keepingCurrentRow(const std::function<void()>& change) {
    const int current = selectedRow();
    change();
    selectRow(current >= 0 && model_->shownRowOf(current) >= 0 ? current : model_->rowShownAt(0));
}

void ListView::setFindText(const QString& text) {
    ListOrder order = model_->order();
    order.find = text;
    keepingCurrentRow([&] { model_->setOrder(order); });
}

void ListView::sortBy(int column, bool descending) {
    ListOrder order = model_->order();
    order.column = column;
    order.descending = descending;
    header()->setSortIndicator(section(column), descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    keepingCurrentRow([&] { model_->setOrder(order); });
}

void ListView::headerClicked(int section) {
    const int column = model_->columnOf(section);
    const ListOrder& order = model_->order();
    // A second click on the same header reverses the order; another header starts ascending.
    const bool descending = column == order.column && !order.descending;
    sortBy(column, descending);
    emit orderChanged(column, descending);
}

const ListOrder& ListView::order() const {
    return model_->order();
}

int ListView::shownCount() const {
    return model_->rowCount();
}

const ListedRows& ListView::rows() const {
    return model_->rows();
}

int ListView::count() const {
    return model_->addedCount();
}

int ListView::selectedRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? model_->rowShownAt(current.row()) : -1;
}

QString ListView::itemText(int row) const {
    return model_->cell(row, 0);
}
QString ListView::subItem(int row, int n) const {
    return model_->cell(row, n);
}

void ListView::selectRow(int row) {
    const int shownRow = row >= 0 ? model_->shownRowOf(row) : -1;
    if (shownRow < 0) {
        setCurrentIndex({});
        return;
    }
    const QModelIndex index = model_->index(shownRow, 0);
    setCurrentIndex(index);
    scrollTo(index);
}

} // namespace cw
