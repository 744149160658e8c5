#include "commercials/ui/CommercialsPage.h"

#include "platform/ExceptionGuard.h"
#include "platform/FlagScope.h"
#include "platform/qt/ConsoleCommands.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

namespace corvane {
namespace {

constexpr int BookmarkRole = Qt::UserRole + 1;

// The "Ad-Break" image the commercial rows show.
QIcon AdBreakIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 40, 40));
    painter.drawRoundedRect(0, 2, 16, 12, 3, 3);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(9);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, "AD");
    return QIcon(pixmap);
}

} // namespace

CommercialsPage::CommercialsPage(Table& list, ConsoleCommands& commands, QWidget* parent)
    : QWidget(parent), list_(list) {
    setObjectName("tsCommercials");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);

    rzCommercials = new QTreeWidget(this);
    rzCommercials->setObjectName("rzCommercials");
    rzCommercials->setColumnCount(2);
    rzCommercials->setHeaderLabels({"Name", "Modified"});
    rzCommercials->setRootIsDecorated(false);
    rzCommercials->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rzCommercials->setContextMenuPolicy(Qt::CustomContextMenu);
    rzCommercials->header()->setStretchLastSection(true);
    rzCommercials->setColumnWidth(0, 130);
    layout->addWidget(rzCommercials, 2);

    auto* right = new QVBoxLayout;
    dxgCommercial = new QTreeWidget(this);
    dxgCommercial->setObjectName("dxgCommercial");
    dxgCommercial->setColumnCount(4);
    dxgCommercial->setHeaderLabels({"", "Details", "Filename", "Duration"});
    dxgCommercial->setHeaderHidden(true);
    dxgCommercial->setContextMenuPolicy(Qt::CustomContextMenu);
    dxgCommercial->setColumnWidth(0, 60);
    dxgCommercial->setColumnWidth(1, 180);
    dxgCommercial->setColumnWidth(2, 220);
    right->addWidget(dxgCommercial, 1);
    lblCommercialTotal = new QLabel(this);
    lblCommercialTotal->setObjectName("lblCommercialTotal");
    lblCommercialTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCommercialTotal->setFrameShape(QFrame::Panel);
    lblCommercialTotal->setFrameShadow(QFrame::Sunken);
    right->addWidget(lblCommercialTotal);
    layout->addLayout(right, 5);

    pmCommercialLists = new QMenu(this);
    pmCommercialLists->setObjectName("pmCommercialLists");
    for (const char* name :
         {"actRefreshCommercialLists", "", "actNewCommercialList", "actEditCommercialList"}) {
        if (*name)
            pmCommercialLists->addAction(commands.Command(name));
        else
            pmCommercialLists->addSeparator();
    }
    pmCommercials = new QMenu(this);
    pmCommercials->setObjectName("pmCommercials");
    for (const char* name :
         {"actRapidFadeToNextCommercial", "actStopCommercialResume", "", "actViewNextCommercialOnly",
          "actPlaySelectedCommercial", "", "actRefreshCommercials"}) {
        if (*name)
            pmCommercials->addAction(commands.Command(name));
        else
            pmCommercials->addSeparator();
    }
    connect(rzCommercials, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        pmCommercialLists->popup(rzCommercials->viewport()->mapToGlobal(at));
    });
    connect(dxgCommercial, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmCommercials->popup(dxgCommercial->viewport()->mapToGlobal(at)); });

    const auto chosen = [this](QTreeWidgetItem* item) {
        if (item && !quiet_)
            emit ListChosen(item->text(0));
    };
    connect(rzCommercials, &QTreeWidget::currentItemChanged, this, chosen);
    connect(rzCommercials, &QTreeWidget::itemDoubleClicked, this, chosen);
    connect(dxgCommercial, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!item || quiet_)
            return;
        const Bookmark bookmark = item->data(0, BookmarkRole).toULongLong();
        if (bookmark != 0 && list_.Active()) {
            FlagScope guard(quiet_);
            Guarded("dxgCommercial", [&] { list_.GotoBookmark(bookmark); });
        }
    });

    list_.AddObserver(*this);
    Rebuild();
}

CommercialsPage::~CommercialsPage() {
    list_.RemoveObserver(*this);
}

void CommercialsPage::ShowLists(const std::filesystem::path& folder,
                                const std::vector<std::string>& entries) {
    FlagScope guard(quiet_);
    const QString current = rzCommercials->currentItem() ? rzCommercials->currentItem()->text(0) : QString();
    rzCommercials->clear();
    for (const std::string& entry : entries) {
        const QFileInfo info(QString::fromStdString((folder / entry).string()));
        auto* item = new QTreeWidgetItem(
            rzCommercials, {QString::fromStdString(entry), info.lastModified().toString("yyyy-MM-dd hh:mm")});
        if (item->text(0) == current)
            rzCommercials->setCurrentItem(item);
    }
}

void CommercialsPage::ShowCurrentList(const std::string& entry) {
    FlagScope guard(quiet_);
    const QList<QTreeWidgetItem*> found =
        rzCommercials->findItems(QString::fromStdString(entry), Qt::MatchFixedString);
    if (!found.isEmpty())
        rzCommercials->setCurrentItem(found.front());
}

void CommercialsPage::HoldGrid(bool hold) {
    held_ += hold ? 1 : -1;
    if (held_ < 0)
        held_ = 0;
    dxgCommercial->setUpdatesEnabled(held_ == 0);
    if (held_ == 0)
        Rebuild();
}

void CommercialsPage::TableDataChanged(Table&) {
    if (!quiet_)
        Rebuild();
}

void CommercialsPage::TableScrolled(Table&) {
    if (!quiet_)
        FollowCursor();
}

// The grid reads the rows the table shows (its order, filter and master link)
// by walking the table's own cursor, which it puts back afterwards.
void CommercialsPage::Rebuild() {
    if (held_ > 0)
        return;
    FlagScope guard(quiet_);
    dxgCommercial->clear();
    int64_t total = 0;
    if (list_.Active() && (list_.State() == TableState::Browse)) {
        Guarded("dxgCommercial", [&] {
            const bool pastEnd = list_.Eof() && !list_.IsEmpty();
            const Bookmark place = list_.GetBookmark();
            QTreeWidgetItem* group = nullptr;
            QString groupTime;
            const QIcon icon = AdBreakIcon();
            for (list_.First(); !list_.Eof(); list_.Next()) {
                const QString time = QString::fromStdString(list_.FieldByName("BOOK_TIME").AsString());
                if (!group || time != groupTime) {
                    group = new QTreeWidgetItem(dxgCommercial, {"Break Time: " + time});
                    group->setFirstColumnSpanned(true);
                    group->setExpanded(true);
                    groupTime = time;
                }
                const int64_t duration = list_.FieldByName("DURATION").AsInteger();
                total += duration;
                auto* row = new QTreeWidgetItem(
                    group, {"", QString::fromStdString(list_.FieldByName("Campaign_Details").AsString()),
                            QString::fromStdString(list_.FieldByName("NetworkPathToFile").AsString()),
                            QString::number(duration)});
                if (list_.FieldByName("ImageIndex").AsString() == "33")
                    row->setIcon(0, icon);
                row->setData(0, BookmarkRole, QVariant::fromValue<qulonglong>(list_.GetBookmark()));
            }
            if (pastEnd) {
                list_.Last();
                list_.Next();
            } else if (place != 0) {
                list_.GotoBookmark(place);
            }
        });
    }
    dxgCommercial->expandAll();
    lblCommercialTotal->setText(QString("Total Duration: %1").arg(total));
    FollowCursor();
}

void CommercialsPage::FollowCursor() {
    FlagScope guard(quiet_);
    if (!list_.Active() || list_.Eof() || list_.IsEmpty()) {
        dxgCommercial->setCurrentItem(nullptr);
        return;
    }
    const Bookmark current = list_.GetBookmark();
    for (int g = 0; g < dxgCommercial->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = dxgCommercial->topLevelItem(g);
        for (int r = 0; r < group->childCount(); ++r)
            if (group->child(r)->data(0, BookmarkRole).toULongLong() == current) {
                dxgCommercial->setCurrentItem(group->child(r));
                return;
            }
    }
}

} // namespace corvane
