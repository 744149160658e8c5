#pragma once

#include <QApplication>

namespace corvane {

// The Qt application. Its notify is the last guard of the event loop: an
// exception that escaped a slot or an event handler goes to the exception
// handler instead of terminating the program.
class CorvaneApplication final : public QApplication {
public:
    CorvaneApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace corvane
