#include "app/gui/changes_panel.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMainWindow>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/gui/qt_text.h"
#include "app/gui/view_focus.h"

namespace zkl::gui {

namespace {

enum Column { ChangeColumn, LabelColumn, ComponentColumn, TextColumn };

constexpr LabelChange AllChanges[] = {LabelChange::Kept,    LabelChange::Retexted, LabelChange::Moved,
                                      LabelChange::Removed, LabelChange::Added,    LabelChange::Orphaned};

// The circle that marks where a removed label stood: about a label's height across on a
// plotted sheet, drawn red and heavy so it does not pass for part of the drawing. The view
// takes in a few times as much, so the components round it show.
constexpr double MarkRadiusShareOfSheet = 0.006;
constexpr double MarkViewRadii = 6.0;
constexpr int MarkColour = 3;
constexpr int MarkWeight = 3;

constexpr const char* WarningStyle =
    "QLabel { background: #fff3c4; border: 1px solid #e0c060; padding: 4px; }";
constexpr const char* PlainStyle = "QLabel { padding: 4px; }";

const QString Arrow = QString::fromUtf8(" \u2192 ");

QString PlaceText(const std::optional<Point>& place) {
    if (!place) return "-";
    return QString("(%1, %2)").arg(place->x, 0, 'f', 2).arg(place->y, 0, 'f', 2);
}

// Kept labels are only counted, as on the command line, unless the update touched their
// leader.
bool IsUnchanged(const LabelChangeEntry& entry) { return entry.change == LabelChange::Kept && !entry.leaderRedrawn; }

QString ChangeText(const LabelChangeEntry& entry) {
    const QString name = FromUtf8(LabelChangeName(entry.change));
    return entry.leaderRedrawn ? name + ", leader redrawn" : name;
}

ElementId StandingCell(const LabelChangeEntry& entry) {
    return entry.change == LabelChange::Removed ? NoElementId : entry.newCell;
}

QString TextText(const LabelChangeEntry& entry) {
    switch (entry.change) {
        case LabelChange::Removed:
        case LabelChange::Orphaned: return FromUtf8(entry.oldText);
        case LabelChange::Retexted:
        case LabelChange::Moved:
            if (entry.oldText != entry.newText) return FromUtf8(entry.oldText) + Arrow + FromUtf8(entry.newText);
            return FromUtf8(entry.newText);
        default: return FromUtf8(entry.newText);
    }
}

QString ToolTip(const LabelChangeEntry& entry) {
    QStringList lines;
    lines << QObject::tr("placed: %1").arg(FromUtf8(LabelPlacementName(entry.placement)));
    if (entry.change == LabelChange::Moved)
        lines << QObject::tr("moved from %1 to %2").arg(PlaceText(entry.oldPlace), PlaceText(entry.newPlace));
    else if (entry.change == LabelChange::Removed)
        lines << QObject::tr("stood at %1 (cell #%2, now deleted)").arg(PlaceText(entry.oldPlace)).arg(entry.oldCell);
    else
        lines << QObject::tr("at %1").arg(PlaceText(entry.newPlace ? entry.newPlace : entry.oldPlace));
    if (entry.change == LabelChange::Orphaned)
        lines << QObject::tr("Its component is gone. The label was placed by hand, so it was left in place: "
                             "check it, and delete it if it is no longer wanted.");
    if (entry.leaderRedrawn) lines << QObject::tr("Its component moved; the leader now starts from it.");
    return lines.join('\n');
}

}  // namespace

ChangesPanel::ChangesPanel(QWidget* parent) : QDockWidget(tr("Annotation Changes"), parent) {
    setObjectName("changes");
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 4, 4, 4);

    notice_ = new QLabel(content);
    notice_->setWordWrap(true);
    summary_ = new QLabel(content);
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    showUnchanged_ = new QCheckBox(tr("Show unchanged"), content);
    showUnchanged_->setToolTip(tr("Also list the labels the update left as they stood"));
    list_ = new QTreeWidget(content);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->setHeaderLabels({tr("Change"), tr("Label"), tr("Component"), tr("Text")});
    list_->header()->setStretchLastSection(true);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    layout->addWidget(notice_);
    layout->addWidget(summary_);
    layout->addWidget(showUnchanged_);
    layout->addWidget(list_, 1);
    setWidget(content);
    SetNotice(tr("Labeller > Update Annotation brings the labels up to date with a changed plant model "
                 "and lists here what it did to each."),
              false);

    const auto show = [this](QTreeWidgetItem* item) {
        if (!item || outOfDate_) return;
        const auto index = item->data(ChangeColumn, Qt::UserRole).toULongLong();
        if (index < changes_.entries.size()) ShowEntry(changes_.entries[index]);
    };
    connect(list_, &QTreeWidget::currentItemChanged, this, [show](QTreeWidgetItem* current) { show(current); });
    connect(list_, &QTreeWidget::itemActivated, this, [show](QTreeWidgetItem* item) { show(item); });
    connect(showUnchanged_, &QCheckBox::toggled, this, [this] { FillList(); });
    connect(toggleViewAction(), &QAction::triggered, this, [this](bool shown) {
        if (!shown) TakeHighlightBack();
    });
}

void ChangesPanel::ShowChanges(GuiHost& host, const LabelChanges& changes) {
    if (host_ == &host) ClearHighlight();
    host_ = &host;
    changes_ = changes;
    outOfDate_ = false;

    QStringList counts;
    for (const LabelChange change : AllChanges)
        counts << QString("%1 %2").arg(changes.Count(change)).arg(FromUtf8(LabelChangeName(change)));
    QStringList lines;
    lines << tr("Labels: %1").arg(counts.join(", "));
    lines << (!changes.sidesRebuilt   ? tr("Side labels and dimensions left as they were")
              : changes.sidesChanged ? tr("Side labels and dimensions rebuilt")
                                     : tr("Side labels and dimensions rebuilt, unchanged"));
    if (!changes.ChangedSheet()) lines << tr("The update changed nothing.");
    summary_->setText(lines.join('\n'));
    const std::int64_t orphaned = changes.Count(LabelChange::Orphaned);
    SetNotice(orphaned > 0 ? tr("%n hand-placed label(s) lost their component and were left in place: check "
                                "the entries marked orphaned.",
                                "", static_cast<int>(orphaned))
                           : QString(),
              orphaned > 0);
    FillList();
    if (highlightChanged) highlightChanged();
    const bool firstShown = isHidden();
    show();
    raise();
    // A dock first takes the width of a default list; this one needs its columns, but no
    // more than about half the window.
    auto* window = qobject_cast<QMainWindow*>(parentWidget());
    if (firstShown && window && !isFloating()) {
        // The last column stretches, so the header's length is the list's, not the columns'.
        int columns = 0;
        for (int column = ChangeColumn; column < TextColumn; ++column) columns += list_->header()->sectionSize(column);
        int text = list_->header()->sectionSizeHint(TextColumn);
        for (int i = 0; i < list_->topLevelItemCount(); ++i)
            text = std::max(text, list_->fontMetrics().horizontalAdvance(list_->topLevelItem(i)->text(TextColumn)) + 12);
        columns += text;
        const int wanted =
            columns + 2 * list_->frameWidth() + list_->verticalScrollBar()->sizeHint().width() + 16;
        window->resizeDocks({this}, {std::min(wanted, window->width() * 9 / 20)}, Qt::Horizontal);
    }
}

void ChangesPanel::FillList() {
    TakeHighlightBack();
    const QSignalBlocker quiet(list_);  // filling the list is no choice of the user's
    list_->clear();
    for (std::size_t i = 0; i < changes_.entries.size(); ++i) {
        const LabelChangeEntry& entry = changes_.entries[i];
        if (IsUnchanged(entry) && !showUnchanged_->isChecked()) continue;
        auto* item = new QTreeWidgetItem(list_);
        item->setText(ChangeColumn, ChangeText(entry));
        const ElementId cell = StandingCell(entry) != NoElementId ? StandingCell(entry) : entry.oldCell;
        item->setText(LabelColumn, cell == NoElementId ? QString() : QString("#%1").arg(cell));
        item->setText(ComponentColumn, FromUtf8(entry.component));
        item->setText(TextColumn, TextText(entry));
        item->setData(ChangeColumn, Qt::UserRole, QVariant::fromValue<qulonglong>(i));
        const QString tip = ToolTip(entry);
        for (int column = ChangeColumn; column <= TextColumn; ++column) item->setToolTip(column, tip);
        if (entry.change == LabelChange::Orphaned) item->setForeground(ChangeColumn, QColor(0xb0, 0x40, 0x00));
        if (entry.change == LabelChange::Removed)
            for (int column = ChangeColumn; column <= TextColumn; ++column) item->setForeground(column, Qt::gray);
    }
}

void ChangesPanel::ShowEntry(const LabelChangeEntry& entry) {
    if (!host_) return;
    ClearHighlight();
    std::optional<Range> box;
    if (const ElementId id = StandingCell(entry); id != NoElementId) {
        try {
            const Element cell = host_->GetElement(ActiveModelId, id);
            host_->SetHighlight(cell, true);
            highlighted_ = id;
            box = LabelBodyRange(*host_, cell);
        } catch (const std::exception&) {
            // Gone since the update; its recorded place still shows where it was.
        }
    }
    const Range sheet = host_->GetDrawing().activeModel.Extent();
    const double radius = MarkRadiusShareOfSheet * std::max(sheet.high.x - sheet.low.x, sheet.high.y - sheet.low.y);
    const std::optional<Point> place = entry.newPlace ? entry.newPlace : entry.oldPlace;
    if (!box && place) {
        const Point reach{MarkViewRadii * radius, MarkViewRadii * radius, 0};
        box = Range::FromPoint(*place - reach);
        box->Extend(*place + reach);
    }
    if (entry.change == LabelChange::Removed && entry.oldPlace) {
        Element mark = MakeEllipse(*entry.oldPlace, radius, radius);
        mark.symbology.colour = MarkColour;
        mark.symbology.weight = MarkWeight;
        host_->ShowTransient({mark});
        marked_ = true;
    }
    if (box) host_->SetViewArea(1, AreaAround(*host_, *box));
    if (highlightChanged) highlightChanged();
}

void ChangesPanel::ClearHighlight() {
    if (!host_) return;
    if (highlighted_ != NoElementId) {
        try {
            host_->SetHighlight(host_->GetElement(ActiveModelId, highlighted_), false);
        } catch (const std::exception&) {
            // The cell is gone, and the host forgot its highlight with it.
        }
    }
    highlighted_ = NoElementId;
    if (marked_) host_->ClearTransient();
    marked_ = false;
}

void ChangesPanel::TakeHighlightBack() {
    const bool shown = highlighted_ != NoElementId || marked_;
    ClearHighlight();
    {
        const QSignalBlocker quiet(list_);
        list_->setCurrentItem(nullptr);
    }
    if (shown && highlightChanged) highlightChanged();
}

void ChangesPanel::SheetChanged() {
    if (!host_) return;
    TakeHighlightBack();
    outOfDate_ = true;
    SetNotice(tr("The sheet has changed since this update: the cells listed may be gone or different. "
                 "Update Annotation again for a new list."),
              true);
}

void ChangesPanel::SheetReplaced() {
    if (!host_) return;
    ClearHighlight();
    host_ = nullptr;
    changes_ = {};
    outOfDate_ = false;
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
    }
    summary_->clear();
    SetNotice(tr("Another sheet was opened: update its annotation to list the changes."), false);
}

void ChangesPanel::SetNotice(const QString& text, bool warning) {
    notice_->setText(text);
    notice_->setStyleSheet(warning ? WarningStyle : PlainStyle);
    notice_->setVisible(!text.isEmpty());
}

void ChangesPanel::closeEvent(QCloseEvent* event) {
    TakeHighlightBack();
    QDockWidget::closeEvent(event);
}

}  // namespace zkl::gui
