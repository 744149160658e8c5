#include "ConsoleWindow.h"
#include "broadcast/ui/StreamIndicator.h"
#include "console/ui/TfrmQelProperties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::testing {
namespace {

// A loopback port nothing listens on.
int ClosedPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

// The Properties page keeps both sections (the file then readable by its
// owner only), and the status bar's light follows the stream the station
// starts from them: retrying while no server takes it, off when disabled.
TEST(StreamWindow, PropertiesPageSetsBothSectionsAndTheLightFollowsTheStream) {
    Window w;
    StreamIndicator* light = w.console->statusBar()->findChild<StreamIndicator*>("StreamIndicator");
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->text(), "Stream: Off");

    TfrmQelProperties dialog(w.console->Core(), w.studio.fileDialogs, w.console.get());
    dialog.findChild<QLineEdit*>("edtNowPlayingFile")->setText("/srv/www/now.txt");
    dialog.findChild<QLineEdit*>("edtUdpTarget")->setText("127.0.0.1:6000");
    dialog.findChild<QLineEdit*>("edtStationText")->setText("Radio Corvane");
    dialog.findChild<QCheckBox*>("chkStreamEnabled")->setChecked(true);
    dialog.findChild<QSpinBox*>("spnStreamPort")->setValue(ClosedPort());
    dialog.findChild<QLineEdit*>("edtStreamPassword")->setText("s3cret");
    dialog.findChild<QComboBox*>("cbStreamFormat")->setCurrentText("opus");
    dialog.findChild<QSpinBox*>("spnStreamBitrate")->setValue(96);
    dialog.findChild<QPushButton*>("btnOk")->click();

    const CorvaneSettings& s = w.console->Core().Settings();
    EXPECT_EQ(s.NowPlaying.File, "/srv/www/now.txt");
    EXPECT_EQ(s.NowPlaying.UdpTarget, "127.0.0.1:6000");
    EXPECT_EQ(s.NowPlaying.StationText, "Radio Corvane");
    EXPECT_TRUE(s.Stream.Enabled);
    EXPECT_EQ(s.Stream.Password, "s3cret");
    EXPECT_EQ(s.Stream.Format, "opus");
    EXPECT_EQ(s.Stream.Bitrate, 96);
    const std::string ini = ReadText(w.folder / "corvane.ini");
    EXPECT_NE(ini.find("[Corvane_Stream]"), std::string::npos);
    EXPECT_NE(ini.find("Password=s3cret"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat((w.folder / "corvane.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u) << "a file with a password is its owner's only";

    w.station->FollowStreamSettings({std::chrono::milliseconds(50), std::chrono::milliseconds(1000)});
    ASSERT_NE(w.station->Stream(), nullptr);
    ASSERT_TRUE(w.station->Stream()->WaitForState(StreamState::Retrying, std::chrono::seconds(30)));
    w.studio.studio.RunPending();
    EXPECT_EQ(light->text(), "Stream: Retrying");

    w.console->Core().MutableSettings().Stream.Enabled = false;
    w.station->FollowStreamSettings();
    EXPECT_EQ(w.station->Stream(), nullptr);
    EXPECT_EQ(light->text(), "Stream: Off");
}

} // namespace
} // namespace corvane::testing
