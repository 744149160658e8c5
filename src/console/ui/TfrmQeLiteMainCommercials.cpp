// The console window's side of the commercials: the "Commercials" page bound
// to the station's breaks on air and ad schedule, and their commands. Main
// thread throughout; every entry from a widget goes through the exception guard.
#include "commercials/ui/CommercialsPage.h"
#include "commercials/ui/ConsoleCommercials.h"
#include "commercials/ui/TfrmQelCommercials.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "data/TdmQelData.h"

#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

namespace corvane {

QWidget* TfrmQeLiteMain::BuildCommercialsPage() {
    commercialsPage_ = new CommercialsPage(data_.cdsVantorAdList, *commands_);
    return commercialsPage_;
}

void TfrmQeLiteMain::ShowBreakActive(bool active) {
    findChild<QToolButton*>("btnTripCommercial")
        ->setText(active ? "F8: Stop Commercial" : "F8: Next Commercial");
}

void TfrmQeLiteMain::ShowCurrentCommercialList(const std::string& entry) {
    commercialsPage_->ShowCurrentList(entry);
}

void TfrmQeLiteMain::HoldCommercialGrid(bool hold) {
    commercialsPage_->HoldGrid(hold);
}

void TfrmQeLiteMain::ShowNextBreakTime(const std::string& time) {
    displays_->SetNextBreakTime(time);
}

// The day's long name in the operator's language (Qt counts Monday as 1).
std::string TfrmQeLiteMain::LongDayName(TDateTime when) const {
    const int qtDay = (DayOfWeek(when) + 5) % 7 + 1;
    return QLocale::system().standaloneDayName(qtDay, QLocale::LongFormat).toStdString();
}

void TfrmQeLiteMain::BindCommercialCommands() {
    commercials_ = std::make_unique<ConsoleCommercials>(
        ConsoleCommercials::Widgets{*this, *commands_, *commercialsPage_,
                                    *menuBar()->findChild<QMenu*>("mnuSystem"),
                                    *findChild<QToolButton*>("btnTripCommercial")},
        seams_, data_, station_.Commercials(), station_.Ads(), Core().ProgramFolder(), tools_);
}

bool TfrmQeLiteMain::CloseCommercialsEditor(CloseQuestions questions) {
    TfrmQelCommercials* editor = commercials_ ? commercials_->Editor() : nullptr;
    if (!editor)
        return true;
    if (questions == CloseQuestions::None) {
        editor->CloseWithoutQuestion();
        return true;
    }
    return editor->close();
}

TfrmQelCommercials* TfrmQeLiteMain::CommercialsEditor() {
    return commercials_->Editor();
}

void TfrmQeLiteMain::OpenCommercialsEditor(const std::string& listFile) {
    commercials_->OpenEditor(listFile);
}

} // namespace corvane
