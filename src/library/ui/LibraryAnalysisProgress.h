#pragma once

#include <QProgressDialog>

namespace corvane {

class LibraryAnalysis;

// "Analyse Library": hands every title to the measuring and shows how far it
// has got, with Cancel, without blocking the library manager or the console
// (the measuring runs on worker threads; the progress arrives on the main
// thread). Goes when the measuring ends or is cancelled.
class LibraryAnalysisProgress final : public QProgressDialog {
    Q_OBJECT
public:
    static constexpr const char* Caption = "Analyse Library";

    LibraryAnalysisProgress(LibraryAnalysis& analysis, QWidget* parent);
    ~LibraryAnalysisProgress() override;

    // Hands the titles over; closes at once when the library has none.
    void Start();

private:
    LibraryAnalysis& analysis_;
};

} // namespace corvane
