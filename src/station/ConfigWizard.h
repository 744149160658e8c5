#pragma once

#include <string>

namespace corvane {

// Where the configuration wizard opens: the greeting of the first run, or
// the "Welcome" page of "&Wizard".
enum class WizardStart { FirstRun, Welcome };

// The configuration wizard's pages and their navigation ("Corvane Wizard -  "):
// the greeting, then one step each for the audio library, play-list
// generation and the schedule. Main thread.
class ConfigWizard {
public:
    enum class Page { FirstRun, Welcome, AudioLibrary, PlayLists, Schedule };

    static constexpr const char* Caption = "Corvane Wizard -  ";
    static constexpr const char* CreateScheduleMessage =
        "All Schedule Manipulation is done on the main screen.\r\nClick OK and the Wizard will take you "
        "there";

    explicit ConfigWizard(WizardStart start)
        : start_(start), page_(start == WizardStart::FirstRun ? Page::FirstRun : Page::Welcome) {}

    Page CurrentPage() const { return page_; }
    // The page's title ("Welcome", "Step One: Audio Library", …).
    static std::string Title(Page page);
    bool BackEnabled() const { return page_ != Page::FirstRun && page_ != Page::Welcome; }
    bool NextEnabled() const { return page_ != Page::Schedule; }
    // "&Next >>" and "<< &Back"; a disabled one does nothing. Back from the
    // first step returns to the greeting the wizard was opened on.
    void Next();
    void Back();

private:
    WizardStart start_;
    Page page_;
};

} // namespace corvane
