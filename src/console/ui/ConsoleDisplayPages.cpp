#include "console/ui/ConsoleDisplayPages.h"

#include "console/ui/ConsoleMeterPanel.h"
#include "console/ui/LedDigit.h"
#include "platform/qt/ConsoleCommands.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace corvane {
namespace {

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// An LED digit of the console's displays, 0 to start with.
LedDigit* Led(const char* name, const QColor& colour, QSize size, QWidget* parent,
              LedDigit::Face face = LedDigit::Face::Digit) {
    auto* digit = new LedDigit(name, colour, face, parent);
    digit->setFixedSize(face == LedDigit::Face::Colon ? QSize(size.width() / 2, size.height()) : size);
    return digit;
}

// "hh:mm:ss" as six LED digits with colons; `names` in the order shown.
QWidget* SixDigits(const char* const names[6], const QColor& colour, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(2);
    const QSize size(18, 30);
    for (int i = 0; i < 6; ++i) {
        if (i == 2 || i == 4)
            row->addWidget(Led("", colour, size, box, LedDigit::Face::Colon));
        row->addWidget(Led(names[i], colour, size, box));
    }
    return box;
}

// A panel drawn black behind its LED digits and meters.
void MakeBlack(QWidget& panel) {
    panel.setAutoFillBackground(true);
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, QColor(160, 160, 160));
    panel.setPalette(palette);
}

} // namespace

ConsoleDisplayPages::ConsoleDisplayPages(ConsoleCommands& commands, TimerFactory& timers, QLabel& itemStatus)
    : itemStatus_(itemStatus) {
    visuals_ = BuildVisualsPage(commands, timers);
    liveAssist_ = BuildLiveAssistPage(commands);
}

QWidget* ConsoleDisplayPages::BuildVisualsPage(ConsoleCommands& commands, TimerFactory& timers) {
    auto* page = new QWidget;
    page->setObjectName("tsVisuals");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    auto* top = new QHBoxLayout;
    auto* info = new QFormLayout;
    info->setVerticalSpacing(1);
    lblTitle = NamedLabel("lblTitle", "", page);
    lblFile = NamedLabel("lblFile", "", page);
    lblDuration = NamedLabel("lblDuration", "", page);
    QFont title = lblTitle->font();
    title.setBold(true);
    lblTitle->setFont(title);
    info->addRow("Title:", lblTitle);
    info->addRow("File:", lblFile);
    info->addRow("Duration:", lblDuration);
    top->addLayout(info, 1);
    auto* remaining = new QWidget(page);
    remaining->setObjectName("pnlRemaining");
    MakeBlack(*remaining);
    auto* digits = new QHBoxLayout(remaining);
    digits->setContentsMargins(6, 3, 6, 3);
    digits->setSpacing(3);
    const QColor green(0, 255, 0);
    for (const char* name : {"BigMM2", "BigMM1", "", "BigSS2", "BigSS1"}) {
        LedDigit* digit =
            Led(name, green, QSize(22, 40), remaining, *name ? LedDigit::Face::Digit : LedDigit::Face::Colon);
        // Dim until the first item is shown.
        digit->setEnabled(false);
        bigDigits_.push_back(digit);
        digits->addWidget(digit);
    }
    top->addWidget(remaining);
    layout->addLayout(top);
    meterPanel_ = new ConsoleMeterPanel(timers, page);
    layout->addWidget(meterPanel_);
    const ConsoleMeterPanel::SmallDigits& small = meterPanel_->Digits();
    ledGroups_[static_cast<size_t>(DigitGroup::RemainingMinutes)] = {{bigDigits_[0], bigDigits_[1]},
                                                                     {small.mm2, small.mm1}};
    ledGroups_[static_cast<size_t>(DigitGroup::RemainingSeconds)] = {{bigDigits_[3], bigDigits_[4]},
                                                                     {small.ss2, small.ss1}};
    auto* transport = new QHBoxLayout;
    for (const char* name : {"actRestart", "actSkipLeft", "actSkipRight"}) {
        auto* button = new QToolButton(page);
        button->setDefaultAction(commands.Command(name));
        transport->addWidget(button);
    }
    Gauge_ = new QProgressBar(page);
    Gauge_->setObjectName("Gauge");
    Gauge_->setRange(0, 100);
    Gauge_->setValue(0);
    Gauge_->setTextVisible(false);
    Gauge_->setMaximumHeight(12);
    Gauge_->setStyleSheet("QProgressBar { background: black; border: 1px solid #404040; } "
                          "QProgressBar::chunk { background: #00C040; }");
    transport->addWidget(Gauge_, 1);
    layout->addLayout(transport);
    return page;
}

// The page is laid out to keep every caption whole in the console's first
// width (693 pixels) at the default font and at 125 %: the four buttons in two
// rows, "Delayed Pause" beside the total (so showing it moves nothing), and
// the clocks' captions wrapped over their digits.
QWidget* ConsoleDisplayPages::BuildLiveAssistPage(ConsoleCommands& commands) {
    auto* page = new QWidget;
    page->setObjectName("tsLiveAssist");
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(6, 4, 6, 4);
    auto* left = new QVBoxLayout;
    auto* info = new QFormLayout;
    info->setVerticalSpacing(2);
    lblCurrentItem = NamedLabel("lblCurrentItem", "", page);
    lblTotalDuration = NamedLabel("lblTotalDuration", "00:00:00", page);
    lblDelayedPause = NamedLabel("lblDelayedPause", "Delayed Pause", page);
    lblDelayedPause->setStyleSheet("QLabel { color: red; font-weight: bold; }");
    lblDelayedPause->hide();
    auto* total = new QHBoxLayout;
    total->addWidget(lblTotalDuration);
    total->addSpacing(12);
    total->addWidget(lblDelayedPause);
    total->addStretch(1);
    info->addRow("Current Item:", lblCurrentItem);
    info->addRow("Total Duration:", total);
    left->addLayout(info);
    auto* buttons = new QGridLayout;
    buttons->setSpacing(2);
    const auto place = [&](QToolButton* button, int row, int column) {
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        buttons->addWidget(button, row, column);
    };
    auto* delayedPause = new QToolButton(page);
    delayedPause->setObjectName("btnDelayedPause");
    delayedPause->setDefaultAction(commands.Command("DelayPauseBroadcast"));
    place(delayedPause, 0, 0);
    auto* fadeNext = new QToolButton(page);
    fadeNext->setObjectName("btnFadeNext");
    fadeNext->setText("F6: Fade -> Next     ");
    fadeNext->setEnabled(false);
    place(fadeNext, 0, 1);
    // Audio logging: bound in TfrmQeLiteMainTools.cpp.
    auto* snooping = new QToolButton(page);
    snooping->setObjectName("btnSnooping");
    snooping->setText("F7: Snooping         ");
    place(snooping, 1, 0);
    auto* trip = new QToolButton(page);
    trip->setObjectName("btnTripCommercial");
    trip->setText("F8: Next Commercial");
    trip->setEnabled(false);
    place(trip, 1, 1);
    left->addLayout(buttons);
    left->addStretch(1);
    layout->addLayout(left, 1);

    mmLiveTimers = new QWidget(page);
    mmLiveTimers->setObjectName("mmLiveTimers");
    MakeBlack(*mmLiveTimers);
    auto* clocks = new QGridLayout(mmLiveTimers);
    clocks->setContentsMargins(8, 4, 8, 4);
    static const char* const time[6] = {"TimeLed1", "TimeLed2", "TimeLed3",
                                        "TimeLed4", "TimeLed5", "TimeLed6"};
    static const char* const down[6] = {"DownLed5", "DownLed6", "DownLed1",
                                        "DownLed2", "DownLed3", "DownLed4"};
    // Each caption wraps within its digits' width rather than widening the panel.
    const auto caption = [this](const char* text) {
        auto* label = new QLabel(text, mmLiveTimers);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        return label;
    };
    clocks->addWidget(caption("Current Time"), 0, 0);
    clocks->addWidget(SixDigits(time, QColor(0x80, 0xFF, 0xFF), mmLiveTimers), 1, 0);
    clocks->addWidget(caption("Count Down to Next Commercial"), 0, 1);
    clocks->addWidget(SixDigits(down, QColor(0xFF, 0x00, 0x00), mmLiveTimers), 1, 1);
    const auto pair = [this](const char* tens, const char* units) {
        return std::pair{mmLiveTimers->findChild<LedDigit*>(tens), mmLiveTimers->findChild<LedDigit*>(units)};
    };
    ledGroups_[static_cast<size_t>(DigitGroup::ClockHours)] = {pair("TimeLed1", "TimeLed2")};
    ledGroups_[static_cast<size_t>(DigitGroup::ClockMinutes)] = {pair("TimeLed3", "TimeLed4")};
    ledGroups_[static_cast<size_t>(DigitGroup::ClockSeconds)] = {pair("TimeLed5", "TimeLed6")};
    ledGroups_[static_cast<size_t>(DigitGroup::CountdownHours)] = {pair("DownLed5", "DownLed6")};
    ledGroups_[static_cast<size_t>(DigitGroup::CountdownMinutes)] = {pair("DownLed1", "DownLed2")};
    ledGroups_[static_cast<size_t>(DigitGroup::CountdownSeconds)] = {pair("DownLed3", "DownLed4")};
    layout->addWidget(mmLiveTimers);
    return page;
}

void ConsoleDisplayPages::SetGauge(int percent) {
    Gauge_->setValue(std::clamp(percent, 0, 100));
}

void ConsoleDisplayPages::SetTotalDuration(const QString& text) {
    lblTotalDuration->setText(text);
}

void ConsoleDisplayPages::ShowDelayedPause(bool visible) {
    lblDelayedPause->setVisible(visible);
}

void ConsoleDisplayPages::SetItemTexts(const ItemTexts& texts) {
    const QString title = QString::fromStdString(texts.title);
    lblTitle->setText(title);
    lblCurrentItem->setText(title);
    lblFile->setText(QString::fromStdString(texts.file));
    lblDuration->setText(QString::fromStdString(texts.duration));
}

void ConsoleDisplayPages::ClearItemStatus() {
    itemStatus_.clear();
}

void ConsoleDisplayPages::SetDigitGroup(DigitGroup group, int value) {
    for (const auto& [tens, units] : ledGroups_[static_cast<size_t>(group)])
        SetLedPair(*tens, *units, value);
}

void ConsoleDisplayPages::SetRemainingLight(DigitLight light) {
    const bool lit = light == DigitLight::Lit;
    for (LedDigit* digit : bigDigits_)
        digit->setEnabled(lit);
    const ConsoleMeterPanel::SmallDigits& small = meterPanel_->Digits();
    for (LedDigit* digit : {small.mm2, small.mm1, small.colon, small.ss2, small.ss1})
        digit->setEnabled(lit);
}

void ConsoleDisplayPages::SetRemainingColour(Rgb colour) {
    // The four digits change colour; the colon between them stays green.
    for (LedDigit* digit : {bigDigits_[0], bigDigits_[1], bigDigits_[3], bigDigits_[4]})
        digit->SetColour(QColor(colour.red, colour.green, colour.blue));
}

} // namespace corvane
