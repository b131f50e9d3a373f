#pragma once
// The report-style list: columns added in order, rows of text cells, hidden columns still readable,
// and a current row that the view keeps.
#include <QAbstractTableModel>
#include <QTreeView>

#include <array>
#include <vector>

namespace cw {

// The birthday list's columns, in order; "id" and "MonthNo" are hidden but readable.
enum BirthdayColumn : int { idColumn, personColumn, monthColumn, dayColumn, daysLeftColumn, monthNoColumn };

class ListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    static constexpr int cellCount = 6; // the item text and five sub-items

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void addHeader(const QString& caption);
    void beginRefill();
    void endRefill();
    int addRow(const QString& text);
    void setCell(int row, int column, const QString& text);
    const QString& cell(int row, int column) const;

private:
    QStringList headers_;
    std::vector<std::array<QString, cellCount>> rows_;
    bool refilling_ = false;
};

class ListView : public QTreeView {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    // ColumnHeaders.Add then Width: a width of 0 or 1 twips hides the column; its cells stay readable.
    void addColumn(const QString& caption, int widthTwips);
    // ListItems.Clear: starts a refill; the rows added until finishRefill() are shown at once then.
    void clearItems();
    void finishRefill();
    int addItem(const QString& text);
    void setSubItem(int row, int n, const QString& text);
    int count() const;
    // The current row, or -1 when there is none.
    int selectedRow() const;
    QString itemText(int row) const;
    QString subItem(int row, int n) const;
    void selectRow(int row);

signals:
    void itemDoubleClicked(int row);

private:
    ListModel* model_;
    QString currentIdBeforeRefill_;
};

} // namespace cw
