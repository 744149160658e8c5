#pragma once

#include "platform/Seams.h"
#include "rack/RackManager.h"

#include <QDialog>
#include <functional>
#include <string>

class QAction;
class QTableView;

namespace corvane {

class TableGridModel;
class TdmQelData;

// The rack manager's window ("Audio Rack Manager"): a tool bar, a menu, the
// grid of cdsFileList with its one column "Filename", and files dropped from
// the desktop. Its rules are RackManager's. Created for each use, shown
// modally; closing asks about unsaved changes first.
class TfrmQelFileList final : public QDialog {
    Q_OBJECT
public:
    // `preview` plays a file in the console's previewer; empty when there is none.
    TfrmQelFileList(Seams seams, TdmQelData& data, std::function<void(const std::string&)> preview,
                    QWidget* parent = nullptr);
    ~TfrmQelFileList() override;

    RackManager& Rules() { return rules_; }
    QTableView& Grid() { return *grid_; }
    QAction* Command(const char* name) const;

protected:
    // Every way of closing (the close box, Escape, "&Close") asks about unsaved changes first.
    void reject() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QAction* AddCommand(const char* name, const QString& caption, void (TfrmQelFileList::*handler)());
    void New() { rules_.New(); }
    void Open() { rules_.Open(); }
    void Save() { rules_.Save(); }
    void CloseRack() { rules_.CloseRack(); }
    void Add() { rules_.Add(); }
    void Remove() { rules_.Remove(); }
    void PlaySelected() { rules_.PlaySelected(); }
    void CloseManager() { close(); }
    void DeleteWithConfirmation();
    void FollowCursor();

    Seams seams_;
    TdmQelData& data_;
    RackManager rules_;
    TableGridModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
};

} // namespace corvane
