#pragma once

#include "platform/FileDialogs.h"

#include <QString>

class QWidget;

namespace corvane {

// File dialogs with QFileDialog.
class QtFileDialogs final : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
    std::vector<std::string> OpenFiles(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> BrowseFolder(const std::string& title,
                                            const std::string& initialFolder) override;

    // "Schedule Files (*.wsl)|*.wsl" → "Schedule Files (*.wsl) (*.wsl)" in Qt's ";;" notation.
    static QString ToQtFilter(const std::string& filter, int filterIndex, QString* selected);

private:
    QWidget* parent_;
};

} // namespace corvane
