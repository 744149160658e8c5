#include "events/ui/TfrmQelEventWiz.h"

#include "data/Table.h"
#include "events/EventTypes.h"
#include "platform/DateTime.h"
#include "platform/ExceptionGuard.h"
#include "platform/FileDialogs.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

namespace corvane {
namespace {

QDateTime ToQDateTime(TDateTime t) {
    const CivilDateTime c = DecodeDateTime(t);
    return QDateTime(QDate(c.year, c.month, c.day), QTime(c.hour, c.minute, c.second, c.millisecond));
}

TDateTime FromQDateTime(const QDateTime& q) {
    const QDate d = q.date();
    const QTime t = q.time();
    return EncodeDateTime({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()});
}

QLineEdit* TextEditor(const char* name, int maxLength) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    edit->setFrame(false);
    return edit;
}

} // namespace

TfrmQelEventWiz::TfrmQelEventWiz(Table& eventLog, FileDialogs& fileDialogs, QWidget* parent)
    : QDialog(parent), EventLog(eventLog), fileDialogs_(fileDialogs) {
    setObjectName("frmQelEventWiz");
    setWindowTitle("Corvane Wizard -  Event Scheduling");
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel("Welcome to the Corvane Wizard!", this);
    heading->setObjectName("lblWelcome");
    QFont font = heading->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    heading->setFont(font);
    layout->addWidget(heading);

    inspector_ = new QTreeWidget(this);
    inspector_->setObjectName("inspEvent");
    inspector_->setColumnCount(2);
    inspector_->setHeaderHidden(true);
    inspector_->setRootIsDecorated(true);
    inspector_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    layout->addWidget(inspector_, 1);

    date_ = new QDateTimeEdit;
    date_->setObjectName("edtDate");
    date_->setDisplayFormat("yyyy-MM-dd HH:mm:ss");
    date_->setCalendarPopup(true);
    date_->setFrame(false);
    description_ = TextEditor("edtDescription", 80);
    fileName_ = TextEditor("edtFilename", 255);
    params_ = TextEditor("edtParams", 255);
    type_ = new QComboBox;
    type_->setObjectName("cbEventType");
    for (const auto& type : EventTypes())
        type_->addItem(QString::fromStdString(type.name));

    const auto category = [this](const QString& caption) {
        auto* item = new QTreeWidgetItem(inspector_, {caption});
        item->setFirstColumnSpanned(true);
        QFont bold = item->font(0);
        bold.setBold(true);
        item->setFont(0, bold);
        item->setExpanded(true);
        return item;
    };
    const auto row = [this](QTreeWidgetItem* parent, const QString& caption, QWidget* editor) {
        auto* item = new QTreeWidgetItem(parent, {caption});
        inspector_->setItemWidget(item, 1, editor);
    };
    QTreeWidgetItem* settings = category("Event Settings");
    row(settings, "Date", date_);
    row(settings, "Description", description_);
    row(settings, "Event Type", type_);
    QTreeWidgetItem* advanced = category("Advanced");
    auto* fileRow = new QWidget;
    auto* fileLayout = new QHBoxLayout(fileRow);
    fileLayout->setContentsMargins(0, 0, 0, 0);
    fileLayout->setSpacing(2);
    fileLayout->addWidget(fileName_, 1);
    browseFile_ = new QToolButton;
    browseFile_->setObjectName("btnBrowseFile");
    browseFile_->setText("...");
    browseFile_->setToolTip("Choose the file");
    fileLayout->addWidget(browseFile_);
    row(advanced, "Filename", fileRow);
    row(advanced, "Params", params_);
    inspector_->expandAll();

    typeHelp_ = new QLabel(this);
    typeHelp_->setObjectName("lblTypeHelp");
    typeHelp_->setWordWrap(true);
    typeHelp_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(typeHelp_);

    // The editors show the row as it is before they start writing to it.
    date_->setDateTime(ToQDateTime(EventLog.FieldByName("EventStart").AsDateTime()));
    description_->setText(QString::fromStdString(EventLog.FieldByName("EventDescription").AsString()));
    fileName_->setText(QString::fromStdString(EventLog.FieldByName("EventFileName").AsString()));
    params_->setText(QString::fromStdString(EventLog.FieldByName("EventParams").AsString()));
    type_->setCurrentIndex(
        type_->findText(QString::fromStdString(EventLog.FieldByName("EventType").AsString())));

    connect(date_, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& value) {
        Guarded("edtDate", [&] { EventLog.FieldByName("EventStart").SetAsDateTime(FromQDateTime(value)); });
    });
    connect(description_, &QLineEdit::textChanged, this,
            [this](const QString& text) { WriteText("EventDescription", text); });
    connect(fileName_, &QLineEdit::textChanged, this,
            [this](const QString& text) { WriteText("EventFileName", text); });
    connect(params_, &QLineEdit::textChanged, this,
            [this](const QString& text) { WriteText("EventParams", text); });
    connect(type_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        WriteText("EventType", text);
        ShowType(text);
    });
    connect(browseFile_, &QToolButton::clicked, this,
            [this] { Guarded("btnBrowseFile", [this] { PickFile(); }); });
    ShowType(type_->currentText());

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* apply = buttons->addButton("&Apply", QDialogButtonBox::AcceptRole);
    apply->setObjectName("btnApply");
    apply->setDefault(true);
    QPushButton* cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("btnCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(460, 360);
    setFixedSize(sizeHint().expandedTo(QSize(460, 360)));
}

void TfrmQelEventWiz::ShowType(const QString& name) {
    const struct EventType* type = FindEventType(name.toStdString());
    typeHelp_->setText(type ? QString::fromStdString(EventTypeHelp(*type)) : QString());
    browseFile_->setEnabled(type && type->file != EventFile::None);
}

void TfrmQelEventWiz::PickFile() {
    const struct EventType* type = FindEventType(type_->currentText().toStdString());
    if (!type || type->file == EventFile::None)
        return;
    FileDialogRequest request;
    request.title = type->name + ": " + type->fileHelp;
    request.filter = type->fileFilter;
    const std::filesystem::path current = fileName_->text().toStdString();
    if (!current.empty()) {
        request.initialFolder = current.parent_path().string();
        request.fileName = current.filename().string();
    }
    const auto chosen =
        type->file == EventFile::New ? fileDialogs_.SaveFile(request) : fileDialogs_.OpenFile(request);
    if (chosen)
        fileName_->setText(QString::fromStdString(*chosen));
}

void TfrmQelEventWiz::WriteText(const char* field, const QString& text) {
    Guarded("frmQelEventWiz", [&] { EventLog.FieldByName(field).SetAsString(text.toStdString()); });
}

} // namespace corvane
