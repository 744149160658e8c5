#pragma once

#include "data/Table.h"
#include "data/TableObserver.h"

#include <QLabel>
#include <QTreeWidget>
#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

class QMenu;

namespace corvane {

class ConsoleCommands;

// The console's "Commercials" page: the commercial lists of the list folder
// (`rzCommercials`, name and date) and the list in use (`dxgCommercial`, one
// group per break time, a footer with the total duration). The grid follows
// cdsVantorAdList and moves its cursor with the operator's choice. The rules
// live in CommercialBreaks, which the console window binds to the page's
// signals. Main thread.
class CommercialsPage final : public QWidget, private TableObserver {
    Q_OBJECT
public:
    CommercialsPage(Table& list, ConsoleCommands& commands, QWidget* parent = nullptr);
    ~CommercialsPage() override;

    QTreeWidget& Lists() { return *rzCommercials; }
    QTreeWidget& Grid() { return *dxgCommercial; }
    QMenu& ListPopup() { return *pmCommercialLists; }
    QMenu& GridPopup() { return *pmCommercials; }
    QLabel& Footer() { return *lblCommercialTotal; }

    // Lists the entries (file names in `folder`) in the order given.
    void ShowLists(const std::filesystem::path& folder, const std::vector<std::string>& entries);
    // Makes the entry current without reporting a selection.
    void ShowCurrentList(const std::string& entry);
    // Holds the grid while the list loads; releasing shows it again.
    void HoldGrid(bool hold);

signals:
    // The operator made an entry current (selection or double-click).
    void ListChosen(const QString& entry);

private:
    void TableDataChanged(Table&) override;
    void TableScrolled(Table&) override;
    void Rebuild();
    void FollowCursor();

    Table& list_;
    QTreeWidget* rzCommercials = nullptr;
    QTreeWidget* dxgCommercial = nullptr;
    QLabel* lblCommercialTotal = nullptr;
    QMenu* pmCommercialLists = nullptr;
    QMenu* pmCommercials = nullptr;
    int held_ = 0;
    // Set while the page itself moves a cursor: those moves are not the operator's.
    bool quiet_ = false;
};

} // namespace corvane
