#pragma once

#include "platform/Seams.h"
#include "rack/CartRack.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

class QKeyEvent;
class QLabel;
class QModelIndex;
class QTableView;
class QToolButton;

namespace corvane {

class ConsoleCommands;
class TableGridModel;
class TdmQelData;
struct ConsoleTools;

// The console's "Audio Rack" page and its commands, bound to the station's
// rack (CartRack): the cart grid dxAudioRack, the label
// pnlCartRackLabel, btnRackUp / btnRackDown, the digit keys (seen before the
// focused control, which still receives them), "Audio Rack &Configuration"
// and "Rack &Manager". Main thread; every entry from a widget is guarded.
class AudioRackPage final : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QWidget& window; // the console window
        QWidget& page;   // tsAudioRack, holding the label
        QLabel& label;   // pnlCartRackLabel
        ConsoleCommands& commands;
    };
    AudioRackPage(Widgets widgets, Seams seams, TdmQelData& data, CartRack& rack, ConsoleTools& tools);
    ~AudioRackPage() override;

    CartRack& Rack() { return rack_; }
    // btnRackUp / btnRackDown enabled, as the rack decided.
    void EnableRackButtons(bool up, bool down);
    QTableView& Grid() { return *dxAudioRack; }
    QToolButton& RackUp() { return *btnRackUp; }
    QToolButton& RackDown() { return *btnRackDown; }
    // "Rack &Manager" and "Audio Rack &Configuration".
    void ShowRackManager();
    void ShowRackConfiguration();
    // The cart shown lit (its time left in whole seconds, rounded up), and
    // the text of a grid cell as shown: a lit cart's name carries its time left.
    const std::optional<CartOnAir>& LitCart() const { return lit_; }
    QString CellText(const QModelIndex& index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPage();
    void OfferRackConfiguration();
    // The display tick: lights the playing cart, repainting only on a change.
    void ShowPlayingCart();

    Widgets w_;
    Seams seams_;
    TdmQelData& data_;
    ConsoleTools& tools_;
    CartRack& rack_;
    TableGridModel* model_ = nullptr;
    std::unique_ptr<Timer> tmrCartOnAir_;
    std::optional<CartOnAir> lit_;
    QTableView* dxAudioRack = nullptr;
    QToolButton* btnRackUp = nullptr;
    QToolButton* btnRackDown = nullptr;
    // The key press last looked at, to know it again as it climbs to the parents.
    const QKeyEvent* lastKey_ = nullptr;
    quint64 lastKeyTime_ = 0;
    QPointer<QWidget> lastReceiver_;
};

} // namespace corvane
