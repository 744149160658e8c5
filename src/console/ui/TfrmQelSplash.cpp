#include "console/ui/TfrmQelSplash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

// The picture lives in a static library, whose resources are registered by hand.
static void RegisterSplashResources() {
    Q_INIT_RESOURCE(splash);
}

namespace corvane {

TfrmQelSplash::TfrmQelSplash(QWidget* parent) : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    RegisterSplashResources();
    setObjectName("frmQelSplash");
    setFixedSize(279, 280);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* picture = new QLabel(this);
    picture->setObjectName("imgSplash");
    picture->setAlignment(Qt::AlignCenter);
    const QPixmap pixmap(":/console/splash.jpg", "JPG");
    hasPicture_ = !pixmap.isNull();
    picture->setPixmap(pixmap);
    layout->addWidget(picture);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

} // namespace corvane
