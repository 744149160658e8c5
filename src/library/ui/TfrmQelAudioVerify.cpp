#include "library/ui/TfrmQelAudioVerify.h"

#include "platform/ExceptionGuard.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace corvane {

TfrmQelAudioVerify::TfrmQelAudioVerify(Table& library, Dispatcher& dispatcher, QWidget* parent)
    : QDialog(parent), library_(library) {
    setObjectName("frmQelAudioVerify");
    setWindowTitle(AudioVerification::Caption);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("mmReport");
    memo_->setReadOnly(true);
    layout->addWidget(memo_);
    QMenu* file = bar->addMenu("&File");
    QAction* check = file->addAction("&Check Files");
    check->setObjectName("actCheckFiles");
    QAction* cancel = file->addAction("Ca&ncel Check");
    cancel->setObjectName("actCancelCheck");
    cancel->setEnabled(false);
    file->addSeparator();
    QAction* close = file->addAction("&Close");
    close->setObjectName("actClose");

    AudioVerification::View view;
    view.AddLine = [this](const std::string& line) { memo_->appendPlainText(QString::fromStdString(line)); };
    view.SetCaption = [this](const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); };
    view.Finished = [check, cancel] {
        check->setEnabled(true);
        cancel->setEnabled(false);
    };
    report_ = std::make_unique<AudioVerification>(dispatcher, std::move(view));
    connect(check, &QAction::triggered, this, [this, check, cancel] {
        Guarded("actCheckFiles", [&] {
            check->setEnabled(false);
            cancel->setEnabled(true);
            report_->RunVerificationReport(library_);
        });
    });
    connect(cancel, &QAction::triggered, this, [this] { report_->Cancel(); });
    connect(close, &QAction::triggered, this, &QDialog::reject);
    resize(600, 400);
}

TfrmQelAudioVerify::~TfrmQelAudioVerify() = default;

QString TfrmQelAudioVerify::ReportText() const {
    return memo_->toPlainText();
}

QAction* TfrmQelAudioVerify::Command(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

} // namespace corvane
