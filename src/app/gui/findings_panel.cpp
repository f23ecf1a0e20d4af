#include "app/gui/findings_panel.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMainWindow>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/gui/qt_text.h"
#include "app/gui/view_focus.h"
#include "dialog/frm_main.h"
#include "settings/read_settings_from_dialog.h"

namespace zkl::gui {

namespace {

enum Column { KindColumn, LabelsColumn, ComponentsColumn, AmountColumn };

constexpr const char* WarningStyle =
    "QLabel { background: #fff3c4; border: 1px solid #e0c060; padding: 4px; }";
constexpr const char* PlainStyle = "QLabel { padding: 4px; }";

// Three decimals, as `zkl-labeller check` prints: findings are judged to a thousandth.
QString Number(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return QString::fromStdString(text == "-0" ? "0" : text);
}

bool HasAmount(FindingKind kind) {
    return kind == FindingKind::BodyOverlap || kind == FindingKind::BodyOutsideArea ||
           kind == FindingKind::SideLabelsTooClose;
}

// Every component a finding names, its labels' first, each once.
std::vector<ComponentRef> ComponentsOf(const Finding& finding) {
    std::vector<ComponentRef> components;
    auto add = [&](const std::optional<ComponentRef>& component) {
        if (component && std::find(components.begin(), components.end(), *component) == components.end())
            components.push_back(*component);
    };
    for (const LabelRef& label : finding.labels) add(label.component);
    add(finding.component);
    return components;
}

QString LabelsText(const Finding& finding) {
    QStringList cells;
    for (const LabelRef& label : finding.labels) cells << QString("#%1").arg(label.cell);
    return cells.join(", ");
}

// "PlantModel #10, #9": the attachment is named once for a run of its components.
QString ComponentsText(const std::vector<ComponentRef>& components) {
    QStringList parts;
    const std::string* model = nullptr;
    for (const ComponentRef& component : components) {
        const QString id = QString("#%1").arg(component.id);
        parts << (model && *model == component.model ? id : FromUtf8(component.model) + " " + id);
        model = &component.model;
    }
    return parts.join(", ");
}

QString Plural(std::size_t count, const char* one, const char* many) {
    return QString("%1 %2").arg(count).arg(count == 1 ? one : many);
}

std::optional<ModelId> AttachmentNamed(const Host& host, const std::string& name) {
    for (const AttachmentInfo& attachment : host.Attachments())
        if (attachment.name == name) return attachment.model;
    return std::nullopt;
}

}  // namespace

FindingsPanel::FindingsPanel(QWidget* parent) : QDockWidget(tr("Layout Findings"), parent) {
    setObjectName("findings");
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 4, 4, 4);

    notice_ = new QLabel(content);
    notice_->setWordWrap(true);
    checkButton_ = new QPushButton(tr("Check Layout"), content);
    summary_ = new QLabel(content);
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    list_ = new QTreeWidget(content);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->setHeaderLabels({tr("Finding"), tr("Labels"), tr("Components"), tr("Amount")});
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    layout->addWidget(notice_);
    layout->addWidget(checkButton_, 0, Qt::AlignLeft);
    layout->addWidget(summary_);
    layout->addWidget(list_, 1);
    setWidget(content);
    SetNotice(tr("Check Layout judges the sheet as it is: overlapping bodies, crossing leaders, bodies "
                 "outside their area, components without a label, side labels too close."),
              false);

    connect(checkButton_, &QPushButton::clicked, this, [this] {
        if (checkRequested) checkRequested();
    });
    const auto show = [this](QTreeWidgetItem* item) {
        if (!item) return;
        const auto index = item->data(KindColumn, Qt::UserRole).toULongLong();
        if (index < findings_.size()) ShowFinding(findings_[index]);
    };
    connect(list_, &QTreeWidget::currentItemChanged, this,
            [show](QTreeWidgetItem* current) { show(current); });
    // Hidden from the View menu, as closed by its button: what it highlighted would stay
    // with nothing to say why.
    connect(toggleViewAction(), &QAction::triggered, this, [this](bool shown) {
        if (!shown) TakeHighlightBack();
    });
    // Enter or a double click shows the finding again after the user panned away.
    connect(list_, &QTreeWidget::itemActivated, this, [show](QTreeWidgetItem* item) { show(item); });
}

void FindingsPanel::Check(GuiHost& host, mdlOPM_Labeller& module) {
    if (!module.dialog) throw std::logic_error("the layout check needs a started labeller");
    QualityReport report;
    try {
        ItemRows labelItems;
        ItemRows dimItems;
        ReadSettingsFromDialog(module, *module.dialog, labelItems, dimItems);
        report = CheckAnnotation(module, labelItems);
    } catch (const std::exception& error) {
        if (failed) failed(tr("Cannot check the layout: %1").arg(FromUtf8(error.what())));
        return;
    }
    if (host_ == &host) ClearHighlight();
    host_ = &host;
    ShowReport(report);
    if (highlightChanged) highlightChanged();
    const bool firstShown = isHidden();
    show();
    raise();
    // A dock first takes the width of a default list; this one needs its columns, but no
    // more than about half the window.
    auto* window = qobject_cast<QMainWindow*>(parentWidget());
    if (firstShown && window && !isFloating()) {
        const int wanted = list_->header()->length() + 2 * list_->frameWidth() +
                           list_->verticalScrollBar()->sizeHint().width() + 16;
        window->resizeDocks({this}, {std::min(wanted, window->width() * 9 / 20)}, Qt::Horizontal);
    }
}

void FindingsPanel::ShowReport(const QualityReport& report) {
    const QSignalBlocker quiet(list_);  // filling the list is no choice of the user's
    list_->clear();
    findings_ = report.findings;
    outOfDate_ = false;
    checkButton_->setText(tr("Check Again"));

    QStringList lines;
    lines << tr("%1, %2, %3, %4 the label rows select")
                 .arg(Plural(static_cast<std::size_t>(report.areas), "drawing area", "drawing areas"),
                      Plural(report.componentLabels, "component label", "component labels"),
                      Plural(report.sideLabels, "side label", "side labels"),
                      Plural(report.selectedComponents, "component", "components"));
    if (report.areas == 0) {
        summary_->setText(lines.join('\n'));
        summary_->setToolTip({});
        findings_.clear();
        return SetNotice(tr("The sheet has no drawing area (no closed shape on the border level the "
                            "configuration names), so there is nothing to check."),
                         false);
    }
    if (report.componentLabels + report.sideLabels == 0) {
        summary_->setText(lines.join('\n'));
        summary_->setToolTip({});
        findings_.clear();
        return SetNotice(
            tr("The sheet has no labels yet: place some (Automatic Place, for one), then check again."),
            false);
    }

    QStringList counts;
    QStringList everyCount;
    for (const FindingKind kind : AllFindingKinds) {
        const std::size_t count = report.Count(kind);
        everyCount << QString("%1: %2").arg(FromUtf8(FindingTitle(kind))).arg(count);
        if (count > 0) counts << QString("%1 %2").arg(count).arg(FromUtf8(FindingTitle(kind)));
    }
    lines << (findings_.empty()
                  ? tr("No findings.")
                  : tr("%1: %2").arg(Plural(findings_.size(), "finding", "findings"), counts.join(", ")));
    if (report.leaders > 0)
        lines << tr("Leaders through a body: %1 of %2 (%3%)")
                     .arg(report.leadersThroughBodies)
                     .arg(report.leaders)
                     .arg(100.0 * static_cast<double>(report.leadersThroughBodies) /
                              static_cast<double>(report.leaders),
                          0, 'f', 1);
    const LeaderLengths& lengths = report.leaderLengths;
    if (lengths.count > 0)
        lines << tr("Leader length: median %1, 95th percentile %2, max %3")
                     .arg(Number(lengths.median), Number(lengths.p95), Number(lengths.max));
    summary_->setText(lines.join('\n'));
    summary_->setToolTip(everyCount.join('\n'));
    SetNotice({}, false);

    for (std::size_t i = 0; i < findings_.size(); ++i) {
        const Finding& finding = findings_[i];
        auto* item = new QTreeWidgetItem(list_);
        item->setText(KindColumn, FromUtf8(FindingTitle(finding.kind)));
        item->setText(LabelsColumn, LabelsText(finding));
        item->setText(ComponentsColumn, ComponentsText(ComponentsOf(finding)));
        item->setText(AmountColumn, HasAmount(finding.kind) ? Number(finding.amount) : QString());
        item->setTextAlignment(AmountColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(KindColumn, Qt::UserRole, QVariant::fromValue<qulonglong>(i));
        QString where = tr("at (%1, %2)").arg(Number(finding.at.x), Number(finding.at.y));
        if (!finding.note.empty()) where += "\n" + FromUtf8(finding.note);
        for (int column = KindColumn; column <= AmountColumn; ++column) item->setToolTip(column, where);
    }
}

void FindingsPanel::ShowFinding(const Finding& finding) {
    if (!host_) return;
    ClearHighlight();
    std::vector<std::pair<ModelId, ElementId>> keys;
    for (const LabelRef& label : finding.labels) keys.emplace_back(ActiveModelId, label.cell);
    for (const ComponentRef& component : ComponentsOf(finding))
        if (const std::optional<ModelId> model = AttachmentNamed(*host_, component.model))
            keys.emplace_back(*model, component.id);

    Range box = Range::FromPoint(finding.at);
    for (const auto& [model, id] : keys) {
        Element element;
        try {
            element = host_->GetElement(model, id);
        } catch (const std::exception&) {
            continue;  // gone since the check (an undo, a command): the place still shows
        }
        host_->SetHighlight(element, true);
        highlighted_.insert({model, id});
        box.Extend(model == ActiveModelId && element.IsCell() ? LabelBodyRange(*host_, element)
                                                              : ActiveRange(*host_, element));
    }
    host_->SetViewArea(1, AreaAround(*host_, box));
    if (highlightChanged) highlightChanged();
}

void FindingsPanel::ClearHighlight() {
    if (host_)
        for (const auto& [model, id] : highlighted_) {
            try {
                host_->SetHighlight(host_->GetElement(model, id), false);
            } catch (const std::exception&) {
                // The element is gone, and the host forgot its highlight with it.
            }
        }
    highlighted_.clear();
}

void FindingsPanel::SheetChanged() {
    if (!host_) return;
    TakeHighlightBack();
    outOfDate_ = true;
    SetNotice(tr("The sheet has changed since this check: the list may no longer hold."), true);
}

void FindingsPanel::SheetReplaced() {
    if (!host_) return;
    ClearHighlight();
    host_ = nullptr;
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
    }
    findings_.clear();
    outOfDate_ = false;
    summary_->clear();
    summary_->setToolTip({});
    checkButton_->setText(tr("Check Layout"));
    SetNotice(tr("Another sheet was opened: check it to list its findings."), false);
}

void FindingsPanel::SetNotice(const QString& text, bool warning) {
    notice_->setText(text);
    notice_->setStyleSheet(warning ? WarningStyle : PlainStyle);
    notice_->setVisible(!text.isEmpty());
}

void FindingsPanel::TakeHighlightBack() {
    const bool highlighted = !highlighted_.empty();
    ClearHighlight();
    {
        const QSignalBlocker quiet(list_);
        list_->setCurrentItem(nullptr);
    }
    if (highlighted && highlightChanged) highlightChanged();
}

void FindingsPanel::closeEvent(QCloseEvent* event) {
    TakeHighlightBack();
    QDockWidget::closeEvent(event);
}

}  // namespace zkl::gui
