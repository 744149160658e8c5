#pragma once

#include <QFrame>
#include <QPoint>

class QHBoxLayout;
class QLabel;
class QMimeData;
class QMouseEvent;
class QTableView;

namespace corvane {

class GroupedGridModel;

// A grid's group-by panel, above the grid: a column header dragged onto it
// (or "Group By This Column" on the header's menu) groups the grid's rows
// by that column, nested under the columns already there. Each grouping
// column shows as a button on the panel; clicking it ends that grouping.
// The panel's menu expands or collapses every group or ends the grouping.
// On the grid, a click on a group row's arrow or a double-click on the row
// opens or closes it, and so do "+" or Right and "-" or Left on the current
// group row.
class GroupByPanel final : public QFrame {
    Q_OBJECT
public:
    static constexpr const char* ColumnMimeType = "application/x-vantorcorvane-grid-column";
    static constexpr const char* Hint = "Drag a column header here to group by that column";

    GroupByPanel(QTableView& grid, GroupedGridModel& model, QWidget* parent);

    // What a header dragged from `grid` carries: the grid and the column.
    static QByteArray ColumnDragData(const QTableView& grid, int column);
    bool HintShown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int DraggedColumn(const QMimeData* mime) const;
    // The column whose header section a press at `x` grabs; -1 for none.
    int HeaderSectionGrabbed(int x) const;
    void StartHeaderDrag(int column);
    void ShowGrouping();
    void ShowHeaderMenu(const QPoint& at);
    void ShowPanelMenu(const QPoint& at);
    bool GridKey(const QKeyEvent& key);
    bool ArrowClicked(const QMouseEvent& mouse);

    QTableView& grid_;
    GroupedGridModel& model_;
    QHBoxLayout* layout_ = nullptr;
    QLabel* hint_ = nullptr;
    QObject* headerViewport_ = nullptr;
    QObject* gridViewport_ = nullptr;
    QPoint pressedAt_;
    int pressedColumn_ = -1;
};

} // namespace corvane
