#pragma once

#include "station/PropertiesValues.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <string>
#include <vector>

class QComboBox;

namespace corvane {

class BroadcastPage;
class ConsoleCore;
class LoudnessPropertiesPage;
class FileDialogs;

// A fade edit: typed digits only; every other typed character, control
// characters included, is discarded.
class FadeEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit FadeEdit(QWidget* parent) : QLineEdit(parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The Properties dialog ("Properties", page "&General"): shows the settings in
// memory, and on "&Ok" hands the values to the console, which applies and
// saves them; "&Cancel" discards them. Modal, created for each use.
class TfrmQelProperties final : public QDialog {
    Q_OBJECT
public:
    // `previewOutputs` lists the outputs previews may go to; with more than
    // one, the dialog offers the choice ("" stands for the system's default).
    TfrmQelProperties(ConsoleCore& core, FileDialogs& fileDialogs, QWidget* parent,
                      std::vector<std::string> previewOutputs = {});

    PropertiesValues Values() const;
    void Show(const PropertiesValues& values);
    // "&Ok": apply, save, close.
    void Confirm();
    // "&Browse": a rack or play-list file into the rack edit.
    void BrowseRack();

private:
    ConsoleCore& core_;
    FileDialogs& fileDialogs_;
    QLineEdit* edtAudioRack = nullptr;
    FadeEdit* edtFadeOut = nullptr;
    FadeEdit* edtFadeIn = nullptr;
    FadeEdit* edtFadeCommercial = nullptr;
    QCheckBox* chkAutoCrossFade = nullptr;
    QCheckBox* chkStatistics = nullptr;
    QCheckBox* chkInternalPreviewer = nullptr;
    QCheckBox* chkAutoLoad = nullptr;
    QCheckBox* chkAutoStart = nullptr;
    QCheckBox* chkLoop = nullptr;
    QCheckBox* chkResume = nullptr;
    QCheckBox* chkAutoCommercials = nullptr;
    QCheckBox* chkDisplayClock = nullptr;
    QComboBox* cbPreviewDevice = nullptr; // only with more than one output
    LoudnessPropertiesPage* loudnessPage_ = nullptr;
    // Now & next and the stream ("[Corvane_NowPlaying]", "[Corvane_Stream]").
    BroadcastPage* broadcast_ = nullptr;
};

} // namespace corvane
