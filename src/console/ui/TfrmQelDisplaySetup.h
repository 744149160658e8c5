#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>

namespace corvane {

class ConsoleView;

// The Display Setup window ("Display Setup"): changes the schedule grid's look
// at once, without a confirmation; the changes reach the settings file at the
// next save. Modeless, always on top, one at a time (the console keeps it);
// "Close" closes and frees it.
class TfrmQelDisplaySetup final : public QDialog {
    Q_OBJECT
public:
    // `look` is the console's view of its schedule grid's look; `parent` the console.
    TfrmQelDisplaySetup(ConsoleView& look, QWidget* parent);

    QCheckBox& ShowGridlines() { return *chkGridLines; }
    QCheckBox& DisplayHeader() { return *chkHeader; }
    QPushButton& HeaderFont() { return *btnHeaderFont; }
    QPushButton& HeaderColor() { return *btnHeaderColor; }
    void RestoreDefaults();

private:
    void ShowHeaderState(bool shown);

    ConsoleView& grid_;
    QCheckBox* chkGridLines = nullptr;
    QCheckBox* chkHeader = nullptr;
    QPushButton* btnHeaderFont = nullptr;
    QPushButton* btnHeaderColor = nullptr;
};

} // namespace corvane
