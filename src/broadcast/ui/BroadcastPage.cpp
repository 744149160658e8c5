#include "broadcast/ui/BroadcastPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace corvane {
namespace {

template <typename W> W* Named(W* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string S(const QLineEdit* edit) {
    return edit->text().toStdString();
}

} // namespace

BroadcastPage::BroadcastPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsBroadcast");
    auto* page = new QVBoxLayout(this);

    auto* nowPlaying = new QGroupBox("Now && next", this);
    auto* nowForm = new QFormLayout(nowPlaying);
    edtFile = Named(new QLineEdit(nowPlaying), "edtNowPlayingFile");
    edtTemplate = Named(new QLineEdit(nowPlaying), "edtNowPlayingTemplate");
    edtTemplate->setToolTip(
        "%title% %artist% %album% %duration% %category% %nexttitle% %nextartist% %start%; "
        "{...} is left out when a tag in it is missing; \\n breaks the line");
    edtUdpTarget = Named(new QLineEdit(nowPlaying), "edtUdpTarget");
    edtUdpTarget->setPlaceholderText("host:port");
    edtAnnounceCategories = Named(new QLineEdit(nowPlaying), "edtAnnounceCategories");
    edtAnnounceCategories->setPlaceholderText("every category");
    edtSilentCategories = Named(new QLineEdit(nowPlaying), "edtSilentCategories");
    edtStationText = Named(new QLineEdit(nowPlaying), "edtStationText");
    nowForm->addRow("&File:", edtFile);
    nowForm->addRow("&Template:", edtTemplate);
    nowForm->addRow("&UDP target:", edtUdpTarget);
    nowForm->addRow("&Announced categories:", edtAnnounceCategories);
    nowForm->addRow("&Never announced:", edtSilentCategories);
    nowForm->addRow("Station te&xt:", edtStationText);
    page->addWidget(nowPlaying);

    auto* stream = new QGroupBox("Stream to an Icecast server", this);
    auto* streamForm = new QFormLayout(stream);
    chkStreamEnabled = Named(new QCheckBox("&Stream the air", stream), "chkStreamEnabled");
    edtHost = Named(new QLineEdit(stream), "edtStreamHost");
    spnPort = Named(new QSpinBox(stream), "spnStreamPort");
    spnPort->setRange(1, 65535);
    edtMount = Named(new QLineEdit(stream), "edtStreamMount");
    edtUser = Named(new QLineEdit(stream), "edtStreamUser");
    edtPassword = Named(new QLineEdit(stream), "edtStreamPassword");
    edtPassword->setEchoMode(QLineEdit::Password);
    cbFormat = Named(new QComboBox(stream), "cbStreamFormat");
    cbFormat->addItems({"mp3", "opus", "vorbis"});
    spnBitrate = Named(new QSpinBox(stream), "spnStreamBitrate");
    spnBitrate->setRange(16, 320);
    spnBitrate->setSuffix(" kbit/s");
    streamForm->addRow(chkStreamEnabled);
    streamForm->addRow("&Host:", edtHost);
    streamForm->addRow("&Port:", spnPort);
    streamForm->addRow("&Mount:", edtMount);
    streamForm->addRow("Us&er:", edtUser);
    streamForm->addRow("Pass&word:", edtPassword);
    streamForm->addRow("F&ormat:", cbFormat);
    streamForm->addRow("&Bit rate:", spnBitrate);
    page->addWidget(stream);
    page->addStretch(1);
}

void BroadcastPage::Show(const NowPlayingSettings& nowPlaying, const StreamSettings& stream) {
    edtFile->setText(Q(nowPlaying.File));
    edtTemplate->setText(Q(nowPlaying.Template));
    edtUdpTarget->setText(Q(nowPlaying.UdpTarget));
    edtAnnounceCategories->setText(Q(nowPlaying.AnnounceCategories));
    edtSilentCategories->setText(Q(nowPlaying.SilentCategories));
    edtStationText->setText(Q(nowPlaying.StationText));
    chkStreamEnabled->setChecked(stream.Enabled);
    edtHost->setText(Q(stream.Host));
    spnPort->setValue(stream.Port);
    edtMount->setText(Q(stream.Mount));
    edtUser->setText(Q(stream.User));
    edtPassword->setText(Q(stream.Password));
    // A format the file names that the console does not know stays shown, so
    // that saving does not change it behind the operator's back.
    if (cbFormat->findText(Q(stream.Format), Qt::MatchFixedString) < 0)
        cbFormat->addItem(Q(stream.Format));
    cbFormat->setCurrentIndex(cbFormat->findText(Q(stream.Format), Qt::MatchFixedString));
    spnBitrate->setValue(stream.Bitrate);
}

NowPlayingSettings BroadcastPage::NowPlaying() const {
    return {
        S(edtFile),       S(edtTemplate), S(edtUdpTarget), S(edtAnnounceCategories), S(edtSilentCategories),
        S(edtStationText)};
}

StreamSettings BroadcastPage::Stream() const {
    return {chkStreamEnabled->isChecked(),
            S(edtHost),
            spnPort->value(),
            S(edtMount),
            S(edtUser),
            S(edtPassword),
            cbFormat->currentText().toStdString(),
            spnBitrate->value()};
}

} // namespace corvane
