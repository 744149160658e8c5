#include "console/ui/TfrmQelProperties.h"

#include "broadcast/ui/BroadcastPage.h"
#include "console/ui/LoudnessPropertiesPage.h"
#include "platform/ExceptionGuard.h"
#include "platform/FileDialogs.h"
#include "station/ConsoleCore.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace corvane {
namespace {

constexpr const char* RackFilter =
    "Vantor Corvane Audio Rack [*.rck]|*.rck|Corvane Playlist [*.ply]|*.ply|All Files [*.*]|*.*";

QCheckBox* Check(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

void FadeEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    for (const QChar c : typed) {
        if (c.unicode() > 0x7F || !FadeEditAccepts(static_cast<char>(c.unicode()))) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

TfrmQelProperties::TfrmQelProperties(ConsoleCore& core, FileDialogs& fileDialogs, QWidget* parent,
                                     std::vector<std::string> previewOutputs)
    : QDialog(parent), core_(core), fileDialogs_(fileDialogs) {
    setObjectName("frmQelProperties");
    setWindowTitle("Properties");
    auto* layout = new QVBoxLayout(this);
    auto* pages = new QTabWidget(this);
    auto* general = new QWidget;
    general->setObjectName("tsGeneral");
    pages->addTab(general, "&General");
    broadcast_ = new BroadcastPage(pages);
    pages->addTab(broadcast_, "&Now Playing && Stream");
    layout->addWidget(pages);
    loudnessPage_ = new LoudnessPropertiesPage;
    pages->addTab(loudnessPage_, "L&oudness");

    auto* page = new QVBoxLayout(general);
    auto* rack = new QGroupBox("&Audio Rack:", general);
    auto* rackRow = new QHBoxLayout(rack);
    edtAudioRack = new QLineEdit(rack);
    edtAudioRack->setObjectName("edtAudioRack");
    QPushButton* browse = Button("btnBrowse", "&Browse", rack);
    QPushButton* clear = Button("btnClear", "&Clear", rack);
    rackRow->addWidget(edtAudioRack, 1);
    rackRow->addWidget(browse);
    rackRow->addWidget(clear);
    page->addWidget(rack);

    auto* fades = new QGroupBox("Global Default Fade Settings", general);
    auto* fadeGrid = new QGridLayout(fades);
    edtFadeOut = new FadeEdit(fades);
    edtFadeOut->setObjectName("edtFadeOut");
    edtFadeIn = new FadeEdit(fades);
    edtFadeIn->setObjectName("edtFadeIn");
    edtFadeCommercial = new FadeEdit(fades);
    edtFadeCommercial->setObjectName("edtFadeCommercial");
    fadeGrid->addWidget(new QLabel("Fade Out (MS)", fades), 0, 0);
    fadeGrid->addWidget(edtFadeOut, 0, 1);
    fadeGrid->addWidget(new QLabel("Fade In (MS)", fades), 1, 0);
    fadeGrid->addWidget(edtFadeIn, 1, 1);
    fadeGrid->addWidget(new QLabel("Commerical Fade Out ", fades), 2, 0);
    fadeGrid->addWidget(edtFadeCommercial, 2, 1);
    page->addWidget(fades);

    auto* checks = new QGridLayout;
    chkAutoCrossFade = Check("chkAutoCrossFade", "Auto Cross Fade", general);
    chkStatistics = Check("chkStatistics", "Track Audio Playout Statistics", general);
    chkInternalPreviewer = Check("chkInternalPreviewer", "Use Internal Audio File Previewer", general);
    chkAutoLoad = Check("chkAutoLoad", "Auto Load Play List - on startup", general);
    chkAutoStart = Check("chkAutoStart", "Auto Start Loaded PlayList", general);
    chkLoop = Check("chkLoop", "&Loop Schedule Continuously", general);
    chkResume = Check("chkResume", "Resume on Audio Error", general);
    chkAutoCommercials = Check("chkAutoCommercials", "Auto Select Commercials", general);
    chkDisplayClock = Check("chkDisplayClock", "Display Clock", general);
    QCheckBox* const order[] = {chkAutoCrossFade, chkStatistics,      chkInternalPreviewer,
                                chkAutoLoad,      chkAutoStart,       chkLoop,
                                chkResume,        chkAutoCommercials, chkDisplayClock};
    for (int i = 0; i < static_cast<int>(std::size(order)); ++i)
        checks->addWidget(order[i], i % 5, i / 5);
    page->addLayout(checks);
    // With more than one output the previews get one of their own, so that
    // they need not go to air.
    if (previewOutputs.size() > 1) {
        auto* preview = new QHBoxLayout;
        cbPreviewDevice = new QComboBox(general);
        cbPreviewDevice->setObjectName("cbPreviewDevice");
        cbPreviewDevice->addItem("(System Default Output)", QString());
        for (const std::string& name : previewOutputs)
            cbPreviewDevice->addItem(QString::fromStdString(name), QString::fromStdString(name));
        preview->addWidget(new QLabel("Audio File Previewer Output", general));
        preview->addWidget(cbPreviewDevice, 1);
        page->addLayout(preview);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton* ok = Button("btnOk", "&Ok", this);
    QPushButton* cancel = Button("btnCancel", "&Cancel", this);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(browse, &QPushButton::clicked, this, [this] { Guarded("btnBrowse", [&] { BrowseRack(); }); });
    connect(clear, &QPushButton::clicked, edtAudioRack, &QLineEdit::clear);
    connect(ok, &QPushButton::clicked, this, [this] { Guarded("btnOk", [&] { Confirm(); }); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    Show(core_.PropertiesShown());
    broadcast_->Show(core_.Settings().NowPlaying, core_.Settings().Stream);
}

void TfrmQelProperties::Show(const PropertiesValues& v) {
    edtAudioRack->setText(QString::fromStdString(v.audioRack));
    edtFadeOut->setText(QString::fromStdString(v.fadeOut));
    edtFadeIn->setText(QString::fromStdString(v.fadeIn));
    edtFadeCommercial->setText(QString::fromStdString(v.fadeOutCommercial));
    chkAutoCrossFade->setChecked(v.autoCrossFade);
    chkStatistics->setChecked(v.statisticsTracking);
    chkInternalPreviewer->setChecked(v.useInternalPreviewer);
    chkAutoLoad->setChecked(v.autoLoadLastSchedule);
    chkAutoStart->setChecked(v.autoStartSchedule);
    chkLoop->setChecked(v.loopScheduleContinuously);
    chkResume->setChecked(v.attemptResumeOnAudioError);
    chkAutoCommercials->setChecked(v.autoGetCommercials);
    chkDisplayClock->setChecked(v.displayClock);
    loudnessPage_->Show(v.loudness);
    if (cbPreviewDevice) {
        const int index = cbPreviewDevice->findData(QString::fromStdString(v.previewDevice));
        if (index >= 0) {
            cbPreviewDevice->setCurrentIndex(index);
        } else {
            // A device chosen earlier that is not present now stays chosen.
            cbPreviewDevice->addItem(QString::fromStdString(v.previewDevice),
                                     QString::fromStdString(v.previewDevice));
            cbPreviewDevice->setCurrentIndex(cbPreviewDevice->count() - 1);
        }
    }
}

PropertiesValues TfrmQelProperties::Values() const {
    PropertiesValues v;
    v.audioRack = edtAudioRack->text().toStdString();
    v.fadeOut = edtFadeOut->text().toStdString();
    v.fadeIn = edtFadeIn->text().toStdString();
    v.fadeOutCommercial = edtFadeCommercial->text().toStdString();
    v.autoCrossFade = chkAutoCrossFade->isChecked();
    v.statisticsTracking = chkStatistics->isChecked();
    v.useInternalPreviewer = chkInternalPreviewer->isChecked();
    v.autoLoadLastSchedule = chkAutoLoad->isChecked();
    v.autoStartSchedule = chkAutoStart->isChecked();
    v.loopScheduleContinuously = chkLoop->isChecked();
    v.attemptResumeOnAudioError = chkResume->isChecked();
    v.autoGetCommercials = chkAutoCommercials->isChecked();
    v.displayClock = chkDisplayClock->isChecked();
    v.loudness = loudnessPage_->Values();
    v.previewDevice = cbPreviewDevice ? cbPreviewDevice->currentData().toString().toStdString()
                                      : core_.Settings().PreviewDevice;
    return v;
}

void TfrmQelProperties::Confirm() {
    // The dialog closes even if saving fails; the failure reaches the exception log.
    const PropertiesValues values = Values();
    accept();
    // Saved with the rest by ApplyProperties.
    core_.MutableSettings().NowPlaying = broadcast_->NowPlaying();
    core_.MutableSettings().Stream = broadcast_->Stream();
    core_.ApplyProperties(values);
}

void TfrmQelProperties::BrowseRack() {
    FileDialogRequest request;
    request.filter = RackFilter;
    request.fileName = edtAudioRack->text().toStdString();
    if (const auto path = fileDialogs_.OpenFile(request))
        edtAudioRack->setText(QString::fromStdString(*path));
}

} // namespace corvane
