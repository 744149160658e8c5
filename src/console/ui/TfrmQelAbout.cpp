#include "console/ui/TfrmQelAbout.h"

#include "console/BuildVersion.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace corvane {

QString ProgramVersion() {
    return QStringLiteral(CORVANE_VERSION);
}

QString ProgramBuild() {
    return QStringLiteral(CORVANE_COMMIT);
}

TfrmQelAbout::TfrmQelAbout(const QString& dataFolder, QWidget* parent) : QDialog(parent) {
    setObjectName("frmQelAbout");
    setWindowTitle("About Vantor Corvane");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setObjectName("imgAbout");
    const QPixmap pixmap(":/console/splash.jpg", "JPG");
    picture->setPixmap(pixmap.scaledToWidth(360, Qt::SmoothTransformation));
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    auto* name = new QLabel("Vantor Corvane", this);
    QFont heading = name->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.4);
    name->setFont(heading);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    auto* version = new QLabel("Version " + ProgramVersion(), this);
    version->setObjectName("lblVersion");
    layout->addWidget(version, 0, Qt::AlignHCenter);
    auto* build = new QLabel("Build " + ProgramBuild(), this);
    build->setObjectName("lblBuild");
    build->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(build, 0, Qt::AlignHCenter);
    auto* data = new QLabel("Data folder: " + dataFolder, this);
    data->setObjectName("lblDataFolder");
    data->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(data, 0, Qt::AlignHCenter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace corvane
