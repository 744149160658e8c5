#include "console/ui/QtGridAppearance.h"

#include <QApplication>
#include <QHeaderView>
#include <QPalette>
#include <QTableView>

namespace corvane {
namespace {

// The desktop's colours that the settings name by their classic index.
QColor SystemColorOf(int index) {
    const QPalette palette = QApplication::palette();
    switch (index) {
    case 4:  // menu
    case 5:  // window
    case 12: // application workspace
        return palette.color(QPalette::Base);
    case 7: // menu text
    case 8: // window text
    case 9: // caption text
        return palette.color(QPalette::WindowText);
    case 13:
        return palette.color(QPalette::Highlight);
    case 14:
        return palette.color(QPalette::HighlightedText);
    case 15: // button face
        return palette.color(QPalette::Button);
    case 16:
        return palette.color(QPalette::Dark);
    case 17:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18:
        return palette.color(QPalette::ButtonText);
    case 20:
    case 22:
        return palette.color(QPalette::Light);
    case 21:
        return palette.color(QPalette::Shadow);
    case 23:
        return palette.color(QPalette::ToolTipText);
    case 24:
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Window);
    }
}

} // namespace

QColor ToQColor(TColor color) {
    if (IsSystemColor(color))
        return SystemColorOf(SystemColorIndex(color));
    return QColor(Red(color), Green(color), Blue(color));
}

TColor FromQColor(const QColor& color) {
    return RgbColor(color.red(), color.green(), color.blue());
}

QFont ToQFont(const GridFont& f) {
    QFont font(QString::fromStdString(f.name));
    font.setPointSize(f.size > 0 ? f.size : 8);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeout);
    return font;
}

GridFont FromQFont(const QFont& font, TColor color) {
    GridFont f;
    f.name = font.family().toStdString();
    f.size = font.pointSize() > 0 ? font.pointSize() : 8;
    f.color = color;
    f.bold = font.bold();
    f.italic = font.italic();
    f.underline = font.underline();
    f.strikeout = font.strikeOut();
    return f;
}

void ApplyAppearance(QTableView& grid, const GridAppearance& a) {
    grid.setShowGrid(a.showGridLines);
    grid.setFont(ToQFont(a.font));
    QPalette palette = grid.palette();
    palette.setColor(QPalette::Base, ToQColor(a.color));
    palette.setColor(QPalette::Text, ToQColor(a.font.color));
    grid.setPalette(palette);
    grid.verticalHeader()->setDefaultSectionSize(a.rowHeight);
    QHeaderView* header = grid.horizontalHeader();
    header->setVisible(a.showHeader);
    header->setFont(ToQFont(a.headerFont));
    header->setStyleSheet(QString("QHeaderView::section { background-color: %1; color: %2; }")
                              .arg(ToQColor(a.headerColor).name(), ToQColor(a.headerFont.color).name()));
}

} // namespace corvane
