#pragma once

#include "settings/BroadcastSettings.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace corvane {

// The Properties page "Now Playing && Stream": the "[Corvane_NowPlaying]" and
// "[Corvane_Stream]" settings as edits. It only shows and collects values;
// the dialog stores them and the station follows. Main thread.
class BroadcastPage final : public QWidget {
    Q_OBJECT
public:
    explicit BroadcastPage(QWidget* parent);

    void Show(const NowPlayingSettings& nowPlaying, const StreamSettings& stream);
    NowPlayingSettings NowPlaying() const;
    StreamSettings Stream() const;

private:
    QLineEdit* edtFile = nullptr;
    QLineEdit* edtTemplate = nullptr;
    QLineEdit* edtUdpTarget = nullptr;
    QLineEdit* edtAnnounceCategories = nullptr;
    QLineEdit* edtSilentCategories = nullptr;
    QLineEdit* edtStationText = nullptr;
    QCheckBox* chkStreamEnabled = nullptr;
    QLineEdit* edtHost = nullptr;
    QSpinBox* spnPort = nullptr;
    QLineEdit* edtMount = nullptr;
    QLineEdit* edtUser = nullptr;
    QLineEdit* edtPassword = nullptr;
    QComboBox* cbFormat = nullptr;
    QSpinBox* spnBitrate = nullptr;
};

} // namespace corvane
