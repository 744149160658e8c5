#include "console/ui/ColumnChooser.h"

#include <QAbstractItemModel>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

ColumnChooser::ColumnChooser(QHeaderView& header, QWidget* parent) : QDialog(parent), header_(header) {
    setObjectName("frmColumnChooser");
    setWindowTitle("Customise Columns");
    auto* layout = new QVBoxLayout(this);
    lstColumns = new QListWidget(this);
    lstColumns->setObjectName("lstColumns");
    const QAbstractItemModel* model = header_.model();
    for (int visual = 0; visual < header_.count(); ++visual) {
        const int column = header_.logicalIndex(visual);
        auto* item = new QListWidgetItem(model->headerData(column, Qt::Horizontal).toString(), lstColumns);
        item->setData(Qt::UserRole, column);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(header_.isSectionHidden(column) ? Qt::Unchecked : Qt::Checked);
    }
    connect(lstColumns, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        header_.setSectionHidden(item->data(Qt::UserRole).toInt(), item->checkState() != Qt::Checked);
    });
    layout->addWidget(lstColumns, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(240, 360);
}

} // namespace corvane
