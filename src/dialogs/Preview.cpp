#include "dialogs/Preview.h"

#include <QApplication>
#include <QByteArray>
#include <QClipboard>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "dialogs/PreviewCheckTab.h"
#include "dialogs/PreviewPhoneTab.h"
#include "dialogs/PreviewTextTab.h"
#include "platform/Sjis.h"
#include "platform/TempDir.h"
#include "store/PreviewFile.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"
#include "ui/Guarded.h"
#include "ui/JapaneseUi.h"
#include "ui/PreviewBrowser.h"
#include "ui/PreviewBrowserLoader.h"
#include "ui/SjisText.h"
#include "ui/StandardsPage.h"
#ifdef QUORVEL_HAVE_PAGE
#include "ui/EnginePageView.h"
#endif

namespace {

// setContent hands the page over as a data URL, which Chromium caps at 2 MB.
constexpr qsizetype kMaxInlineContent = 2 * 1000 * 1000;

}  // namespace

TFormPreview::TFormPreview(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormPreview"));
    setWindowTitle(QStringLiteral("Quorvel ﾌﾟﾚﾋﾞｭｰ"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    resize(510, 482);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    auto* browserLayout = new QVBoxLayout(TabSheet1);
    browserLayout->setContentsMargins(0, 0, 0, 0);
    TabSheet2 = new QWidget(PageControl1);
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    auto* memoLayout = new QVBoxLayout(TabSheet2);
    memoLayout->setContentsMargins(0, 0, 0, 0);
    MemoHtml = new QPlainTextEdit(TabSheet2);
    MemoHtml->setObjectName(QStringLiteral("MemoHtml"));
    MemoHtml->setReadOnly(true);
    MemoHtml->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoHtml->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoHtml->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoLayout->addWidget(MemoHtml);
    addTabs();
    PageControl1->setCurrentIndex(0);
    layout->addWidget(PageControl1, 1);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(29);
    auto* barLayout = new QHBoxLayout(Panel2);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->addStretch(1);
    Panel1 = new QWidget(Panel2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* buttonLayout = new QHBoxLayout(Panel1);
    buttonLayout->setContentsMargins(4, 2, 4, 2);
    Label1 = new QLabel(QStringLiteral("HTMLﾀｸﾞをｸﾘｯﾌﾟﾎﾞｰﾄﾞに"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    ButtonCopy = new QPushButton(QStringLiteral("ｺﾋﾟｰ(&c)"), Panel1);
    ButtonCopy->setObjectName(QStringLiteral("ButtonCopy"));
    ButtonCopyClose = new QPushButton(QStringLiteral("ｺﾋﾟｰ後に閉じる(&x)"), Panel1);
    ButtonCopyClose->setObjectName(QStringLiteral("ButtonCopyClose"));
    // Enter closes with a copy unless another button has the focus.
    ButtonCopyClose->setDefault(true);
    buttonLayout->addWidget(Label1);
    buttonLayout->addWidget(ButtonCopy);
    buttonLayout->addWidget(ButtonCopyClose);
    barLayout->addWidget(Panel1);
    layout->addWidget(Panel2);

    setTabOrder(ButtonCopyClose, ButtonCopy);
    setTabOrder(ButtonCopy, PageControl1);
    setTabOrder(PageControl1, MemoHtml);
    ButtonCopyClose->setFocus();

    ui::connectGuarded(TabSheet4, &TPreviewCheckTab::findingChosen, this,
                       [this](int tag, int offset, int length) {
                           emit findingChosen(tag, offset, length);
                           accept();
                       });
    ui::connectGuarded(TabSheet4, &TPreviewCheckTab::pageFindingChosen, this,
                       [this](quorvel::CheckKind kind) {
                           if (kind == quorvel::CheckKind::PhoneWidth)
                               PageControl1->setCurrentWidget(TabSheet3);
                       });
    connect(TabSheet3, &TPreviewPhoneTab::phoneWidthChosen, this, &TFormPreview::phoneWidthChosen);
    connect(TabSheet4, &TPreviewCheckTab::maxCharsChosen, this, &TFormPreview::maxCharsChosen);
    connect(TabSheet3, &TPreviewPhoneTab::measured, this, &TFormPreview::phoneWidthMeasured);
    ui::connectGuarded(ButtonCopy, &QPushButton::clicked, this, [this] { ButtonCopyClick(); });
    ui::connectGuarded(ButtonCopyClose, &QPushButton::clicked, this,
                       [this] { ButtonCopyCloseClick(); });
}

TFormPreview::~TFormPreview() = default;

// Every tab, in its order; the first two are the page and its source.
void TFormPreview::addTabs() {
    TabSheet3 = new TPreviewPhoneTab(PageControl1);
    TabSheet4 = new TPreviewCheckTab(PageControl1);
    PageControl1->addTab(TabSheet1, QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"));
    PageControl1->addTab(TabSheet2, QStringLiteral("HTMLﾀｸﾞ"));
    PageControl1->addTab(TabSheet3, QStringLiteral("ｽﾏﾎ表示"));
    PageControl1->addTab(TabSheet4, QStringLiteral("ﾁｪｯｸ"));
    PageControl1->addTab(TextTab = new TPreviewTextTab(PageControl1), QStringLiteral("ﾃｷｽﾄ"));
}

void TFormPreview::ShowCheck(const quorvel::ListingCheckResult& result) {
    TabSheet4->ShowResult(result);
}

void TFormPreview::ChooseCheckTab() {
    PageControl1->setCurrentWidget(TabSheet4);
}

int TFormPreview::PhoneWidth() const {
    return TabSheet3->PhoneWidth();
}

void TFormPreview::SetPhoneWidth(int cssPixels) {
    TabSheet3->SetPhoneWidth(cssPixels);
}

void TFormPreview::SetMaxChars(int chars) {
    TabSheet4->SetMaxChars(chars);
}

bool TFormPreview::FormShow() {
    return load(isVisible());
}

bool TFormPreview::load(bool intoBrowser) {
    std::string path = filePath_;
    if (path.empty()) {
        const quorvel::TempPathResult preview = quorvel::PreviewFilePath();
        if (!preview.ok()) {
            showWarning(this, QString::fromStdString(preview.error),
                        QString::fromUtf8(quorvel::kPreviewReadCaption));
            return false;
        }
        path = preview.path;
    }
    const quorvel::PreviewReadResult read = quorvel::ReadPreviewFile(path);
    if (!read.ok()) {
        showFileError(this, *read.error);
        return false;
    }
    text_ = QString::fromStdString(quorvel::sjis::ToUtf8(read.bytes));
    MemoHtml->setPlainText(text_);
    if (intoBrowser) showContent(path, read.bytes);
    return true;
}

void TFormPreview::ButtonCopyClick() {
    MemoHtml->selectAll();
    // Set directly rather than through copy(): an empty box must still replace an old clipboard.
    QApplication::clipboard()->setText(text_, QClipboard::Clipboard);
}

void TFormPreview::ButtonCopyCloseClick() {
    ButtonCopyClick();
    accept();
}

void TFormPreview::ClearText() {
    text_.clear();
    MemoHtml->clear();
}

void TFormPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A restore by the window system is not a new showing.
    if (event->spontaneous()) return;
    RunGuarded(this, [this] { load(true); });
}

PreviewBrowser* TFormPreview::ensureBrowser() {
    if (browser_) return browser_;
    // Loaded on first use: the browser module and its processes are costly and most sessions
    // may never preview.
    QString whyNot;
    PreviewBrowserFactory* factory = ui::PreviewBrowserFactoryOrNull(&whyNot);
    if (!factory) {
#ifdef QUORVEL_HAVE_PAGE
        // The program's own engine draws the page instead.
        if (!enginePage_) {
            qWarning("preview browser module not loaded, the page engine draws the page: %s",
                     qPrintable(whyNot));
            enginePage_ = new TEnginePageView(TabSheet1);
            enginePage_->setObjectName(QStringLiteral("EnginePage1"));
            TabSheet1->layout()->addWidget(enginePage_);
            enginePage_->show();
        }
        return nullptr;
#endif
        if (!noBrowserLine_) {
            qWarning("preview browser module not loaded: %s", qPrintable(whyNot));
            noBrowserLine_ =
                new QLabel(QStringLiteral("プレビュー表示部品を読み込めません"), TabSheet1);
            noBrowserLine_->setObjectName(QStringLiteral("LabelNoBrowser"));
            noBrowserLine_->setAlignment(Qt::AlignCenter);
            noBrowserLine_->setWordWrap(true);
            TabSheet1->layout()->addWidget(noBrowserLine_);
            // Made while the window is being shown, after its children were.
            noBrowserLine_->show();
        }
        return nullptr;
    }
    delete noBrowserLine_;
    noBrowserLine_ = nullptr;
#ifdef QUORVEL_HAVE_PAGE
    delete enginePage_;
    enginePage_ = nullptr;
#endif
    browser_ = factory->create(TabSheet1);
    browser_->setPageFontFamily(PageFaceFamily());
    browser_->setLoadCallbacks([this] { emit pageLoadStarted(); },
                               [this](bool ok) { emit pageLoaded(ok); });
    TabSheet1->layout()->addWidget(browser_->widget());
    browser_->widget()->show();
    return browser_;
}

void TFormPreview::showContent(const std::string& path, const std::string& bytes) {
    PreviewBrowser* view = ensureBrowser();
    const QUrl url = QUrl::fromLocalFile(ui::pathFromNative(path));
    const QByteArray content(bytes.data(), static_cast<qsizetype>(bytes.size()));
    // The file declares no character set, and the view guesses wrongly for a file:// page.
    const QString type = QStringLiteral("text/html;charset=Shift_JIS");
    const bool inMemory = content.size() + ui::kDoctypeLength < kMaxInlineContent;
    if (view) ui::ShowInStandardsMode(*view, content, type, url, inMemory);
#ifdef QUORVEL_HAVE_PAGE
    if (!view && enginePage_) enginePage_->ShowTags(content);
#endif
    TabSheet3->ShowPage(content, type, url, inMemory);
}
