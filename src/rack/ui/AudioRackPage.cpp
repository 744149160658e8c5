#include "rack/ui/AudioRackPage.h"

#include "data/TdmQelData.h"
#include "data/ui/TableGridModel.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"
#include "playout/PlayoutKeys.h"
#include "rack/ui/TfrmQelFileList.h"
#include "tools/ConsoleTools.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {
namespace {

// How often the rack looks at the playing cart (ms): its time left is shown
// in whole seconds.
constexpr int CartOnAirIntervalMs = 100;
const QColor LitCartColour(0x00, 0xC0, 0x00);

// The cart a cell of the grid belongs to: carts i and i + 5 side by side.
int CartOfCell(const QModelIndex& index) {
    return index.column() < 2 ? index.row() : index.row() + CartRack::DisplayRows;
}

// The cart wall's look: numbers centred in bold red, names in yellow, on
// black; the playing cart lit in green with black text and its time left.
class RackCellDelegate final : public QStyledItemDelegate {
public:
    RackCellDelegate(const AudioRackPage& page, QObject* parent) : QStyledItemDelegate(parent), page_(page) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const bool number = index.column() % 2 == 0;
        const bool lit = page_.LitCart() && page_.LitCart()->cart == CartOfCell(index);
        const QColor text = lit ? QColor(Qt::black) : number ? QColor(Qt::red) : QColor(Qt::yellow);
        option->palette.setColor(QPalette::Text, text);
        option->palette.setColor(QPalette::HighlightedText, text);
        if (lit)
            option->backgroundBrush = LitCartColour;
        option->text = page_.CellText(index);
        if (number || lit)
            option->font.setBold(true);
        if (number)
            option->displayAlignment = Qt::AlignCenter;
    }

private:
    const AudioRackPage& page_;
};

// Time left as "m:ss", whole seconds rounded up, so 0:00 is never shown
// while the cart still sounds.
QString TimeLeftText(int remainingMs) {
    const int seconds = (remainingMs + 999) / 1000;
    return QString("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

} // namespace

AudioRackPage::AudioRackPage(Widgets widgets, Seams seams, TdmQelData& data, CartRack& rack,
                             ConsoleTools& tools)
    : w_(widgets), seams_(seams), data_(data), tools_(tools), rack_(rack) {
    setObjectName("AudioRackPage");
    BuildPage();

    QAction* manager = w_.commands.Command("actRackManager");
    connect(manager, &QAction::triggered, this,
            [this] { Guarded("actRackManager", [&] { ShowRackManager(); }); });
    w_.commands.Implement("actRackManager");
    QAction* configuration = w_.commands.Command("actRackConfiguration");
    connect(configuration, &QAction::triggered, this,
            [this] { Guarded("actRackConfiguration", [&] { ShowRackConfiguration(); }); });
    // The parameter browser belongs to the library; the command is offered
    // once the console has one, looked at whenever a menu opens.
    for (QMenu* menu : w_.window.findChildren<QMenu*>())
        if (menu->actions().contains(configuration))
            connect(menu, &QMenu::aboutToShow, this, [this] { OfferRackConfiguration(); });
    OfferRackConfiguration();
    qApp->installEventFilter(this);
    tmrCartOnAir_ = seams_.timers.CreateTimer("tmrCartOnAir", CartOnAirIntervalMs);
    tmrCartOnAir_->SetOnTimer([this] { ShowPlayingCart(); });
    tmrCartOnAir_->SetEnabled(true);
}

AudioRackPage::~AudioRackPage() {
    tmrCartOnAir_->SetEnabled(false);
    qApp->removeEventFilter(this);
    // The model listens to cdsAudioRackDisplay, which outlives the window.
    dxAudioRack->setModel(nullptr);
    delete model_;
}

void AudioRackPage::EnableRackButtons(bool up, bool down) {
    btnRackUp->setEnabled(up);
    btnRackDown->setEnabled(down);
}

QString AudioRackPage::CellText(const QModelIndex& index) const {
    const QString text = index.data(Qt::DisplayRole).toString();
    if (index.column() % 2 == 0 || !lit_ || lit_->cart != CartOfCell(index))
        return text;
    return text + "  " + TimeLeftText(lit_->remainingMs);
}

void AudioRackPage::ShowPlayingCart() {
    std::optional<CartOnAir> playing = rack_.PlayingCart();
    // Whole seconds: the grid repaints once a second while a cart plays.
    if (playing)
        playing->remainingMs = (playing->remainingMs + 999) / 1000 * 1000;
    if (playing == lit_)
        return;
    lit_ = playing;
    dxAudioRack->viewport()->update();
}

void AudioRackPage::BuildPage() {
    Table& display = data_.cdsAudioRackDisplay;
    if (!display.Active())
        display.CreateDataSet();
    rack_.BuildRackDisplay();
    model_ = new TableGridModel(
        display, {{"Num1", "Num1"}, {"Desc1", "Desc1"}, {"Num2", "Num2"}, {"Desc2", "Desc2"}}, nullptr);
    dxAudioRack = new QTableView(&w_.page);
    dxAudioRack->setObjectName("dxAudioRack");
    dxAudioRack->setModel(model_);
    dxAudioRack->setItemDelegate(new RackCellDelegate(*this, dxAudioRack));
    dxAudioRack->horizontalHeader()->hide();
    dxAudioRack->verticalHeader()->hide();
    dxAudioRack->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dxAudioRack->setSelectionMode(QAbstractItemView::NoSelection);
    dxAudioRack->setFocusPolicy(Qt::NoFocus);
    dxAudioRack->setShowGrid(true);
    dxAudioRack->setStyleSheet("QTableView { background: black; gridline-color: #303030; }");
    QHeaderView* columns = dxAudioRack->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Stretch);
    columns->setSectionResizeMode(0, QHeaderView::Fixed);
    columns->setSectionResizeMode(2, QHeaderView::Fixed);
    columns->resizeSection(0, 32);
    columns->resizeSection(2, 32);
    dxAudioRack->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    btnRackUp = new QToolButton(&w_.page);
    btnRackUp->setObjectName("btnRackUp");
    btnRackUp->setArrowType(Qt::UpArrow);
    btnRackUp->setToolTip("Previous rack");
    btnRackDown = new QToolButton(&w_.page);
    btnRackDown->setObjectName("btnRackDown");
    btnRackDown->setArrowType(Qt::DownArrow);
    btnRackDown->setToolTip("Next rack");
    connect(btnRackUp, &QToolButton::clicked, this,
            [this] { Guarded("btnRackUp", [&] { rack_.btnRackUpClick(); }); });
    connect(btnRackDown, &QToolButton::clicked, this,
            [this] { Guarded("btnRackDown", [&] { rack_.btnRackDownClick(); }); });

    // The label stays on top; the grid and the buttons take the rest of the page.
    auto* row = new QHBoxLayout;
    row->addWidget(dxAudioRack, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnRackUp);
    buttons->addWidget(btnRackDown);
    buttons->addStretch(1);
    row->addLayout(buttons);
    auto* layout = qobject_cast<QVBoxLayout*>(w_.page.layout());
    const int stretch = layout->count() - 1;
    if (stretch >= 0 && layout->itemAt(stretch)->spacerItem())
        delete layout->takeAt(stretch);
    layout->addLayout(row, 1);
}

void AudioRackPage::OfferRackConfiguration() {
    if (tools_.BrowseParameters && !w_.commands.Implemented("actRackConfiguration"))
        w_.commands.Implement("actRackConfiguration");
}

void AudioRackPage::ShowRackConfiguration() {
    if (!tools_.BrowseParameters)
        return;
    tools_.BrowseParameters(data_.cdsRackList);
    rack_.ReloadRack();
}

void AudioRackPage::ShowRackManager() {
    std::function<void(const std::string&)> preview;
    if (tools_.PreviewAudio)
        preview = [this](const std::string& path) { tools_.PreviewAudio(path, PreviewMode::Play); };
    {
        TfrmQelFileList manager(seams_, data_, std::move(preview), &w_.window);
        manager.exec();
    }
    rack_.ReloadRack();
}

// A typed digit fires its cart; the key goes on to the focused control too,
// so a digit typed into a search box also fires the cart.
bool AudioRackPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &w_.window)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Seen once, by the control it was typed into: not again as it climbs to
    // that control's parents.
    const bool climbing = key == lastKey_ && key->timestamp() == lastKeyTime_ && lastReceiver_ &&
                          widget != lastReceiver_ && widget->isAncestorOf(lastReceiver_);
    lastKey_ = key;
    lastKeyTime_ = key->timestamp();
    lastReceiver_ = widget;
    if (climbing)
        return false;
    // A held key does not machine-gun the cart from its start.
    if (key->isAutoRepeat() || key->text().size() != 1)
        return false;
    const char typed = key->text().at(0).toLatin1();
    Guarded("FormKeyPress", [&] {
        if (const auto cart = HotKeyCart(typed, rack_.RackFiles())) {
            rack_.PlayCart(*cart);
            ShowPlayingCart();
        }
    });
    return false;
}

} // namespace corvane
