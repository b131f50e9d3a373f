#pragma once
// The report-style list: columns added in order, the rows of a refill with their cells made as the
// view asks for them, hidden columns still readable, and a current row that the view keeps. Rows are
// numbered in the list's order; the view shows those that the find text lets through, in the order
// of the chosen column.
#include "gui/services/listorder.h"

#include <QAbstractTableModel>
#include <QTreeView>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace cw {

class ListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;
    static constexpr int cellCount = 7; // the item text and six sub-items

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // A hidden column's cells stay readable here, but the view, and so screen readers, never get it.
    void addHeader(const QString& caption, bool shown);
    // Shows or hides a column added before, in its place among the shown ones; true when it changed.
    bool showColumn(int column, bool shown);
    void beginRefill();
    void endRefill(ListedRows rows);
    const ListedRows& rows() const { return rows_; }
    QString cell(int row, int column) const;
    QString caption(int column) const { return headers_.value(column); }
    int headerCount() const { return static_cast<int>(headers_.size()); }
    // The view's column of a cell column, -1 for a hidden one; and back.
    int section(int column) const;
    int columnOf(int section) const { return shownColumns_.at(size_t(section)); }
    int addedCount() const { return static_cast<int>(rows_.size()); }
    // Rows added and shown translate both ways; -1 for a row that is not shown.
    int rowShownAt(int shownRow) const;
    int shownRowOf(int row) const;
    const ListOrder& order() const { return order_; }
    void setOrder(const ListOrder& order);

  private:
    void reshow();
    QStringList headers_;
    std::vector<int> shownColumns_; // per column of the view, its cell column
    ListedRows rows_;
    ListFilter filter_;
    std::vector<int> shown_;
    std::vector<int> shownRowOf_; // per row, -1 when not shown
    ListOrder order_;
    bool refilling_ = false;
};

class ListView : public QTreeView {
    Q_OBJECT
  public:
    explicit ListView(QWidget* parent = nullptr);

    // ColumnHeaders.Add then Width: a width of 0 or 1 twips hides the column; its cells stay readable.
    // Columns are numbered as added (cell columns); the view numbers only those it shows (sections).
    void addColumn(const QString& caption, int widthTwips);
    // A column shown only while showColumn says so, then at the given width.
    void addOptionalColumn(const QString& caption, int widthTwips);
    void showColumn(int column, bool shown);
    QString caption(int column) const;
    int section(int column) const;
    // ListItems.Clear: starts a refill, which finishRefill ends by showing the new rows.
    void clearItems();
    void finishRefill(ListedRows rows = {});
    // The rows of the last refill, whatever the find and the order show: rows are numbered this way
    // everywhere (itemText, subItem, selectedRow).
    const ListedRows& rows() const;
    int count() const;
    // The current row, or -1 when there is none.
    int selectedRow() const;
    QString itemText(int row) const;
    QString subItem(int row, int n) const;
    void selectRow(int row);
    // The rows shown, in the order shown.
    int shownCount() const;
    void setFindText(const QString& text);
    // As a click on the column's header does; only the click tells orderChanged.
    void sortBy(int column, bool descending);
    const ListOrder& order() const;
    // A line more for the tooltip of a row, when it gives one.
    std::function<QString(int row)> rowTip;

  signals:
    void itemDoubleClicked(int row);
    void orderChanged(int column, bool descending);

  protected:
    // A cell whose text does not fit shows it whole in a tooltip, above its row's own line.
    bool viewportEvent(QEvent* event) override;
    // A find that lets no row through says so in the empty list.
    void paintEvent(QPaintEvent* event) override;

  private:
    void headerClicked(int section);
    void keepingCurrentRow(const std::function<void()>& change);
    ListModel* model_;
    std::map<int, int> optionalWidths_; // per optional column, its width in twips
    std::optional<qint64> currentIdBeforeRefill_;
    int scrolledBeforeRefill_ = 0;
};

} // namespace cw
