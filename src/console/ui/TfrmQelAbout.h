#pragma once

#include <QDialog>
#include <QString>

namespace corvane {

// The program's version (the project's version) and build (the commit it
// was built from, "-dirty" when built with uncommitted changes).
QString ProgramVersion();
QString ProgramBuild();

// The About box ("About Vantor Corvane"): the program's name, picture,
// version and build, and the folder that holds its settings and tables.
// Modal. Main thread.
class TfrmQelAbout final : public QDialog {
    Q_OBJECT
public:
    TfrmQelAbout(const QString& dataFolder, QWidget* parent = nullptr);
};

} // namespace corvane
