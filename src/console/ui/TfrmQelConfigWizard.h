#pragma once

#include "station/ConfigWizard.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace corvane {

class Prompter;

// What the wizard's buttons open; an empty one is a window not part of this
// console, and its button is disabled.
struct WizardActions {
    std::function<void()> AutoScan;            // the library with an automatic scan
    std::function<void()> ViewAudioLibrary;    // the audio library window
    std::function<void()> GeneratePlayList;    // the playlist manager, generating
    std::function<void()> OpenPlayListManager; // the playlist manager
    std::function<void()>
        LoudnessSettings; // the Properties, whose Loudness page sets normalising and cue points
};

// The configuration wizard ("Corvane Wizard -  "): a page-by-page guide
// through the library, play lists and the schedule, with "<< &Back",
// "&Next >>" and "&Close". Its navigation is ConfigWizard's. Main thread.
class TfrmQelConfigWizard final : public QDialog {
    Q_OBJECT
public:
    TfrmQelConfigWizard(WizardStart start, WizardActions actions, Prompter& prompter,
                        QWidget* parent = nullptr);

    ConfigWizard::Page CurrentPage() const { return wizard_.CurrentPage(); }
    QPushButton& BackButton() { return *btnBack; }
    QPushButton& NextButton() { return *btnNext; }
    QPushButton& CloseButton() { return *btnClose; }
    // A task button of the pages, by its object name ("btnAutoScan", …).
    QPushButton* TaskButton(const char* name) const;

private:
    QWidget* GreetingPage(ConfigWizard::Page page);
    QWidget*
    StepPage(ConfigWizard::Page page, const QString& text,
             std::initializer_list<std::pair<const char*, std::pair<QString, std::function<void()>>>> tasks);
    void ShowPage();
    void RunTask(const std::function<void()>& task);

    ConfigWizard wizard_;
    WizardActions actions_;
    Prompter& prompter_;
    QLabel* lblTitle = nullptr;
    QStackedWidget* pages_ = nullptr;
    QPushButton* btnBack = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnClose = nullptr;
};

} // namespace corvane
