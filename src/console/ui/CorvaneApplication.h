#pragma once

#include <QApplication>

namespace corvane {

// The Qt application. Its notify is the last guard of the event loop: an
// exception that escaped a slot or an event handler goes to the exception
// handler instead of terminating the program.
//
// It also bounds Qt's shared pixmap cache (QPixmapCache, 10 MB by default):
// the style keeps a pixmap there for each header section and frame it draws,
// keyed by size, state and palette, and on air the grids' headers kept adding
// entries, about 0.65 MB a minute, until the cache reached Qt's limit. What
// the windows draw at any moment needs a few hundred KB; the rest was memory
// held for pixmaps seldom or never drawn again, and the cache drops the least
// recently used ones first.
class CorvaneApplication final : public QApplication {
public:
    static constexpr int PixmapCacheLimitKb = 2048;

    CorvaneApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace corvane
