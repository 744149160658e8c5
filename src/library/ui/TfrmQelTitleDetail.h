#pragma once

#include <QWidget>

namespace corvane {

class PropertyInspector;
class Table;

// "Details": a sizeable tool window on top of the others with an inspector
// on the library's current title; it follows the library's cursor as it
// moves and edits the title in place.
class TfrmQelTitleDetail final : public QWidget {
    Q_OBJECT
public:
    explicit TfrmQelTitleDetail(Table& library, QWidget* parent = nullptr);
    ~TfrmQelTitleDetail() override;

    PropertyInspector& Inspector() { return *inspector_; }

private:
    PropertyInspector* inspector_ = nullptr;
};

} // namespace corvane
