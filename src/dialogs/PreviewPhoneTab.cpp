#include "dialogs/PreviewPhoneTab.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/Guarded.h"
#include "ui/JapaneseUi.h"
#include "ui/PreviewBrowser.h"
#include "ui/PreviewBrowserLoader.h"

TPreviewPhoneTab::TPreviewPhoneTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet3"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    stage_ = new QWidget(this);
    stage_->setObjectName(QStringLiteral("PanelPhoneStage"));
    stage_->setAutoFillBackground(true);
    QPalette grey = stage_->palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    stage_->setPalette(grey);
    auto* centred = new QHBoxLayout(stage_);
    centred->setContentsMargins(0, 0, 0, 0);
    centred->addStretch(1);
    centred->addStretch(1);
    column->addWidget(stage_, 1);

    auto* line = new QHBoxLayout;
    line->setContentsMargins(4, 2, 4, 2);
    ComboBoxPhoneWidth = new QComboBox(this);
    ComboBoxPhoneWidth->setObjectName(QStringLiteral("ComboBoxPhoneWidth"));
    for (int width : kWidths)
        ComboBoxPhoneWidth->addItem(QStringLiteral("%1 px").arg(width), width);
    ComboBoxPhoneWidth->setCurrentIndex(1);
    LabelPhoneWidth = new QLabel(this);
    LabelPhoneWidth->setObjectName(QStringLiteral("LabelPhoneWidth"));
    line->addWidget(ComboBoxPhoneWidth);
    line->addWidget(LabelPhoneWidth, 1);
    column->addLayout(line);

    ui::connectGuarded(ComboBoxPhoneWidth, &QComboBox::currentIndexChanged, this,
                       [this] { SetPhoneWidth(ComboBoxPhoneWidth->currentData().toInt()); });
}

void TPreviewPhoneTab::SetPhoneWidth(int cssPixels) {
    const int index = ComboBoxPhoneWidth->findData(cssPixels);
    if (index < 0 || cssPixels == width_) return;
    width_ = cssPixels;
    ComboBoxPhoneWidth->setCurrentIndex(index);
    if (browser_) browser_->widget()->setFixedWidth(width_);
    emit phoneWidthChosen(width_);
    if (loaded_) measure();
}

PreviewBrowser* TPreviewPhoneTab::ensureBrowser() {
    if (browser_) return browser_;
    PreviewBrowserFactory* factory = ui::PreviewBrowserFactoryOrNull(nullptr);
    if (!factory) {
        if (!noBrowserLine_) {
            noBrowserLine_ = new QLabel(
                QStringLiteral(
                    "プレビュー表示部品を読み込めないため、スマホ表示と幅の測定はできません"),
                stage_);
            noBrowserLine_->setObjectName(QStringLiteral("LabelNoBrowser"));
            noBrowserLine_->setAlignment(Qt::AlignCenter);
            noBrowserLine_->setWordWrap(true);
            static_cast<QHBoxLayout*>(stage_->layout())->insertWidget(1, noBrowserLine_, 2);
            noBrowserLine_->show();
            LabelPhoneWidth->setText(QStringLiteral("横幅は測れません"));
        }
        return nullptr;
    }
    browser_ = factory->create(stage_);
    browser_->setPageFontFamily(ui::japaneseUiFamily());
    browser_->widget()->setObjectName(QStringLiteral("WebBrowserPhone"));
    browser_->widget()->setFixedWidth(width_);
    browser_->setLoadCallbacks({}, [this](bool ok) {
        loaded_ = ok;
        if (ok) measure();
    });
    static_cast<QHBoxLayout*>(stage_->layout())->insertWidget(1, browser_->widget());
    browser_->widget()->show();
    return browser_;
}

void TPreviewPhoneTab::ShowPage(const QByteArray& bytes, const QString& mimeType, const QUrl& url,
                                bool inMemory) {
    PreviewBrowser* view = ensureBrowser();
    if (!view) return;
    shown_ = bytes;
    loaded_ = false;
    ++generation_;
    LabelPhoneWidth->setText(QStringLiteral("横幅を測っています…"));
    if (inMemory)
        view->setContent(bytes, mimeType, url);
    else
        view->load(url);
}

void TPreviewPhoneTab::measure() {
    const int generation = ++generation_;
    const int viewport = width_;
    browser_->measurePageWidth(viewport, [this, generation, viewport](int pageWidth) {
        // -1 also comes when the page goes with the window: touch nothing then.
        if (pageWidth < 0 || generation != generation_) return;
        const int over = pageWidth - viewport;
        LabelPhoneWidth->setText(
            over > 0 ? QStringLiteral("横幅 %1 px（はみ出し %2 px）").arg(pageWidth).arg(over)
                     : QStringLiteral("はみ出しなし"));
        emit measured(shown_, viewport, pageWidth);
    });
}
