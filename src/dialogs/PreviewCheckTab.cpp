#include "dialogs/PreviewCheckTab.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "sheet/MarketRules.h"
#include "ui/Guarded.h"

TPreviewCheckTab::TPreviewCheckTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet4"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    LabelCheckSummary = new QLabel(this);
    LabelCheckSummary->setObjectName(QStringLiteral("LabelCheckSummary"));
    LabelCheckSummary->setContentsMargins(4, 3, 4, 3);
    // The summary comes when the tab is first shown: it wraps rather than widen the window.
    LabelCheckSummary->setWordWrap(true);
    SpinMaxChars = new QSpinBox(this);
    SpinMaxChars->setObjectName(QStringLiteral("SpinMaxChars"));
    SpinMaxChars->setRange(kMaxCharsLowest, kMaxCharsHighest);
    SpinMaxChars->setSingleStep(1000);
    SpinMaxChars->setGroupSeparatorShown(true);
    SpinMaxChars->setValue(static_cast<int>(quorvel::kDefaultCheckMaxChars));
    // Typed digits count once the seller leaves the box, not at every keystroke.
    SpinMaxChars->setKeyboardTracking(false);
    ComboBoxMarket = new QComboBox(this);
    ComboBoxMarket->setObjectName(QStringLiteral("ComboBoxMarket"));
    for (quorvel::CheckMarket market : quorvel::kCheckMarkets)
        ComboBoxMarket->addItem(QString::fromUtf8(quorvel::CheckMarketName(market)),
                                static_cast<int>(market));
    // The longest market's name would widen the window by itself: the box keeps to a shorter
    // one, and its list still shows every name whole.
    ComboBoxMarket->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBoxMarket->setMinimumContentsLength(12);
    ComboBoxMarket->view()->setMinimumWidth(ComboBoxMarket->view()->sizeHintForColumn(0));
    auto* labelMarket = new QLabel(QStringLiteral("出品先"), this);
    labelMarket->setBuddy(ComboBoxMarket);
    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 4, 0);
    top->addWidget(LabelCheckSummary, 1);
    top->addWidget(labelMarket);
    top->addWidget(ComboBoxMarket);
    top->addSpacing(8);
    top->addWidget(new QLabel(QStringLiteral("文字数の上限"), this));
    top->addWidget(SpinMaxChars);
    column->addLayout(top);

    GridCheck = new QTableWidget(0, 4, this);
    GridCheck->setObjectName(QStringLiteral("GridCheck"));
    GridCheck->setHorizontalHeaderLabels({QStringLiteral("セル"), QStringLiteral("種類"),
                                          QStringLiteral("内容"), QStringLiteral("該当箇所")});
    GridCheck->verticalHeader()->hide();
    GridCheck->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridCheck->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridCheck->setSelectionMode(QAbstractItemView::SingleSelection);
    GridCheck->setWordWrap(false);
    GridCheck->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(GridCheck, 1);

    ui::connectGuarded(SpinMaxChars, &QSpinBox::valueChanged, this,
                       [this](int chars) { emit maxCharsChosen(chars); });
    // Only the seller's choice is told: setting the stored one at start is not a change.
    ui::connectGuarded(ComboBoxMarket, &QComboBox::activated, this,
                       [this] { emit marketChosen(Market()); });
    ui::connectGuarded(GridCheck, &QTableWidget::cellDoubleClicked, this,
                       [this](int row, int) { rowChosen(row); });
    ShowResult({});
}

// The check runs a few times a second while the seller types; the table is filled only when
// it can be seen.
void TPreviewCheckTab::ShowResult(const quorvel::ListingCheckResult& result) {
    result_ = result;
    stale_ = true;
    if (isVisible()) fill();
}

void TPreviewCheckTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) fill();
}

void TPreviewCheckTab::fill() {
    stale_ = false;
    const quorvel::ListingCheckResult& result = result_;
    LabelCheckSummary->setText(QStringLiteral("%1　タグ %2 文字（%3 バイト）")
                                   .arg(QString::fromStdString(quorvel::CheckSummary(result)))
                                   .arg(result.chars)
                                   .arg(result.bytes));
    GridCheck->setRowCount(static_cast<int>(result.findings.size()));
    for (int row = 0; row < GridCheck->rowCount(); ++row) {
        const quorvel::CheckFinding& finding = result.findings[static_cast<std::size_t>(row)];
        const QString texts[] = {QString::fromStdString(quorvel::CellCaption(finding.tag)),
                                 QString::fromUtf8(quorvel::CheckKindName(finding.kind)),
                                 QString::fromStdString(finding.message),
                                 QString::fromStdString(finding.text)};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setToolTip(texts[column]);
            GridCheck->setItem(row, column, item);
        }
    }
    GridCheck->resizeColumnsToContents();
}

void TPreviewCheckTab::SetMaxChars(int chars) {
    SpinMaxChars->setValue(chars);
}

void TPreviewCheckTab::SetMarket(quorvel::CheckMarket market) {
    const int index = ComboBoxMarket->findData(static_cast<int>(market));
    if (index >= 0) ComboBoxMarket->setCurrentIndex(index);
}

quorvel::CheckMarket TPreviewCheckTab::Market() const {
    return static_cast<quorvel::CheckMarket>(ComboBoxMarket->currentData().toInt());
}

void TPreviewCheckTab::rowChosen(int row) {
    if (row < 0 || row >= static_cast<int>(result_.findings.size())) return;
    const quorvel::CheckFinding& finding = result_.findings[static_cast<std::size_t>(row)];
    // The footer is no cell: there is no text of the seller's to go to.
    if (!quorvel::IsCellTag(finding.tag)) {
        emit pageFindingChosen(finding.kind);
        return;
    }
    emit findingChosen(finding.tag, static_cast<int>(finding.offset),
                       static_cast<int>(finding.length));
}
