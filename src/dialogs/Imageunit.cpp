#include "dialogs/Imageunit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

#include "sheet/DescriptionSheet.h"
#include "sheet/ImageTag.h"
#include "store/Settings.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"
#include "ui/Guarded.h"
#include "ui/Placement.h"
#include "ui/SjisText.h"

namespace {

const QString kCaption = QStringLiteral("画像挿入");
constexpr int kDesignWidth = 327;

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

}  // namespace

TImageForm::TImageForm(QWidget* parent) : QDialog(parent), roomBytes_(quorvel::kCellMaxInputBytes) {
    setObjectName(QStringLiteral("ImageForm"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(kCaption);
    setSizeGripEnabled(false);

    LabelAddress =
        MakeLabel(this, QStringLiteral("LabelAddress"), QStringLiteral("画像URL(例：https://…)"));
    EditAddress = MakeEdit(this, QStringLiteral("EditAddress"));
    LabelAddress->setBuddy(EditAddress);
    LabelAlt = MakeLabel(this, QStringLiteral("LabelAlt"), QStringLiteral("説明文"));
    EditAlt = MakeEdit(this, QStringLiteral("EditAlt"));
    LabelAlt->setBuddy(EditAlt);
    LabelWidth = MakeLabel(this, QStringLiteral("LabelWidth"), QStringLiteral("幅(ピクセル)"));
    EditWidth = MakeEdit(this, QStringLiteral("EditWidth"));
    // Up to four digits, no leading zero; empty leaves the picture its own width.
    EditWidth->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[1-9][0-9]{0,3}")), EditWidth));
    EditWidth->setMaximumWidth(60);
    LabelWidth->setBuddy(EditWidth);
    LabelWidthNote =
        MakeLabel(this, QStringLiteral("LabelWidthNote"), QStringLiteral("空欄のときは元の大きさ"));
    CheckBoxLink = new QCheckBox(QStringLiteral("クリックで元画像を開く"), this);
    CheckBoxLink->setObjectName(QStringLiteral("CheckBoxLink"));

    ButtonOk = new QPushButton(QStringLiteral("OK(&O)"), this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setDefault(true);
    ui::connectGuarded(ButtonOk, &QPushButton::clicked, this, [this] { accept(); });
    ButtonCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ(&C)"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setAutoDefault(false);
    ui::connectGuarded(ButtonCancel, &QPushButton::clicked, this, [this] { reject(); });
    for (QPushButton* button : {ButtonOk, ButtonCancel}) button->setMinimumSize(75, 25);

    // Laid out by the face's own sizes, so nothing is clipped whatever face the system has.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(2);
    layout->addWidget(LabelAddress);
    layout->addWidget(EditAddress);
    layout->addSpacing(6);
    layout->addWidget(LabelAlt);
    layout->addWidget(EditAlt);
    layout->addSpacing(6);
    auto* widthRow = new QHBoxLayout;
    widthRow->setSpacing(6);
    widthRow->addWidget(LabelWidth);
    widthRow->addWidget(EditWidth);
    widthRow->addWidget(LabelWidthNote, 1);
    layout->addLayout(widthRow);
    layout->addSpacing(6);
    layout->addWidget(CheckBoxLink);
    layout->addSpacing(10);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(15);
    buttons->addStretch(1);
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);
    layout->addLayout(buttons);
    setFixedSize(std::max(kDesignWidth, sizeHint().width()), sizeHint().height());

    QWidget* order[] = {EditAddress, EditAlt, EditWidth, CheckBoxLink, ButtonOk, ButtonCancel};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void TImageForm::FormCreate(quorvel::KeyStore* settings) {
    if (!settings) return;
    const auto stored = quorvel::ReadTextAndImageSettings(*settings);
    if (!stored.ImageAddressBase) return;
    addressBase_ = *stored.ImageAddressBase;
    EditAddress->setText(ui::fromSjis(addressBase_));
}

void TImageForm::Prepare(const QString& selectedText, int roomBytes) {
    selected_ = selectedText;
    roomBytes_ = roomBytes;
}

std::string TImageForm::tagBytes() const {
    const QString alt = EditAlt->text().isEmpty() ? selected_ : EditAlt->text();
    // In the cell's form: a character code page 932 cannot hold is its reference, never "?".
    return quorvel::BuildImageTag(ui::boxTextToCell(EditAddress->text()), ui::boxTextToCell(alt),
                                  quorvel::ParseImageWidth(EditWidth->text().toStdString()),
                                  CheckBoxLink->isChecked());
}

QString TImageForm::Tag() const {
    return ui::fromSjis(tagBytes());
}

bool TImageForm::FormCloseQuery(int result) {
    if (result != QDialog::Accepted) return true;
    const std::string address = ui::toSjis(EditAddress->text());
    // An image without an address shows nothing to the buyer; it is never what was meant.
    if (address.empty()) {
        showWarning(this, QStringLiteral("画像URLを入力してください。"), kCaption);
        EditAddress->setFocus();
        return false;
    }
    if (!quorvel::BeginsWithHttps(address)) {
        const auto answer = dialogs().message(
            this,
            QStringLiteral("画像URLが\"https://\"で開始していません。\nスマートフォンや多くの"
                           "ブラウザで表示されない可能性がありますが続行しますか？"),
            kCaption, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes) return false;
    }
    // A cut-off tag would leave an attribute open and swallow the rest of the page: the whole
    // tag goes in, or the seller shortens it.
    const int bytes = ui::cellByteLength(Tag());
    if (bytes > roomBytes_) {
        showWarning(this,
                    QStringLiteral("画像タグ（%1 バイト）がセルの残り（%2 バイト）に入りません。")
                        .arg(bytes)
                        .arg(std::max(roomBytes_, 0)),
                    kCaption);
        return false;
    }
    const std::string folder = quorvel::AddressFolder(address);
    if (!folder.empty()) addressBase_ = folder;
    return true;
}

void TImageForm::done(int result) {
    bool canClose = false;
    RunGuarded(this, [&] { canClose = FormCloseQuery(result); });
    if (canClose) QDialog::done(result);
}

void TImageForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        ui::CentreOnScreen(*this);
        // Each showing is for a new address: what is typed replaces the last one.
        EditAddress->setFocus(Qt::OtherFocusReason);
        EditAddress->selectAll();
    }
    QDialog::showEvent(event);
}
