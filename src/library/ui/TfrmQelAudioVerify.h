#pragma once

#include "library/AudioVerification.h"

#include <QDialog>
#include <memory>

class QAction;
class QPlainTextEdit;

namespace corvane {

class Dispatcher;
class Table;

// "Audio File Verification Report": the report's lines in a text area, and a
// File menu with "&Check Files", "Ca&ncel Check" and "&Close". The check runs
// off the main thread; closing the window cancels it.
class TfrmQelAudioVerify final : public QDialog {
    Q_OBJECT
public:
    TfrmQelAudioVerify(Table& library, Dispatcher& dispatcher, QWidget* parent = nullptr);
    ~TfrmQelAudioVerify() override;

    QString ReportText() const;
    QAction* Command(const QString& objectName) const;
    AudioVerification& Report() { return *report_; }

private:
    Table& library_;
    std::unique_ptr<AudioVerification> report_;
    QPlainTextEdit* memo_ = nullptr;
};

} // namespace corvane
