#include "library/ui/LibraryAnalysisProgress.h"

#include "library/LibraryAnalysis.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>

namespace corvane {

LibraryAnalysisProgress::LibraryAnalysisProgress(LibraryAnalysis& analysis, QWidget* parent)
    : QProgressDialog("Measuring the loudness and cue points of the library's titles…", "Cancel", 0, 1,
                      parent),
      analysis_(analysis) {
    setObjectName("frmAnalyseLibrary");
    setWindowTitle(Caption);
    setWindowModality(Qt::NonModal);
    setMinimumDuration(0);
    setAutoClose(false);
    setAutoReset(false);
    setAttribute(Qt::WA_DeleteOnClose);
    analysis_.ShowProgress([this](AnalysisQueue::Progress p) {
        setMaximum(std::max(p.total, 1));
        setValue(p.done);
        setLabelText(QString("Measured %1 of %2 titles").arg(p.done).arg(p.total));
        if (p.done >= p.total)
            close();
    });
    connect(this, &QProgressDialog::canceled, this, [this] {
        Guarded("frmAnalyseLibrary", [&] { analysis_.Cancel(); });
        close();
    });
}

void LibraryAnalysisProgress::Start() {
    if (analysis_.AnalyseLibrary() == 0)
        close();
}

LibraryAnalysisProgress::~LibraryAnalysisProgress() {
    analysis_.ShowProgress({});
}

} // namespace corvane
