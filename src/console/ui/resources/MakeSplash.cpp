// Draws the splash picture (279 x 280 pixels) and writes it as a JPEG through
// Qt's JPEG image plug-in. Run by make-splash.sh; not part of the build.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QImage image(279, 280, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // A broadcast mast sending out waves.
    const QPointF top(139.5, 62);
    p.setPen(QPen(QColor(0, 70, 130), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(top, QPointF(112, 150));
    p.drawLine(top, QPointF(167, 150));
    p.drawLine(QPointF(122, 118), QPointF(157, 118));
    for (int i = 1; i <= 3; ++i) {
        const double r = 18.0 * i;
        p.setPen(QPen(QColor(0, 120, 200, 255 - 60 * i), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(top.x() - r, top.y() - r, 2 * r, 2 * r), 20 * 16, 50 * 16);
        p.drawArc(QRectF(top.x() - r, top.y() - r, 2 * r, 2 * r), 110 * 16, 50 * 16);
    }
    p.setBrush(QColor(220, 40, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(top, 6, 6);

    QFont title("DejaVu Sans", 20, QFont::Bold);
    p.setFont(title);
    p.setPen(QColor(0, 50, 100));
    p.drawText(QRectF(0, 170, 279, 36), Qt::AlignCenter, "Vantor Corvane");
    QFont subtitle("DejaVu Sans", 9);
    p.setFont(subtitle);
    p.setPen(QColor(80, 80, 80));
    p.drawText(QRectF(0, 206, 279, 20), Qt::AlignCenter, "Radio Broadcast Playout Console");
    QLinearGradient bar(0, 0, 279, 0);
    bar.setColorAt(0, QColor(0, 70, 130));
    bar.setColorAt(1, QColor(0, 160, 220));
    p.fillRect(QRectF(30, 236, 219, 4), bar);
    p.drawText(QRectF(0, 246, 279, 20), Qt::AlignCenter, "Loading...");
    p.end();
    return image.save(argv[1], "JPG", 90) ? 0 : 1;
}
