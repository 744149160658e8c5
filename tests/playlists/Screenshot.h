#pragma once

#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>

namespace corvane::test {

// Saves a picture of the window as <name>.png into the folder named by
// CORVANE_SCREENSHOTS, when it is set (the manual's pictures); else nothing.
inline void SaveScreenshot(QWidget& window, const char* name) {
    const char* folder = std::getenv("CORVANE_SCREENSHOTS");
    if (!folder || !*folder)
        return;
    window.show();
    QApplication::processEvents();
    window.grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
}

} // namespace corvane::test
