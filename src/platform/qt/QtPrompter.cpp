#include "platform/qt/QtPrompter.h"

#include <QApplication>
#include <QMessageBox>

namespace corvane {

MessageAnswer QtPrompter::Show(const std::string& text, MessageType type, MessageButtons buttons) {
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (type) {
    case MessageType::Information:
        icon = QMessageBox::Information;
        break;
    case MessageType::Warning:
        icon = QMessageBox::Warning;
        break;
    case MessageType::Confirmation:
        icon = QMessageBox::Question;
        break;
    case MessageType::Error:
        icon = QMessageBox::Critical;
        break;
    }
    QMessageBox::StandardButtons set = QMessageBox::Ok;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    switch (buttons) {
    case MessageButtons::Ok:
        set = QMessageBox::Ok;
        escape = QMessageBox::Ok;
        break;
    case MessageButtons::YesNo:
        set = QMessageBox::Yes | QMessageBox::No;
        escape = QMessageBox::No;
        break;
    case MessageButtons::YesNoCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    case MessageButtons::OkCancel:
        set = QMessageBox::Ok | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    }
    QMessageBox box(icon, QApplication::applicationName(), QString::fromStdString(text), set, parent_);
    box.setEscapeButton(escape);
    const int answer = box.exec();
    switch (answer) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        break;
    }
    switch (escape) {
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return MessageAnswer::Ok;
    }
}

} // namespace corvane
