#pragma once

#include <QWidget>
#include <filesystem>
#include <string>

class QTextBrowser;

namespace corvane {

// The operator's manual in a window of the console's own, for a desktop with
// no browser: the manual's HTML page in Qt's rich-text browser, opened at a
// topic (an anchor of the page). Its links within the manual work; links
// leading off it are not followed (they would need the missing browser).
// Modeless, over the console. Main thread.
class ManualWindow final : public QWidget {
    Q_OBJECT
public:
    ManualWindow(const std::filesystem::path& page, QWidget* owner);

    // Shows the topic (an anchor of the page; "" the top).
    void ShowTopic(const std::string& topic);
    QTextBrowser& Browser() { return *browser_; }

private:
    QTextBrowser* browser_ = nullptr;
};

} // namespace corvane
