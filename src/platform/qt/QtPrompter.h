#pragma once

#include "platform/Prompter.h"

class QWidget;

namespace corvane {

// Message boxes with QMessageBox, titled with the application's name.
class QtPrompter final : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    MessageAnswer Show(const std::string& text, MessageType type, MessageButtons buttons) override;

private:
    QWidget* parent_;
};

} // namespace corvane
