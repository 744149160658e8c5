#include "console/ui/TfrmQeLiteMain.h"

namespace corvane {

TfrmQeLiteMain::TfrmQeLiteMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmQeLiteMain");
    setWindowTitle("Vantor Corvane");
    resize(1024, 720);
}

} // namespace corvane
