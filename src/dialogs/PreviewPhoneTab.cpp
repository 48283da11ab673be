#include "dialogs/PreviewPhoneTab.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <memory>

#include "ui/Guarded.h"
#include "ui/JapaneseUi.h"
#include "ui/PreviewBrowser.h"
#include "ui/PreviewBrowserLoader.h"
#include "ui/StandardsPage.h"
#ifdef QUORVEL_HAVE_PAGE
#include "page/PageEngine.h"
#include "ui/EnginePageView.h"
#include "ui/PictureFollower.h"
#endif

QString PageFaceFamily() {
    static const QString family = [] {
        const QString buyers = ui::firstInstalledFamily({QStringLiteral("Noto Sans CJK JP")});
        return buyers.isEmpty() ? ui::japaneseUiFamily() : buyers;
    }();
    return family;
}

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
#ifdef QUORVEL_HAVE_PAGE
    if (enginePage_) enginePage_->SetCssWidth(width_);
#endif
    emit phoneWidthChosen(width_);
#ifdef QUORVEL_HAVE_PAGE
    if (!shown_.isEmpty()) measure();
#else
    if (loaded_) measure();
#endif
}

PreviewBrowser* TPreviewPhoneTab::ensureBrowser() {
    if (browser_) return browser_;
    PreviewBrowserFactory* factory = ui::PreviewBrowserFactoryOrNull(nullptr);
    if (!factory) {
#ifdef QUORVEL_HAVE_PAGE
        // The program's own engine draws the page it measures.
        if (!enginePage_) {
            enginePage_ = new TEnginePageView(stage_, width_);
            enginePage_->setObjectName(QStringLiteral("EnginePagePhone"));
            static_cast<QHBoxLayout*>(stage_->layout())->insertWidget(1, enginePage_);
            enginePage_->show();
        }
        return nullptr;
#endif
        if (!noBrowserLine_) {
            const QString why = QStringLiteral(
                "プレビュー表示部品を読み込めないため、スマホ表示と幅の測定はできません");
            noBrowserLine_ = new QLabel(why, stage_);
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
    browser_->setPageFontFamily(PageFaceFamily());
    browser_->widget()->setObjectName(QStringLiteral("WebBrowserPhone"));
    browser_->widget()->setFixedWidth(width_);
    browser_->setLoadCallbacks({}, [this](bool ok) {
        loaded_ = ok;
#ifndef QUORVEL_HAVE_PAGE
        if (ok) measure();
#endif
    });
    static_cast<QHBoxLayout*>(stage_->layout())->insertWidget(1, browser_->widget());
    browser_->widget()->show();
    return browser_;
}

void TPreviewPhoneTab::ShowPage(const QByteArray& bytes, const QString& mimeType, const QUrl& url,
                                bool inMemory) {
    // Made first: without the browser, the engine's view shows the layout measured below.
    PreviewBrowser* view = ensureBrowser();
#ifdef QUORVEL_HAVE_PAGE
    shown_ = bytes;
    measure();
#endif
    if (!view) return;
    shown_ = bytes;
    loaded_ = false;
#ifndef QUORVEL_HAVE_PAGE
    ++generation_;
    LabelPhoneWidth->setText(QStringLiteral("横幅を測っています…"));
#endif
    ui::ShowInStandardsMode(*view, bytes, mimeType, url, inMemory);
}

QString TPreviewPhoneTab::WidthLine(int viewport, int pageWidth) {
    const int over = pageWidth - viewport;
    return over > 0 ? QStringLiteral("横幅 %1 px（はみ出し %2 px）").arg(pageWidth).arg(over)
                    : QStringLiteral("はみ出しなし");
}

void TPreviewPhoneTab::showWidth(int viewport, int pageWidth) {
    LabelPhoneWidth->setText(WidthLine(viewport, pageWidth));
    emit measured(shown_, viewport, pageWidth);
}

void TPreviewPhoneTab::measure() {
#ifdef QUORVEL_HAVE_PAGE
    // One layout gives the figure and, without the browser, the page shown.
    auto layout = std::make_shared<quorvel::page::PageLayout>();
    layout->Layout(std::string_view(shown_.constData(), static_cast<std::size_t>(shown_.size())),
                   width_);
    // A picture that comes later may widen the page, and the figure with it.
    if (!pictures_) pictures_ = new ui::PictureFollower(this, this, [this] { measure(); });
    pictures_->Follow(*layout);
    showWidth(width_, layout->PageWidth());
    if (enginePage_) enginePage_->ShowLayout(std::move(layout));
    return;
#endif
    const int generation = ++generation_;
    const int viewport = width_;
    browser_->measurePageWidth(viewport, [this, generation, viewport](int pageWidth) {
        // -1 also comes when the page goes with the window: touch nothing then.
        if (pageWidth < 0 || generation != generation_) return;
        showWidth(viewport, pageWidth);
    });
}
