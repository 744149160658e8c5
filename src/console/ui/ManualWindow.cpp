#include "console/ui/ManualWindow.h"

#include "platform/qt/WindowPlacement.h"

#include <QImage>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace corvane {
namespace {

// The manual's pictures are screenshots as wide as the console; a browser
// shrinks them to the page, Qt's rich text does not, so they are scaled here
// to the width of the window's first size.
class ManualBrowser final : public QTextBrowser {
public:
    static constexpr int PictureWidth = 640;
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override {
        QVariant resource = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::ImageResource)
            return resource;
        QImage picture;
        if (resource.canConvert<QByteArray>())
            picture.loadFromData(resource.toByteArray());
        if (picture.isNull())
            picture = resource.value<QImage>();
        if (picture.isNull() || picture.width() <= PictureWidth)
            return resource;
        return picture.scaledToWidth(PictureWidth, Qt::SmoothTransformation);
    }
};

} // namespace

ManualWindow::ManualWindow(const std::filesystem::path& page, QWidget* owner) : QWidget(owner, Qt::Window) {
    PlaceWhenFirstShown(*this, Placement::OwnerCentre);
    setObjectName("frmManual");
    setWindowTitle("Vantor Corvane Help");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    browser_ = new ManualBrowser(this);
    browser_->setObjectName("tbManual");
    browser_->setOpenExternalLinks(false);
    browser_->setOpenLinks(true);
    browser_->setSource(QUrl::fromLocalFile(QString::fromStdString(page.string())));
    layout->addWidget(browser_);
    resize(760, 560);
}

void ManualWindow::ShowTopic(const std::string& topic) {
    if (topic.empty())
        browser_->scrollToAnchor({});
    else
        browser_->scrollToAnchor(QString::fromStdString(topic));
}

} // namespace corvane
