#include "console/ui/TfrmQelDisplaySetup.h"

#include "console/ui/QtGridAppearance.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "platform/ExceptionGuard.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

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

TfrmQelDisplaySetup::TfrmQelDisplaySetup(TfrmQeLiteMain& console) : QDialog(&console), console_(console) {
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

    const GridAppearance& now = console_.GridLook();
    chkGridLines->setChecked(now.showGridLines);
    chkHeader->setChecked(now.showHeader);
    ShowHeaderState(now.showHeader);

    const auto guarded = [this](const char* sender, void (TfrmQelDisplaySetup::*handler)()) {
        return [this, sender, handler] { Guarded(sender, [&] { (this->*handler)(); }); };
    };
    connect(gridFont, &QPushButton::clicked, this,
            guarded("btnGridFont", &TfrmQelDisplaySetup::ChooseGridFont));
    connect(gridColor, &QPushButton::clicked, this,
            guarded("btnGridColor", &TfrmQelDisplaySetup::ChooseGridColor));
    connect(btnHeaderFont, &QPushButton::clicked, this,
            guarded("btnHeaderFont", &TfrmQelDisplaySetup::ChooseHeaderFont));
    connect(btnHeaderColor, &QPushButton::clicked, this,
            guarded("btnHeaderColor", &TfrmQelDisplaySetup::ChooseHeaderColor));
    connect(restore, &QPushButton::clicked, this,
            guarded("btnRestoreDefaults", &TfrmQelDisplaySetup::RestoreDefaults));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(chkGridLines, &QCheckBox::toggled, this, [this](bool on) {
        GridAppearance a = console_.GridLook();
        a.showGridLines = on;
        console_.SetGridLook(a);
    });
    connect(chkHeader, &QCheckBox::toggled, this, [this](bool on) {
        GridAppearance a = console_.GridLook();
        a.showHeader = on;
        console_.SetGridLook(a);
        ShowHeaderState(on);
    });
}

void TfrmQelDisplaySetup::ShowHeaderState(bool shown) {
    btnHeaderFont->setEnabled(shown);
    btnHeaderColor->setEnabled(shown);
}

void TfrmQelDisplaySetup::ChooseGridFont() {
    GridAppearance a = console_.GridLook();
    if (PickFont(a.font, this))
        console_.SetGridLook(a);
}

void TfrmQelDisplaySetup::ChooseGridColor() {
    GridAppearance a = console_.GridLook();
    if (PickColor(a.color, this))
        console_.SetGridLook(a);
}

void TfrmQelDisplaySetup::ChooseHeaderFont() {
    GridAppearance a = console_.GridLook();
    if (PickFont(a.headerFont, this))
        console_.SetGridLook(a);
}

void TfrmQelDisplaySetup::ChooseHeaderColor() {
    GridAppearance a = console_.GridLook();
    if (PickColor(a.headerColor, this))
        console_.SetGridLook(a);
}

void TfrmQelDisplaySetup::RestoreDefaults() {
    console_.SetGridLook(GridAppearance());
    const QSignalBlocker lines(chkGridLines);
    const QSignalBlocker header(chkHeader);
    chkGridLines->setChecked(false);
    chkHeader->setChecked(true);
    ShowHeaderState(true);
}

} // namespace corvane
