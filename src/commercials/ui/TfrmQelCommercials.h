#pragma once

#include "commercials/CommercialListEditor.h"
#include "data/TableObserver.h"
#include "platform/Seams.h"

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

class TdmQelData;

// The commercials editor, "Setup Commercials": a tool window over the console
// in which the operator builds a day's commercial list (cdsAdList) by hand, by
// dropping audio files on it or from an ini file, and saves it to the
// commercial list folder. Its rules live in CommercialListEditor, which it
// owns; the window binds the menu, the date picker and the grid (rows grouped
// by break time, editable, with the total duration below). Closing asks about
// unsaved changes and may be refused; a closed editor deletes itself. Main thread.
class TfrmQelCommercials final : public QMainWindow, private TableObserver {
    Q_OBJECT
public:
    // Plays a file in the internal previewer; empty when there is none.
    using Previewer = std::function<void(const std::string& path)>;

    TfrmQelCommercials(Seams seams, TdmQelData& data, std::filesystem::path listFolder,
                       std::filesystem::path programFolder, Previewer preview, QWidget* parent);
    ~TfrmQelCommercials() override;

    // OpenCommercialsEditor's part once the window exists: shows it and loads
    // the list file when one is given.
    void ShowWith(const std::string& listFile);
    // Closes without asking, when the program ends on a termination signal:
    // an unsaved list is kept beside the others (CloseKeepingUnsaved).
    void CloseWithoutQuestion();

    CommercialListEditor& Rules() { return *rules_; }
    QTreeWidget& Grid() { return *dxgCommercials; }
    QDateEdit& DatePicker() { return *dtpDate; }
    QComboBox& FileNameBox() { return *cbxFileName; }
    QLabel& Footer() { return *lblTotal; }
    QMenu& GridPopup() { return *pmGrid; }
    QCheckBox& GroupByBreak() { return *chkGroupByBreak; }
    // The grid's rows in order: break time, details, file, duration.
    QStringList RowTexts() const;
    // Makes the row at `index` (in grid order) current.
    void SelectRow(int index);

    // The menu and popup commands, for the window's tests and key bindings.
    void actNewItem();
    void actDeleteItem();
    void actPlaySelected();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void TableDataChanged(Table&) override;
    void BuildMenus();
    void Rebuild();
    void RefreshHistory();
    // A completed cell edit: written to its row and posted.
    void CellChanged(QTreeWidgetItem* item, int column);
    QTreeWidgetItem* CurrentRowItem() const;
    template <typename Work> void Run(const char* sender, Work&& work);

    Seams seams_;
    TdmQelData& data_;
    std::filesystem::path programFolder_;
    Previewer preview_;
    std::unique_ptr<CommercialListEditor> rules_;
    QTreeWidget* dxgCommercials = nullptr;
    QDateEdit* dtpDate = nullptr;
    QComboBox* cbxFileName = nullptr;
    QLabel* lblTotal = nullptr;
    QMenu* pmGrid = nullptr;
    QCheckBox* chkGroupByBreak = nullptr;
    bool rebuilding_ = false;
};

} // namespace corvane
