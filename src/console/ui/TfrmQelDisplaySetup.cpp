#include "console/ui/TfrmQelDisplaySetup.h"

#include "console/ui/QtGridAppearance.h"
#include "platform/ExceptionGuard.h"
#include "station/ConsoleView.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <functional>

namespace corvane {
namespace {

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

// A font of the grid through the font dialog; the colour stays.
bool PickFont(GridFont& font, QWidget* parent) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, ToQFont(font), parent);
    if (ok)
        font = FromQFont(chosen, font.color);
    return ok;
}

bool PickColor(TColor& color, QWidget* parent) {
    const QColor chosen = QColorDialog::getColor(ToQColor(color), parent);
    if (chosen.isValid())
        color = FromQColor(chosen);
    return chosen.isValid();
}

} // namespace

TfrmQelDisplaySetup::TfrmQelDisplaySetup(ConsoleView& look, QWidget* parent) : QDialog(parent), grid_(look) {
    setObjectName("frmQelDisplaySetup");
    setWindowTitle("Display Setup");
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGroupBox("&Grid", this);
    auto* gridRow = new QHBoxLayout(grid);
    QPushButton* gridFont = Button("btnGridFont", "Fo&nt...", grid);
    QPushButton* gridColor = Button("btnGridColor", "Co&lor...", grid);
    chkGridLines = new QCheckBox("Show Gridlines", grid);
    chkGridLines->setObjectName("chkGridLines");
    gridRow->addWidget(gridFont);
    gridRow->addWidget(gridColor);
    gridRow->addWidget(chkGridLines);
    layout->addWidget(grid);

    auto* header = new QGroupBox("&Header", this);
    auto* headerRow = new QHBoxLayout(header);
    chkHeader = new QCheckBox("Display Header", header);
    chkHeader->setObjectName("chkHeader");
    btnHeaderFont = Button("btnHeaderFont", "&Font...", header);
    btnHeaderColor = Button("btnHeaderColor", "&Color...", header);
    headerRow->addWidget(chkHeader);
    headerRow->addWidget(btnHeaderFont);
    headerRow->addWidget(btnHeaderColor);
    layout->addWidget(header);

    auto* buttons = new QHBoxLayout;
    QPushButton* restore = Button("btnRestoreDefaults", "&Restore Defaults", this);
    QPushButton* close = Button("btnClose", "Close", this);
    buttons->addWidget(restore);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    const GridAppearance& now = grid_.CurrentGridAppearance();
    chkGridLines->setChecked(now.showGridLines);
    chkHeader->setChecked(now.showHeader);
    ShowHeaderState(now.showHeader);

    // Each control changes one thing of the grid's look, at once.
    const auto changes = [this](const char* sender, std::function<bool(GridAppearance&)> change) {
        return [this, sender, change] {
            Guarded(sender, [&] {
                GridAppearance a = grid_.CurrentGridAppearance();
                if (change(a))
                    grid_.ApplyGridAppearance(a);
            });
        };
    };
    connect(gridFont, &QPushButton::clicked, this,
            changes("btnGridFont", [this](GridAppearance& a) { return PickFont(a.font, this); }));
    connect(gridColor, &QPushButton::clicked, this,
            changes("btnGridColor", [this](GridAppearance& a) { return PickColor(a.color, this); }));
    connect(btnHeaderFont, &QPushButton::clicked, this,
            changes("btnHeaderFont", [this](GridAppearance& a) { return PickFont(a.headerFont, this); }));
    connect(btnHeaderColor, &QPushButton::clicked, this,
            changes("btnHeaderColor", [this](GridAppearance& a) { return PickColor(a.headerColor, this); }));
    connect(chkGridLines, &QCheckBox::toggled, this, [changes](bool on) {
        changes("chkGridLines", [on](GridAppearance& a) {
            a.showGridLines = on;
            return true;
        })();
    });
    connect(chkHeader, &QCheckBox::toggled, this, [this, changes](bool on) {
        changes("chkHeader", [on](GridAppearance& a) {
            a.showHeader = on;
            return true;
        })();
        ShowHeaderState(on);
    });
    connect(restore, &QPushButton::clicked, this,
            [this] { Guarded("btnRestoreDefaults", [&] { RestoreDefaults(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmQelDisplaySetup::ShowHeaderState(bool shown) {
    btnHeaderFont->setEnabled(shown);
    btnHeaderColor->setEnabled(shown);
}

void TfrmQelDisplaySetup::RestoreDefaults() {
    grid_.ApplyGridAppearance(GridAppearance());
    const QSignalBlocker lines(chkGridLines);
    const QSignalBlocker header(chkHeader);
    chkGridLines->setChecked(false);
    chkHeader->setChecked(true);
    ShowHeaderState(true);
}

} // namespace corvane
