#pragma once

#include "data/TableObserver.h"
#include "library/InspectorRows.h"

#include <QScrollArea>
#include <functional>
#include <vector>

class QFormLayout;
class QWidget;

namespace corvane {

class Table;

// A property inspector on a table's current row: one captioned editor per
// inspector row (a line, a check box, a drop-down or a memo), refreshed as
// the row moves or changes. An edit is stored when the editor is left
// (WriteInspectorText: a browsing row is posted at once, a row being edited
// or inserted waits for its Save). Main thread.
class PropertyInspector final : public QScrollArea, private TableObserver {
    Q_OBJECT
public:
    PropertyInspector(Table& table, const char* name, QWidget* parent);
    ~PropertyInspector() override;

    // Clears the inspector and adds these rows.
    void SetRows(std::vector<InspectorRow> rows);
    const std::vector<InspectorRow>& Rows() const { return rows_; }
    // A button beside the row's editor (the previewer's on LocalPathToFile).
    void AddRowButton(const std::string& field, const QString& caption, std::function<void()> clicked);
    // The editor of a row; nullptr when there is none.
    QWidget* Editor(const std::string& field) const;
    // Stores a text as the operator's edit of the row would.
    void Edit(const std::string& field, const QString& text);
    // Shows the current row's values again.
    void Refresh();

private:
    void TableDataChanged(Table&) override { Refresh(); }
    void TableScrolled(Table&) override { Refresh(); }
    void TableStateChanged(Table&) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Store(size_t row, const QString& text);

    Table& table_;
    std::vector<InspectorRow> rows_;
    std::vector<QWidget*> editors_;
    QWidget* body_ = nullptr;
    QFormLayout* form_ = nullptr;
    bool refreshing_ = false;
    bool storing_ = false;
};

} // namespace corvane
