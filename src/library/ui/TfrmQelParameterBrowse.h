#pragma once

#include <QDialog>
#include <functional>

class QMenu;
class QTableView;
class QToolBar;

namespace corvane {

class PropertyInspector;
class Table;
class TableGridModel;

// "Browse Parameters": edits whatever table it is given, a grid of all its
// rows beside a property inspector on the current row, with the navigator of
// the tool bar "Parameter Maintenance" (First … Refresh; Delete does not
// ask) and "&Close". Modal; the table's own rules apply to every change.
class TfrmQelParameterBrowse final : public QDialog {
    Q_OBJECT
public:
    TfrmQelParameterBrowse(Table& table, QWidget* parent = nullptr);
    ~TfrmQelParameterBrowse() override;

    PropertyInspector& Inspector() { return *inspector_; }
    QTableView& Grid() { return *grid_; }
    // The navigator's and the menus' commands by caption ("Sa&ve", "&Add New Item", …).
    QAction* Command(const QString& objectName) const;

    // Creates the window on `table` (opening the table if it is closed),
    // builds its inspector rows, shows it modally and destroys it.
    static void Browse(Table& table, QWidget* parent);

protected:
    // However the window closes, a row left in editing is posted.
    void done(int result) override;

private:
    QAction* AddCommand(QToolBar* bar, const char* name, const QString& caption, std::function<void()> work);

    Table& table_;
    TableGridModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    PropertyInspector* inspector_ = nullptr;
};

} // namespace corvane
