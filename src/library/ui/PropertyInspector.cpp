#include "library/ui/PropertyInspector.h"

#include "data/Table.h"
#include "platform/ExceptionGuard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace corvane {

PropertyInspector::PropertyInspector(Table& table, const char* name, QWidget* parent)
    : QScrollArea(parent), table_(table) {
    setObjectName(name);
    setWidgetResizable(true);
    body_ = new QWidget(this);
    form_ = new QFormLayout(body_);
    form_->setVerticalSpacing(2);
    setWidget(body_);
    table_.AddObserver(*this);
}

PropertyInspector::~PropertyInspector() {
    table_.RemoveObserver(*this);
}

void PropertyInspector::SetRows(std::vector<InspectorRow> rows) {
    while (form_->rowCount() > 0)
        form_->removeRow(0);
    editors_.clear();
    rows_ = std::move(rows);
    for (size_t i = 0; i < rows_.size(); ++i) {
        const InspectorRow& row = rows_[i];
        const bool readOnly = row.access == RowAccess::ReadOnly;
        QWidget* editor = nullptr;
        switch (row.kind) {
        case InspectorRowKind::CheckBox: {
            auto* box = new QCheckBox(body_);
            connect(box, &QCheckBox::toggled, this, [this, i](bool on) { Store(i, on ? "T" : "F"); });
            editor = box;
            break;
        }
        case InspectorRowKind::DropDown: {
            auto* combo = new QComboBox(body_);
            connect(combo, &QComboBox::activated, this,
                    [this, i, combo](int) { Store(i, combo->currentText()); });
            editor = combo;
            break;
        }
        case InspectorRowKind::Memo: {
            auto* memo = new QPlainTextEdit(body_);
            memo->setMaximumHeight(60);
            memo->setReadOnly(readOnly);
            memo->installEventFilter(this);
            editor = memo;
            break;
        }
        default: {
            auto* line = new QLineEdit(body_);
            line->setReadOnly(readOnly);
            connect(line, &QLineEdit::editingFinished, this, [this, i, line] {
                if (line->isModified())
                    Store(i, line->text());
                line->setModified(false);
            });
            editor = line;
            break;
        }
        }
        editor->setObjectName(QString::fromStdString("ins" + row.field));
        if (readOnly && (row.kind == InspectorRowKind::CheckBox || row.kind == InspectorRowKind::DropDown))
            editor->setEnabled(false);
        editors_.push_back(editor);
        form_->addRow(QString::fromStdString(row.caption), editor);
    }
    Refresh();
}

void PropertyInspector::AddRowButton(const std::string& field, const QString& caption,
                                     std::function<void()> clicked) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].field != field)
            continue;
        auto* holder = new QWidget(body_);
        auto* line = new QHBoxLayout(holder);
        line->setContentsMargins(0, 0, 0, 0);
        QWidget* editor = editors_[i];
        delete form_->replaceWidget(editor, holder); // the layout item that held the editor
        line->addWidget(editor, 1);
        auto* button = new QPushButton(caption, holder);
        button->setObjectName(QString::fromStdString("btn" + field));
        button->setMaximumWidth(28);
        connect(button, &QPushButton::clicked, this,
                [clicked = std::move(clicked), field] { Guarded(field.c_str(), [&] { clicked(); }); });
        line->addWidget(button);
        return;
    }
}

QWidget* PropertyInspector::Editor(const std::string& field) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].field == field)
            return editors_[i];
    return nullptr;
}

void PropertyInspector::Edit(const std::string& field, const QString& text) {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].field == field)
            Store(i, text);
}

void PropertyInspector::Store(size_t row, const QString& text) {
    if (refreshing_)
        return;
    storing_ = true;
    Guarded(objectName().toStdString().c_str(),
            [&] { WriteInspectorText(table_, rows_[row], text.toStdString()); });
    storing_ = false;
    Refresh();
}

void PropertyInspector::TableStateChanged(Table&) {
    if (!storing_)
        Refresh();
}

bool PropertyInspector::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        for (size_t i = 0; i < editors_.size(); ++i) {
            auto* memo = qobject_cast<QPlainTextEdit*>(editors_[i]);
            if (memo == watched && memo->document()->isModified()) {
                memo->document()->setModified(false);
                Store(i, memo->toPlainText());
            }
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

void PropertyInspector::Refresh() {
    refreshing_ = true;
    Guarded(objectName().toStdString().c_str(), [&] {
        for (size_t i = 0; i < rows_.size(); ++i) {
            const QString text = QString::fromStdString(InspectorText(table_, rows_[i]));
            QWidget* editor = editors_[i];
            if (auto* box = qobject_cast<QCheckBox*>(editor)) {
                box->setChecked(text == "T");
            } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
                combo->clear();
                for (const std::string& choice : DropDownChoices(table_, rows_[i]))
                    combo->addItem(QString::fromStdString(choice));
                combo->setCurrentText(text);
            } else if (auto* memo = qobject_cast<QPlainTextEdit*>(editor)) {
                if (memo->toPlainText() != text)
                    memo->setPlainText(text);
                memo->document()->setModified(false);
            } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
                line->setText(text);
                line->setModified(false);
            }
        }
    });
    refreshing_ = false;
}

} // namespace corvane
