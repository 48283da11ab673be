#include "dialogs/PreviewTextTab.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "sheet/DescriptionSheet.h"
#include "sheet/PlainText.h"
#include "store/Settings.h"
#include "ui/Guarded.h"
#include "ui/SjisText.h"

namespace {

constexpr int kMaxCharChoices[] = {1000, 3000, 5000};
const QColor kWarningColour(0xC0, 0x00, 0x00);

}  // namespace

TPreviewTextTab::TPreviewTextTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheetText"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    MemoText = new QPlainTextEdit(this);
    MemoText->setObjectName(QStringLiteral("MemoText"));
    MemoText->setReadOnly(true);
    MemoText->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(MemoText, 1);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 0, 4, 2);
    LabelCount = new QLabel(this);
    LabelCount->setObjectName(QStringLiteral("LabelCount"));
    LabelPictures = new QLabel(this);
    LabelPictures->setObjectName(QStringLiteral("LabelPictures"));
    LabelMaxChars = new QLabel(QStringLiteral("上限"), this);
    LabelMaxChars->setObjectName(QStringLiteral("LabelMaxChars"));
    ComboBoxMaxChars = new QComboBox(this);
    ComboBoxMaxChars->setObjectName(QStringLiteral("ComboBoxMaxChars"));
    for (int choice : kMaxCharChoices) ComboBoxMaxChars->addItem(QString::number(choice), choice);
    LabelMaxChars->setBuddy(ComboBoxMaxChars);
    ButtonCopyText = new QPushButton(QStringLiteral("ﾃｷｽﾄをｺﾋﾟｰ"), this);
    ButtonCopyText->setObjectName(QStringLiteral("ButtonCopyText"));
    // Enter in the preview still copies the tags and closes.
    ButtonCopyText->setAutoDefault(false);
    bar->addWidget(LabelCount);
    bar->addWidget(LabelPictures, 1);
    bar->addWidget(LabelMaxChars);
    bar->addWidget(ComboBoxMaxChars);
    bar->addSpacing(8);
    bar->addWidget(ButtonCopyText);
    layout->addLayout(bar);

    ui::connectGuarded(ButtonCopyText, &QPushButton::clicked, this,
                       [this] { ButtonCopyTextClick(); });
    ui::connectGuarded(ComboBoxMaxChars, &QComboBox::activated, this,
                       [this] { ComboBoxMaxCharsChange(); });
    showCount();
}

void TPreviewTextTab::Attach(const quorvel::TDescriptionSheet* sheet, quorvel::KeyStore* settings) {
    sheet_ = sheet;
    if (!settings) return;
    const auto stored = quorvel::ReadTextAndImageSettings(*settings);
    // A stored value that is none of the choices leaves the first.
    const int index = stored.TextMaxChars ? ComboBoxMaxChars->findData(*stored.TextMaxChars) : -1;
    if (index >= 0) ComboBoxMaxChars->setCurrentIndex(index);
    showCount();
}

void TPreviewTextTab::Refresh() {
    const std::string text = sheet_ ? quorvel::BuildPlainText(*sheet_) : std::string();
    count_ = quorvel::CountPlainTextChars(text);
    pictures_ = sheet_ ? quorvel::CountLeftOutPictures(*sheet_) : 0;
    text_ = ui::cellTextToUnicode(text);
    MemoText->setPlainText(ui::cellTextToBox(text));
    showCount();
}

void TPreviewTextTab::ButtonCopyTextClick() {
    Refresh();
    QApplication::clipboard()->setText(text_, QClipboard::Clipboard);
}

void TPreviewTextTab::ComboBoxMaxCharsChange() {
    showCount();
}

int TPreviewTextTab::MaxChars() const {
    return ComboBoxMaxChars->currentData().toInt();
}

bool TPreviewTextTab::OverLimit() const {
    return count_ > static_cast<std::size_t>(MaxChars());
}

void TPreviewTextTab::showCount() {
    LabelCount->setText(QStringLiteral("%1 文字（改行を含む）").arg(count_));
    QPalette palette = LabelCount->palette();
    palette.setColor(QPalette::WindowText,
                     OverLimit() ? kWarningColour : this->palette().color(QPalette::WindowText));
    LabelCount->setPalette(palette);
    // Said only when there are some: a seller who used none need not read about them.
    LabelPictures->setText(pictures_ ? QStringLiteral("　画像 %1 枚は含まれません").arg(pictures_)
                                     : QString());
}

void TPreviewTextTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) RunGuarded(this, [this] { Refresh(); });
}
