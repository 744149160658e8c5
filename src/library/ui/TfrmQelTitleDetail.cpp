#include "library/ui/TfrmQelTitleDetail.h"

#include "library/InspectorRows.h"
#include "library/ui/PropertyInspector.h"
#include "platform/qt/WindowPlacement.h"

#include <QVBoxLayout>

namespace corvane {

TfrmQelTitleDetail::TfrmQelTitleDetail(Table& library, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    // A small tool window: over the window that opened it.
    PlaceWhenFirstShown(*this, Placement::OwnerCentre);
    setObjectName("frmQelTitleDetail");
    setWindowTitle("Details");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    inspector_ = new PropertyInspector(library, "dxInspector", this);
    layout->addWidget(inspector_);
    inspector_->SetRows(InspectorRowsFor(library, {"TitleName",
                                                   "TitleDescription",
                                                   "TitleComposer",
                                                   "TitleArtistName",
                                                   "TitleDiscID",
                                                   "TitleReleaseYear",
                                                   "TitleHighestChartPosition",
                                                   "TitleChartYear",
                                                   "TitleIntroDuration",
                                                   "TitleOutroDuration",
                                                   "TitleDuration",
                                                   "NetworkPathToFile",
                                                   "LocalPathToFile",
                                                   "Category",
                                                   "Tempo",
                                                   "SchedulerCodes",
                                                   "LastPlayed",
                                                   "TimesPlayed",
                                                   "Rating",
                                                   "Notes",
                                                   "Status",
                                                   "UploadDate",
                                                   "UploadUser",
                                                   "Interpret",
                                                   "TitleTrackNo",
                                                   "TitleGenre",
                                                   "TitlePublisher",
                                                   "TitleLabel"}));
    resize(320, 520);
}

TfrmQelTitleDetail::~TfrmQelTitleDetail() = default;

} // namespace corvane
