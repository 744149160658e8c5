#pragma once

#include <QDialog>

class QAbstractItemModel;
class QHeaderView;
class QListWidget;

namespace corvane {

// "&Customise Columns": every column of a grid in its shown order, ticked
// when shown. Ticking or unticking shows or hides the column at once; the
// grid keeps the choice as part of its column layout. Modeless.
class ColumnChooser final : public QDialog {
    Q_OBJECT
public:
    ColumnChooser(QHeaderView& header, QWidget* parent);

    QListWidget& Columns() { return *lstColumns; }

private:
    QHeaderView& header_;
    QListWidget* lstColumns = nullptr;
};

} // namespace corvane
