#include "commercials/ui/TfrmQelCommercials.h"

#include "data/DataErrors.h"
#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <map>

namespace corvane {
namespace {

constexpr int BookmarkRole = Qt::UserRole + 1;
enum Column { ImageColumn, TimeColumn, DetailsColumn, FileColumn, DurationColumn };
const char* const ColumnFields[] = {"ImageIndex", "BOOK_TIME", "Campaign_Details", "NetworkPathToFile",
                                    "DURATION"};

// The grid's editors: a time editor for the break time, a line with an
// ellipsis button that picks an audio file for "Filename".
class CellDelegate final : public QStyledItemDelegate {
public:
    CellDelegate(std::function<std::optional<std::string>()> chooseFile, QObject* parent)
        : QStyledItemDelegate(parent), chooseFile_(std::move(chooseFile)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (index.column() == TimeColumn) {
            auto* edit = new QLineEdit(parent);
            edit->setInputMask("99:99");
            return edit;
        }
        if (index.column() != FileColumn)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = new QWidget(parent);
        box->setAutoFillBackground(true);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        auto* edit = new QLineEdit(box);
        edit->setObjectName("edtFileName");
        auto* ellipsis = new QToolButton(box);
        ellipsis->setObjectName("btnFileName");
        ellipsis->setText("...");
        row->addWidget(edit, 1);
        row->addWidget(ellipsis);
        box->setFocusProxy(edit);
        const auto choose = chooseFile_;
        QObject::connect(ellipsis, &QToolButton::clicked, box, [choose, edit] {
            Guarded("btnFileName", [&] {
                if (const std::optional<std::string> path = choose())
                    edit->setText(QString::fromStdString(*path));
            });
        });
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* edit =
                index.column() == FileColumn ? editor->findChild<QLineEdit*>("edtFileName") : nullptr)
            edit->setText(index.data().toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        if (auto* edit =
                index.column() == FileColumn ? editor->findChild<QLineEdit*>("edtFileName") : nullptr)
            model->setData(index, edit->text());
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    std::function<std::optional<std::string>()> chooseFile_;
};

} // namespace

TfrmQelCommercials::TfrmQelCommercials(Seams seams, TdmQelData& data, std::filesystem::path listFolder,
                                       std::filesystem::path programFolder, Previewer preview,
                                       QWidget* parent)
    : QMainWindow(parent, Qt::Tool), seams_(seams), data_(data), programFolder_(std::move(programFolder)),
      preview_(std::move(preview)) {
    // The commercials editor opens in the middle of the screen.
    PlaceWhenFirstShown(*this, Placement::ScreenCentre);
    setObjectName("frmQelCommercials");
    setWindowTitle("Setup Commercials");
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    resize(640, 420);

    CommercialListEditorView view;
    view.SetCaption = [this](const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); };
    view.SetBusy = [this](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
        dxgCommercials->setUpdatesEnabled(!busy);
    };
    view.ProcessPendingMessages = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    rules_ = std::make_unique<CommercialListEditor>(data_, seams_.clock, seams_.prompter, seams_.fileDialogs,
                                                    std::move(listFolder), std::move(view));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Date:", central));
    dtpDate = new QDateEdit(central);
    dtpDate->setObjectName("dtpDate");
    dtpDate->setCalendarPopup(true);
    dtpDate->setDisplayFormat(QLocale::system().dateFormat(QLocale::LongFormat));
    top->addWidget(dtpDate);
    cbxFileName = new QComboBox(central);
    cbxFileName->setObjectName("cbxFileName");
    cbxFileName->setEditable(true);
    cbxFileName->hide();
    top->addWidget(cbxFileName);
    top->addStretch(1);
    chkGroupByBreak = new QCheckBox("Group by Break Time", central);
    chkGroupByBreak->setObjectName("chkGroupByBreak");
    chkGroupByBreak->setChecked(true);
    top->addWidget(chkGroupByBreak);
    layout->addLayout(top);

    dxgCommercials = new QTreeWidget(central);
    dxgCommercials->setObjectName("dxgCommercials");
    dxgCommercials->setColumnCount(5);
    dxgCommercials->setHeaderLabels({"", "Break Time", "Details", "Filename", "Duration"});
    dxgCommercials->setColumnWidth(ImageColumn, 70);
    dxgCommercials->setColumnWidth(TimeColumn, 70);
    dxgCommercials->setColumnWidth(DetailsColumn, 170);
    dxgCommercials->setColumnWidth(FileColumn, 230);
    dxgCommercials->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                    QAbstractItemView::AnyKeyPressed);
    dxgCommercials->setItemDelegate(new CellDelegate([this] { return rules_->ChooseAudioFile(); }, this));
    dxgCommercials->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(dxgCommercials, 1);
    lblTotal = new QLabel(central);
    lblTotal->setObjectName("lblTotal");
    lblTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblTotal->setFrameShape(QFrame::Panel);
    lblTotal->setFrameShadow(QFrame::Sunken);
    layout->addWidget(lblTotal);
    setCentralWidget(central);
    BuildMenus();

    connect(dxgCommercials, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        Run("dxgCommercials", [&] { CellChanged(item, column); });
    });
    connect(dxgCommercials, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmGrid->popup(dxgCommercials->viewport()->mapToGlobal(at)); });
    connect(chkGroupByBreak, &QCheckBox::toggled, this, [this] { Rebuild(); });
    connect(dtpDate, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        Run("dtpDate", [&] {
            rules_->SetDate(EncodeDateTime({date.year(), date.month(), date.day()}));
            cbxFileName->setEditText(QString::fromStdString(rules_->DefaultFileName()));
        });
    });
    data_.cdsAdList.AddObserver(*this);
}

TfrmQelCommercials::~TfrmQelCommercials() {
    // A cell still being edited is committed as the grid goes, after this
    // window's own part is gone: its signals must not reach it any more.
    for (QObject* control : std::initializer_list<QObject*>{dxgCommercials, dtpDate, chkGroupByBreak})
        control->disconnect(this);
    data_.cdsAdList.RemoveObserver(*this);
}

template <typename Work> void TfrmQelCommercials::Run(const char* sender, Work&& work) {
    Guarded(sender, std::forward<Work>(work));
}

void TfrmQelCommercials::BuildMenus() {
    const auto action = [this](QMenu* menu, const char* name, const QString& caption, const char* key,
                               auto handler) {
        auto* a = menu->addAction(caption);
        a->setObjectName(name);
        if (*key)
            a->setShortcut(QKeySequence(QString::fromLatin1(key)));
        connect(a, &QAction::triggered, this, [this, name, handler] { Run(name, handler); });
        return a;
    };
    QMenu* file = menuBar()->addMenu("&File");
    action(file, "actNew", "&New", "Ctrl+N", [this] { rules_->actNew(); });
    action(file, "actOpen", "&Open", "Ctrl+O", [this] { rules_->actOpen(); });
    action(file, "actSave", "&Save", "Ctrl+S", [this] {
        rules_->actSave();
        RefreshHistory();
    });
    QMenu* import = file->addMenu("&Import Commercial List");
    action(import, "actImportIni", "Ini File", "",
           [this] { rules_->ImportCommercialIniFile(programFolder_); });
    QAction* csv = import->addAction("Comma Delimited File (*.csv)");
    csv->setObjectName("actImportCsv");
    csv->setEnabled(false);
    file->addSeparator();
    action(file, "actClose", "&Close", "Ctrl+X", [this] { close(); });

    pmGrid = new QMenu(this);
    pmGrid->setObjectName("pmGrid");
    action(pmGrid, "actNewItem", "&New Item", "Ins", [this] { actNewItem(); });
    action(pmGrid, "actDeleteItem", "&Delete Item", "Ctrl+Del", [this] { actDeleteItem(); });
    QAction* play = action(pmGrid, "actPlaySelected", "&Play Selected File(s)", "Alt+Space",
                           [this] { actPlaySelected(); });
    play->setEnabled(static_cast<bool>(preview_));
    // The popup's shortcuts work wherever the editor has the focus.
    addActions(pmGrid->actions());
}

void TfrmQelCommercials::ShowWith(const std::string& listFile) {
    dtpDate->setDate(QDate::currentDate());
    rules_->Show(listFile);
    const CivilDateTime today = DecodeDateTime(seams_.clock.Now());
    {
        const QSignalBlocker quiet(dtpDate);
        dtpDate->setDate(QDate(today.year, today.month, today.day));
    }
    RefreshHistory();
    Rebuild();
    show();
    raise();
    activateWindow();
}

void TfrmQelCommercials::CloseWithoutQuestion() {
    Run("FormClose", [&] { rules_->CloseKeepingUnsaved(); });
    // Kept or not (a full disk is logged), nothing is asked any more.
    rules_->ListModified = false;
    close();
}

void TfrmQelCommercials::RefreshHistory() {
    cbxFileName->clear();
    for (const std::string& path : rules_->History())
        cbxFileName->addItem(QString::fromStdString(path));
    cbxFileName->setEditText(QString::fromStdString(rules_->DefaultFileName()));
}

void TfrmQelCommercials::TableDataChanged(Table&) {
    // Later, not inside the table's notification: an edited cell's own item
    // may be the one that raised it.
    QMetaObject::invokeMethod(
        this, [this] { Rebuild(); }, Qt::QueuedConnection);
}

void TfrmQelCommercials::Rebuild() {
    rebuilding_ = true;
    // The operator's row stays current through the rebuild.
    const QTreeWidgetItem* current = CurrentRowItem();
    const Bookmark keep = current ? current->data(0, BookmarkRole).toULongLong() : 0;
    dxgCommercials->clear();
    int64_t total = 0;
    Table& list = data_.cdsAdList;
    if (list.Active()) {
        Run("dxgCommercials", [&] {
            Table rows("cdsAdListGrid");
            rows.CloneCursor(list);
            std::map<std::string, QTreeWidgetItem*> groups;
            for (rows.First(); !rows.Eof(); rows.Next()) {
                QStringList cells{""};
                for (int c = TimeColumn; c <= DurationColumn; ++c)
                    cells << QString::fromStdString(rows.FieldByName(ColumnFields[c]).AsString());
                total += rows.FieldByName("DURATION").AsInteger();
                auto* item = new QTreeWidgetItem(cells);
                item->setData(0, BookmarkRole, QVariant::fromValue<qulonglong>(rows.GetBookmark()));
                item->setFlags(item->flags() | Qt::ItemIsEditable);
                const std::string time = rows.FieldByName("BOOK_TIME").AsString();
                if (!chkGroupByBreak->isChecked()) {
                    dxgCommercials->addTopLevelItem(item);
                    continue;
                }
                QTreeWidgetItem*& group = groups[time];
                if (!group) {
                    group = new QTreeWidgetItem(QStringList{"Break Time: " + QString::fromStdString(time)});
                    group->setFirstColumnSpanned(true);
                }
                group->addChild(item);
            }
            for (const auto& [time, group] : groups)
                dxgCommercials->addTopLevelItem(group);
            dxgCommercials->expandAll();
        });
    }
    lblTotal->setText(QString("Total Duration: %1").arg(total));
    for (QTreeWidgetItemIterator it(dxgCommercials); keep != 0 && *it; ++it)
        if ((*it)->data(0, BookmarkRole).toULongLong() == keep)
            dxgCommercials->setCurrentItem(*it);
    rebuilding_ = false;
}

QStringList TfrmQelCommercials::RowTexts() const {
    QStringList rows;
    for (QTreeWidgetItemIterator it(dxgCommercials); *it; ++it)
        if ((*it)->data(0, BookmarkRole).toULongLong() != 0)
            rows << QString("%1|%2|%3|%4")
                        .arg((*it)->text(TimeColumn), (*it)->text(DetailsColumn), (*it)->text(FileColumn),
                             (*it)->text(DurationColumn));
    return rows;
}

void TfrmQelCommercials::SelectRow(int index) {
    int n = 0;
    for (QTreeWidgetItemIterator it(dxgCommercials); *it; ++it)
        if ((*it)->data(0, BookmarkRole).toULongLong() != 0 && n++ == index) {
            dxgCommercials->setCurrentItem(*it);
            return;
        }
}

QTreeWidgetItem* TfrmQelCommercials::CurrentRowItem() const {
    QTreeWidgetItem* item = dxgCommercials->currentItem();
    return item && item->data(0, BookmarkRole).toULongLong() != 0 ? item : nullptr;
}

void TfrmQelCommercials::CellChanged(QTreeWidgetItem* item, int column) {
    if (rebuilding_ || column < TimeColumn || column > DurationColumn)
        return;
    Table& list = data_.cdsAdList;
    const Bookmark row = item->data(0, BookmarkRole).toULongLong();
    if (row == 0 || !list.Active() || !list.GotoBookmark(row))
        return;
    const std::string text = item->text(column).toStdString();
    if (list.FieldByName(ColumnFields[column]).AsString() == text)
        return;
    list.Edit();
    list.FieldByName(ColumnFields[column]).SetAsString(text);
    try {
        list.Post();
    } catch (const EAbort&) {
        // The table's rule told the operator why; the grid shows the row as it was.
        list.Cancel();
        TableDataChanged(list);
        return;
    }
    rules_->CellEdited();
}

// A new row needs its file before the table takes it: the operator picks the
// file and types the break time into the new row.
void TfrmQelCommercials::actNewItem() {
    if (const std::optional<std::string> path = rules_->ChooseAudioFile())
        rules_->AddCommercialItem(CommercialListEditor::TimePlaceholder, *path);
}

void TfrmQelCommercials::actDeleteItem() {
    QTreeWidgetItem* item = CurrentRowItem();
    Table& list = data_.cdsAdList;
    if (!item || !list.Active() || !list.GotoBookmark(item->data(0, BookmarkRole).toULongLong()))
        return;
    if (seams_.prompter.Show("Delete record?", MessageType::Confirmation, MessageButtons::OkCancel) !=
        MessageAnswer::Ok)
        return;
    list.Delete();
    rules_->CellEdited();
}

void TfrmQelCommercials::actPlaySelected() {
    QTreeWidgetItem* item = CurrentRowItem();
    if (item && preview_)
        preview_(item->text(FileColumn).toStdString());
}

void TfrmQelCommercials::closeEvent(QCloseEvent* event) {
    bool close = true;
    Run("FormCloseQuery", [&] { close = rules_->CloseQuery(); });
    if (close)
        event->accept();
    else
        event->ignore();
}

void TfrmQelCommercials::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmQelCommercials::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    event->acceptProposedAction();
    Run("FormDropFiles", [&] { rules_->DropFiles(paths); });
}

} // namespace corvane
