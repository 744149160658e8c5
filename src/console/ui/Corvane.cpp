// Program entry. No command-line arguments are interpreted.
#include "console/ui/CorvaneApplication.h"
#include "console/ui/TfrmQeLiteMain.h"

int main(int argc, char** argv) {
    corvane::CorvaneApplication app(argc, argv);
    corvane::TfrmQeLiteMain console;
    console.show();
    return app.exec();
}
