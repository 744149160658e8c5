#pragma once

#include <QDialog>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QToolButton;
class QTreeWidget;

namespace corvane {

class FileDialogs;
class Table;

// The event editor ("Corvane Wizard -  Event Scheduling"): a small property
// inspector on the current row of EventLog, which the caller has put into
// edit or insert. Every change goes straight into the row; "&Apply" closes
// with Accepted and "&Cancel" with Rejected, leaving the post or cancel to
// the caller. Created for each use and shown modally. Below the inspector
// the chosen type's file and parameters are explained; the button beside
// "Filename" picks the file the type needs.
class TfrmQelEventWiz final : public QDialog {
    Q_OBJECT
public:
    TfrmQelEventWiz(Table& eventLog, FileDialogs& fileDialogs, QWidget* parent = nullptr);

    QDateTimeEdit& Date() { return *date_; }
    QLineEdit& Description() { return *description_; }
    QLineEdit& FileName() { return *fileName_; }
    QLineEdit& Params() { return *params_; }
    QComboBox& EventType() { return *type_; }
    QToolButton& BrowseFile() { return *browseFile_; }
    QLabel& TypeHelp() { return *typeHelp_; }

private:
    void WriteText(const char* field, const QString& text);
    // The help and the file button follow the type.
    void ShowType(const QString& name);
    void PickFile();

    Table& EventLog;
    FileDialogs& fileDialogs_;
    QTreeWidget* inspector_ = nullptr;
    QDateTimeEdit* date_ = nullptr;
    QLineEdit* description_ = nullptr;
    QLineEdit* fileName_ = nullptr;
    QLineEdit* params_ = nullptr;
    QComboBox* type_ = nullptr;
    QToolButton* browseFile_ = nullptr;
    QLabel* typeHelp_ = nullptr;
};

} // namespace corvane
