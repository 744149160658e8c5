#pragma once

#include <QDialog>

class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QTreeWidget;

namespace corvane {

class Table;

// The event editor ("Corvane Wizard -  Event Scheduling"): a small property
// inspector on the current row of EventLog, which the caller has put into
// edit or insert. Every change goes straight into the row; "&Apply" closes
// with Accepted and "&Cancel" with Rejected, leaving the post or cancel to
// the caller. Created for each use and shown modally.
class TfrmQelEventWiz final : public QDialog {
    Q_OBJECT
public:
    TfrmQelEventWiz(Table& eventLog, QWidget* parent = nullptr);

    QDateTimeEdit& Date() { return *date_; }
    QLineEdit& Description() { return *description_; }
    QLineEdit& FileName() { return *fileName_; }
    QLineEdit& Params() { return *params_; }
    QComboBox& EventType() { return *type_; }

private:
    void WriteText(const char* field, const QString& text);

    Table& EventLog;
    QTreeWidget* inspector_ = nullptr;
    QDateTimeEdit* date_ = nullptr;
    QLineEdit* description_ = nullptr;
    QLineEdit* fileName_ = nullptr;
    QLineEdit* params_ = nullptr;
    QComboBox* type_ = nullptr;
};

} // namespace corvane
