#include "dialogs/Linkunit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <algorithm>
#include <vector>

#include "platform/Sjis.h"
#include "sheet/ImageTag.h"
#include "sheet/LinkTag.h"
#include "ui/Controls.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"
#include "ui/Guarded.h"
#include "ui/Placement.h"

namespace {

const QString kWebAddressCaption = QStringLiteral("URLアドレス(例：http://www.merrow.example/)");
const QString kMailAddressCaption = QStringLiteral("メールアドレス(例：info@merrow.example)");

QString FromCp932(std::string_view bytes) {
    return QString::fromStdString(quorvel::sjis::ToUtf8(bytes));
}

std::string ToCp932(const QString& text) {
    std::string bytes;
    for (const char32_t ch : text.toUcs4()) {
        if (const auto encoded = quorvel::sjis::EncodeChar(ch))
            bytes += *encoded;
        else
            bytes += '?';
    }
    return bytes;
}

QLineEdit* MakeEdit(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    return edit;
}

// The dialog's design positions are the least each control gets; where the face needs more room
// (a group's caption above its buttons, a taller text box) the controls below move down and the
// dialog grows, so nothing overlaps or is clipped.
void LayOutLinkForm(TLinkForm& form) {
    const int labelHeight = form.fontMetrics().height();
    const int editHeight = std::max(20, form.EditAddress->sizeHint().height());
    const int groupHeight = std::max(
        {30, form.RadioGroupType->FittingHeight(), form.RadioGroupTarget->FittingHeight()});
    const int typeTop = groupHeight > 30 ? 6 : 11;
    form.RadioGroupType->setGeometry(10, typeTop, 308, groupHeight);
    const int labelTop = std::max(49, typeTop + groupHeight + 3);
    form.LabelAddress->setGeometry(10, labelTop, 307, labelHeight);
    const int editTop = std::max(63, labelTop + labelHeight + 1);
    form.EditAddress->setGeometry(10, editTop, 307, editHeight);
    const int lowerTop = std::max(93, editTop + editHeight + 8);
    form.LabelSubject->setGeometry(10, lowerTop, 100, labelHeight);
    const int subjectTop = std::max(106, lowerTop + labelHeight + 1);
    form.EditSubject->setGeometry(10, subjectTop, 308, editHeight);
    const int targetTop = std::max(105, lowerTop);
    form.RadioGroupTarget->setGeometry(10, targetTop, 308, groupHeight);
    const int buttonHeight = std::max(25, form.ButtonOk->sizeHint().height());
    const int buttonsTop =
        std::max({151, subjectTop + editHeight + 4, targetTop + groupHeight + 4});
    form.ButtonOk->setGeometry(145, buttonsTop, 75, buttonHeight);
    form.ButtonCancel->setGeometry(235, buttonsTop, 75, buttonHeight);
    const int statusHeight = 19;
    const int height = std::max(203, buttonsTop + buttonHeight + 8 + statusHeight);
    form.setFixedSize(327, height);
    form.StatusBar1->setGeometry(0, height - statusHeight, 327, statusHeight);
}

}  // namespace

TRadioGroup::TRadioGroup(QWidget* parent, const QString& objectName, const QString& caption,
                         const QStringList& items, int columns)
    : QGroupBox(caption, parent), columns_(columns < 1 ? 1 : columns) {
    setObjectName(objectName);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], this);
        item->setObjectName(QStringLiteral("%1Item%2").arg(objectName).arg(i));
        // A relay, not a handler: the group's Click handler is connected guarded.
        connect(item, &QRadioButton::clicked, this, [this] { emit Click(); });
        items_.append(item);
    }
    layoutItems();
}

int TRadioGroup::ItemIndex() const {
    for (int i = 0; i < items_.size(); ++i)
        if (items_[i]->isChecked()) return i;
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    if (index >= 0 && index < items_.size()) {
        items_[index]->setChecked(true);
        return;
    }
    // No choice at all: auto-exclusive buttons refuse to be unticked one by one.
    for (QRadioButton* item : items_) {
        item->setAutoExclusive(false);
        item->setChecked(false);
        item->setAutoExclusive(true);
    }
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    layoutItems();
}

QRect TRadioGroup::contentsRect() const {
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, this);
}

int TRadioGroup::FittingHeight() const {
    const int rows = (static_cast<int>(items_.size()) + columns_ - 1) / columns_;
    int itemHeight = 0;
    for (const QRadioButton* item : items_)
        itemHeight = std::max(itemHeight, item->sizeHint().height());
    return height() - contentsRect().height() + rows * itemHeight;
}

// Columns share the width evenly when every caption fits; otherwise each column gets what its
// widest caption needs and the rest is shared out, so no caption is clipped.
void TRadioGroup::layoutItems() {
    if (items_.isEmpty()) return;
    const int rows = (static_cast<int>(items_.size()) + columns_ - 1) / columns_;
    const QRect inside = contentsRect();
    std::vector<int> needed(columns_, 0);
    for (int i = 0; i < items_.size(); ++i)
        needed[i / rows] = std::max(needed[i / rows], items_[i]->sizeHint().width());
    const int even = inside.width() / columns_;
    const bool evenFits =
        std::all_of(needed.begin(), needed.end(), [even](int w) { return w <= even; });
    int total = 0;
    for (int w : needed) total += w;
    const int slack = (inside.width() - total) / columns_;
    const int rowHeight = std::max(inside.height() / rows, 1);
    int left = inside.left();
    for (int column = 0; column < columns_; ++column) {
        const int width = evenFits ? even : needed[column] + slack;
        for (int row = 0; row < rows; ++row) {
            const int i = column * rows + row;
            if (i < items_.size())
                items_[i]->setGeometry(left, inside.top() + row * rowHeight, width, rowHeight);
        }
        left += width;
    }
}

TLinkForm::TLinkForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LinkForm"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("リンク挿入"));
    setFixedSize(327, 203);
    setSizeGripEnabled(false);

    RadioGroupType =
        new TRadioGroup(this, QStringLiteral("RadioGroupType"), QStringLiteral("リンクタイプ指定"),
                        {QStringLiteral("URLへ(http:)"), QStringLiteral("メールへ(mailto:)")}, 2);
    RadioGroupType->setGeometry(10, 11, 308, 30);

    LabelAddress = new QLabel(kWebAddressCaption, this);
    LabelAddress->setObjectName(QStringLiteral("LabelAddress"));
    LabelAddress->move(10, 49);
    LabelAddress->resize(307, 14);

    EditAddress = MakeEdit(this, QStringLiteral("EditAddress"), QRect(10, 63, 307, 20));
    LabelAddress->setBuddy(EditAddress);

    RadioGroupTarget = new TRadioGroup(
        this, QStringLiteral("RadioGroupTarget"), QStringLiteral("ターゲット指定"),
        {QStringLiteral("新しいウィンドウで開く"), QStringLiteral("通常（指定なし）")}, 2);
    RadioGroupTarget->setGeometry(10, 105, 308, 30);
    const QString targetHint = QStringLiteral("|リンクをクリックした時のウィンドウの開き方を指定");
    ui::applyHint(RadioGroupTarget, targetHint);
    for (int i = 0; i < RadioGroupTarget->Count(); ++i)
        ui::applyHint(RadioGroupTarget->Item(i), targetHint);

    LabelSubject = new QLabel(QStringLiteral("件名"), this);
    LabelSubject->setObjectName(QStringLiteral("LabelSubject"));
    LabelSubject->move(10, 93);
    LabelSubject->resize(100, 12);

    EditSubject = MakeEdit(this, QStringLiteral("EditSubject"), QRect(10, 106, 308, 20));
    ui::applyHint(EditSubject, QStringLiteral("|メーラ起動時の件名を設定"));
    LabelSubject->setBuddy(EditSubject);

    ButtonOk = new QPushButton(QStringLiteral("OK(&O)"), this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setGeometry(145, 151, 75, 25);
    ButtonOk->setDefault(true);
    ui::connectGuarded(ButtonOk, &QPushButton::clicked, this, [this] { accept(); });

    ButtonCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ(&C)"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry(235, 151, 75, 25);
    ButtonCancel->setAutoDefault(false);
    ui::connectGuarded(ButtonCancel, &QPushButton::clicked, this, [this] { reject(); });

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setGeometry(0, height() - 19, width(), 19);

    QWidget* order[] = {RadioGroupType->Item(0),
                        RadioGroupType->Item(1),
                        EditAddress,
                        RadioGroupTarget->Item(0),
                        RadioGroupTarget->Item(1),
                        EditSubject,
                        ButtonOk,
                        ButtonCancel};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    ui::connectGuarded(RadioGroupType, &TRadioGroup::Click, this,
                       [this] { RadioGroupTypeClick(); });

    // Every run starts with a web link that opens in a new window.
    RadioGroupType->SetItemIndex(quorvel::kLinkWeb);
    RadioGroupTarget->SetItemIndex(quorvel::kTargetNewWindow);
    RadioGroupTypeClick();
    LayOutLinkForm(*this);
}

void TLinkForm::FormCreate(std::string_view addressBytes, std::string_view subjectBytes) {
    EditAddress->setText(FromCp932(addressBytes));
    EditSubject->setText(FromCp932(subjectBytes));
}

void TLinkForm::SetApplyCaption(const QString& selectedText) {
    setWindowTitle(QStringLiteral("リンクタグ適用 - \"") + selectedText + u'"');
}

void TLinkForm::SetInsertCaption() {
    setWindowTitle(QStringLiteral("リンクタグ挿入 - カーソル位置"));
}

QString TLinkForm::AddressText() const {
    return EditAddress->text();
}
QString TLinkForm::SubjectText() const {
    return EditSubject->text();
}
std::string TLinkForm::AddressBytes() const {
    return ToCp932(EditAddress->text());
}
std::string TLinkForm::SubjectBytes() const {
    return ToCp932(EditSubject->text());
}

QString TLinkForm::BuildTag(const QString& visibleText) const {
    // The fixed pieces are ASCII, so building on UTF-8 gives the same text as on code page 932.
    const std::string tag =
        quorvel::BuildLinkTag(RadioGroupType->ItemIndex(), RadioGroupTarget->ItemIndex(),
                              EditAddress->text().toStdString(), EditSubject->text().toStdString(),
                              visibleText.toStdString());
    return QString::fromStdString(tag);
}

void TLinkForm::RadioGroupTypeClick() {
    const bool mail = RadioGroupType->ItemIndex() == quorvel::kLinkMail;
    LabelAddress->setText(mail ? kMailAddressCaption : kWebAddressCaption);
    RadioGroupTarget->setVisible(!mail);
    LabelSubject->setVisible(mail);
    EditSubject->setVisible(mail);
}

bool TLinkForm::FormCloseQuery(int result) {
    if (result != QDialog::Accepted) return true;
    if (RadioGroupType->ItemIndex() == quorvel::kLinkMail) return true;
    // Listing pages want secure links, so an "https://" address is no typing slip either.
    const std::string address = EditAddress->text().toStdString();
    if (quorvel::BeginsWithHttp(address) || quorvel::BeginsWithHttps(address)) return true;
    const auto answer = dialogs().message(
        this,
        QStringLiteral(
            "URL指定が\"http://\"で開始していません。\n入力ミスの可能性がありますが続行しますか？"),
        QStringLiteral("リンク挿入"), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
        QMessageBox::Yes);
    return answer == QMessageBox::Yes;
}

void TLinkForm::done(int result) {
    // A failing check keeps the dialog open rather than closing on an unanswered question.
    bool canClose = false;
    RunGuarded(this, [&] { canClose = FormCloseQuery(result); });
    if (canClose) QDialog::done(result);
}

bool TLinkForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        StatusBar1->showMessage(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

void TLinkForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        ui::CentreOnScreen(*this);
        // Each showing is for a new address: what is typed replaces the last one.
        EditAddress->setFocus(Qt::OtherFocusReason);
        EditAddress->selectAll();
    }
    QDialog::showEvent(event);
}
