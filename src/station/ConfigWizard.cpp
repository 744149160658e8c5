#include "station/ConfigWizard.h"

namespace corvane {

std::string ConfigWizard::Title(Page page) {
    switch (page) {
    case Page::FirstRun:
    case Page::Welcome:
        return "Welcome";
    case Page::AudioLibrary:
        return "Step One: Audio Library";
    case Page::PlayLists:
        return "Step Two: Play List Generation";
    case Page::Schedule:
        return "Step Three: Schedule Management";
    }
    return {};
}

void ConfigWizard::Next() {
    switch (page_) {
    case Page::FirstRun:
    case Page::Welcome:
        page_ = Page::AudioLibrary;
        break;
    case Page::AudioLibrary:
        page_ = Page::PlayLists;
        break;
    case Page::PlayLists:
        page_ = Page::Schedule;
        break;
    case Page::Schedule:
        break;
    }
}

void ConfigWizard::Back() {
    switch (page_) {
    case Page::Schedule:
        page_ = Page::PlayLists;
        break;
    case Page::PlayLists:
        page_ = Page::AudioLibrary;
        break;
    case Page::AudioLibrary:
        page_ = start_ == WizardStart::FirstRun ? Page::FirstRun : Page::Welcome;
        break;
    case Page::FirstRun:
    case Page::Welcome:
        break;
    }
}

} // namespace corvane
