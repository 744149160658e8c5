#pragma once

#include <QMainWindow>

namespace corvane {

// The console window: the program's main window.
class TfrmQeLiteMain final : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmQeLiteMain(QWidget* parent = nullptr);
};

} // namespace corvane
