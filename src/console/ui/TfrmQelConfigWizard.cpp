#include "console/ui/TfrmQelConfigWizard.h"

#include "platform/ExceptionGuard.h"
#include "platform/Prompter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace corvane {
namespace {

using Page = ConfigWizard::Page;

constexpr Page Pages[] = {Page::FirstRun, Page::Welcome, Page::AudioLibrary, Page::PlayLists, Page::Schedule};

QLabel* Text(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

TfrmQelConfigWizard::TfrmQelConfigWizard(WizardStart start, WizardActions actions, Prompter& prompter,
                                         QWidget* parent)
    : QDialog(parent), wizard_(start), actions_(std::move(actions)), prompter_(prompter) {
    setObjectName("frmQelConfigWizard");
    setWindowTitle(ConfigWizard::Caption);
    setModal(true);
    resize(520, 340);

    lblTitle = new QLabel(this);
    lblTitle->setObjectName("lblTitle");
    QFont heading = lblTitle->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.5);
    lblTitle->setFont(heading);

    pages_ = new QStackedWidget(this);
    pages_->addWidget(GreetingPage(Page::FirstRun));
    pages_->addWidget(GreetingPage(Page::Welcome));
    pages_->addWidget(StepPage(
        Page::AudioLibrary,
        "Build the audio library: let Corvane search your drives for audio files, or look at the titles it "
        "already knows. Imported titles are measured for loudness: the Properties' Loudness page lets every "
        "item play at one loudness and skip the silence at its ends.",
        {{"btnAutoScan", {"&Auto-Scan for Audio files", actions_.AutoScan}},
         {"btnViewLibrary", {"&View Audio Library", actions_.ViewAudioLibrary}},
         {"btnLoudness", {"&Loudness and Cue Points", actions_.LoudnessSettings}}}));
    pages_->addWidget(
        StepPage(Page::PlayLists,
                 "Make play lists from the library: have Corvane draw titles at random, or build a play list "
                 "yourself.",
                 {{"btnGeneratePlayList", {"&Generate Play List", actions_.GeneratePlayList}},
                  {"btnPlayListManager", {"&Play List Manager", actions_.OpenPlayListManager}}}));
    pages_->addWidget(StepPage(Page::Schedule,
                               "Load a play list or a schedule file into the schedule on the main screen and "
                               "start the broadcast.",
                               {{"btnCreateSchedule", {"&Create Schedule", [this] {
                                                           prompter_.Show(ConfigWizard::CreateScheduleMessage,
                                                                          MessageType::Information,
                                                                          MessageButtons::Ok);
                                                           accept();
                                                       }}}}));

    btnBack = new QPushButton("<< &Back", this);
    btnBack->setObjectName("btnBack");
    btnNext = new QPushButton("&Next >>", this);
    btnNext->setObjectName("btnNext");
    btnClose = new QPushButton("&Close", this);
    btnClose->setObjectName("btnClose");
    connect(btnBack, &QPushButton::clicked, this, [this] {
        wizard_.Back();
        ShowPage();
    });
    connect(btnNext, &QPushButton::clicked, this, [this] {
        wizard_.Next();
        ShowPage();
    });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnBack);
    buttons->addWidget(btnNext);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(pages_, 1);
    layout->addLayout(buttons);
    ShowPage();
}

QWidget* TfrmQelConfigWizard::GreetingPage(Page page) {
    auto* widget = new QWidget;
    widget->setObjectName(page == Page::FirstRun ? "tsFirstRun" : "tsWelcome");
    auto* layout = new QVBoxLayout(widget);
    layout->addWidget(
        Text(page == Page::FirstRun
                 ? "Welcome to Vantor Corvane. This wizard takes you through the three tasks that "
                   "get a station on air:"
                 : "Welcome to the Corvane Wizard. It takes you through these tasks:",
             widget));
    for (const char* task : {"Audio Library Compilation", "&Generate Play Lists", "&Schedule Play Out"}) {
        auto* label = Text(QString("•  ") + QString(task).remove('&'), widget);
        layout->addWidget(label);
    }
    layout->addWidget(Text("Click \"Next >>\" to begin.", widget));
    layout->addStretch(1);
    return widget;
}

QWidget* TfrmQelConfigWizard::StepPage(
    Page, const QString& text,
    std::initializer_list<std::pair<const char*, std::pair<QString, std::function<void()>>>> tasks) {
    auto* widget = new QWidget;
    auto* layout = new QVBoxLayout(widget);
    layout->addWidget(Text(text, widget));
    for (const auto& [name, task] : tasks) {
        auto* button = new QPushButton(task.first, widget);
        button->setObjectName(name);
        button->setEnabled(static_cast<bool>(task.second));
        connect(button, &QPushButton::clicked, this, [this, work = task.second] { RunTask(work); });
        layout->addWidget(button);
    }
    layout->addStretch(1);
    return widget;
}

QPushButton* TfrmQelConfigWizard::TaskButton(const char* name) const {
    return findChild<QPushButton*>(name);
}

// After a window it opened, the wizard shows its page again.
void TfrmQelConfigWizard::RunTask(const std::function<void()>& task) {
    Guarded("frmQelConfigWizard", [&] {
        if (task)
            task();
    });
    ShowPage();
}

void TfrmQelConfigWizard::ShowPage() {
    const Page page = wizard_.CurrentPage();
    for (int i = 0; i < static_cast<int>(std::size(Pages)); ++i)
        if (Pages[i] == page)
            pages_->setCurrentIndex(i);
    lblTitle->setText(QString::fromStdString(ConfigWizard::Title(page)));
    btnBack->setEnabled(wizard_.BackEnabled());
    btnNext->setEnabled(wizard_.NextEnabled());
}

} // namespace corvane
