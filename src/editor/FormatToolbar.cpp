#include "editor/FormatToolbar.h"

#include <QFocusEvent>
#include <QToolButton>

#include <iterator>
#include <utility>

#include "editor/CellEdit.h"
#include "ui/Controls.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"

namespace {

constexpr int kLadder[] = {7, 8, 9, 12, 14, 18};
constexpr int kLargestSize = 18;
constexpr int kSmallestSize = 7;

}  // namespace

TFormatToolbar::TFormatToolbar(quorvel::TDescriptionSheet& sheet, CellBoxForTag cellBox,
                               FocusedCellBox focusedCell, QToolButton* linkButton, QWidget* parent)
    : QToolBar(parent),
      sheet_(sheet),
      cellBox_(std::move(cellBox)),
      focusedCell_(std::move(focusedCell)),
      linkButton_(linkButton) {
    setObjectName(QStringLiteral("ToolBar2"));
    setFixedHeight(30);
    setMovable(false);
    setFloatable(false);

    auto add = [this](const char* name, const QString& hint, const char* glyph, bool toggle) {
        QToolButton* button = ui::makeSpeedButton(this, QString::fromLatin1(name), hint,
                                                  QString::fromLatin1(glyph), toggle);
        addWidget(button);
        button->setEnabled(false);
        return button;
    };

    SpeedButtonAll =
        add("SpeedButtonAll", QStringLiteral("全セル適用|全てのセルに編集を適用"), "fmt_all", true);
    addSeparator();
    SpeedButtonFontColor =
        add("SpeedButtonFontColor", QStringLiteral("フォント色|文字（フォント）の色を設定"),
            "fmt_font_colour", false);
    SpeedButtonFontSizeUp =
        add("SpeedButtonFontSizeUp", QStringLiteral("フォント大|文字（フォント）サイズを大きく"),
            "fmt_size_up", false);
    SpeedButtonFontSizeDown =
        add("SpeedButtonFontSizeDown", QStringLiteral("フォント小|文字（フォント）サイズを小さく"),
            "fmt_size_down", false);
    SpeedButtonBold =
        add("SpeedButtonBold", QStringLiteral("太字|文字（フォント）を太く"), "fmt_bold", true);
    SpeedButtonItalic =
        add("SpeedButtonItalic", QStringLiteral("斜体|文字（フォント）を斜め"), "fmt_italic", true);
    SpeedButtonUnder = add("SpeedButtonUnder", QStringLiteral("下線|文字（フォント）を下線つき"),
                           "fmt_underline", true);
    addSeparator();
    SpeedButtonBackColor = add("SpeedButtonBackColor", QStringLiteral("背景色|セルの背景色を設定"),
                               "fmt_back_colour", false);
    addSeparator();
    SpeedButtonLeft =
        add("SpeedButtonLeft", QStringLiteral("左揃え|セル内の文字を左揃え"), "fmt_left", true);
    SpeedButtonCenter = add("SpeedButtonCenter", QStringLiteral("中央揃え|セル内の文字を中央揃え"),
                            "fmt_center", true);
    SpeedButtonRight =
        add("SpeedButtonRight", QStringLiteral("右揃え|セル内の文字を右揃え"), "fmt_right", true);
    addSeparator();
    SpeedButtonVTop =
        add("SpeedButtonVTop", QStringLiteral("上寄せ|セル内の文字を上寄せ"), "fmt_top", true);
    SpeedButtonVCenter =
        add("SpeedButtonVCenter", QStringLiteral("中央寄せ|セル内の文字を中央寄せ"), "fmt_vcenter",
            true);
    SpeedButtonVBottom = add("SpeedButtonVBottom", QStringLiteral("下寄せ|セル内の文字を下寄せ"),
                             "fmt_bottom", true);

    // Exclusive groups are kept by hand: a QButtonGroup would not let the leave step raise the
    // horizontal group, nor let the vertical button that is down be raised by its click.
    connectCommand(SpeedButtonFontColor, &TFormatToolbar::SpeedButtonFontColorClick);
    connectCommand(SpeedButtonFontSizeUp, &TFormatToolbar::SpeedButtonFontSizeUpClick);
    connectCommand(SpeedButtonFontSizeDown, &TFormatToolbar::SpeedButtonFontSizeDownClick);
    connectCommand(SpeedButtonBold, &TFormatToolbar::SpeedButtonBoldClick);
    connectCommand(SpeedButtonItalic, &TFormatToolbar::SpeedButtonBoldClick);
    connectCommand(SpeedButtonUnder, &TFormatToolbar::SpeedButtonBoldClick);
    connectCommand(SpeedButtonBackColor, &TFormatToolbar::SpeedButtonBackColorClick);
    connectCommand(SpeedButtonLeft, &TFormatToolbar::SpeedButtonLeftClick);
    connectCommand(SpeedButtonCenter, &TFormatToolbar::SpeedButtonCenterClick);
    connectCommand(SpeedButtonRight, &TFormatToolbar::SpeedButtonRightClick);
    connectCommand(SpeedButtonVTop, &TFormatToolbar::SpeedButtonVTopClick);
    connectCommand(SpeedButtonVCenter, &TFormatToolbar::SpeedButtonVCenterClick);
    connectCommand(SpeedButtonVBottom, &TFormatToolbar::SpeedButtonVBottomClick);

    if (linkButton_) linkButton_->setEnabled(false);
}

void TFormatToolbar::connectCommand(QToolButton* button, void (TFormatToolbar::*command)()) {
    connect(button, &QToolButton::clicked, this,
            [this, command] { RunGuarded(window(), [this, command] { (this->*command)(); }); });
}

void TFormatToolbar::AttachCell(TCellEdit* box) {
    connect(box, &TCellEdit::cellEntered, this, [this](TCellEdit* entered) {
        RunGuarded(window(), [this, entered] { CellEntered(entered); });
    });
    connect(box, &TCellEdit::cellLeft, this, [this](TCellEdit*) { CellLeft(); });
    box->installEventFilter(this);
}

bool TFormatToolbar::eventFilter(QObject* watched, QEvent* event) {
    // The box does not report focus that comes with the window's activation, since coming back
    // from a dialog is not entering anew; but the first cell focused when the window opens is
    // entered, and the toolbar must show it. Font colour is enabled exactly while a cell is shown.
    if (event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason &&
        !SpeedButtonFontColor->isEnabled()) {
        if (auto* box = qobject_cast<TCellEdit*>(watched)) {
            RunGuarded(window(), [this, box] { CellEntered(box); });
        }
    }
    return QToolBar::eventFilter(watched, event);
}

void TFormatToolbar::CellLeft() {
    SpeedButtonAll->setEnabled(false);
    SpeedButtonFontColor->setEnabled(false);
    SpeedButtonFontSizeUp->setEnabled(false);
    SpeedButtonFontSizeDown->setEnabled(false);
    SpeedButtonBold->setEnabled(false);
    SpeedButtonItalic->setEnabled(false);
    SpeedButtonUnder->setEnabled(false);
    SpeedButtonBold->setChecked(false);
    SpeedButtonItalic->setChecked(false);
    SpeedButtonUnder->setChecked(false);
    SpeedButtonBackColor->setEnabled(false);
    SpeedButtonLeft->setEnabled(false);
    SpeedButtonCenter->setEnabled(false);
    SpeedButtonRight->setEnabled(false);
    SpeedButtonLeft->setChecked(false);
    SpeedButtonCenter->setChecked(false);
    SpeedButtonRight->setChecked(false);
    SpeedButtonVTop->setEnabled(false);
    SpeedButtonVCenter->setEnabled(false);
    SpeedButtonVBottom->setEnabled(false);
    SpeedButtonVTop->setChecked(false);
    SpeedButtonVCenter->setChecked(false);
    SpeedButtonVBottom->setChecked(false);
    if (linkButton_) linkButton_->setEnabled(false);
}

void TFormatToolbar::CellEntered(TCellEdit* box) {
    if (!box) return;
    const quorvel::TCellFormat& format = box->Cell().Format;
    // Each state is set outright rather than only switched on, so that entering without a
    // leave before it (the window re-showing the focused cell) still shows the truth.
    SpeedButtonAll->setEnabled(true);
    SpeedButtonFontColor->setEnabled(true);
    SpeedButtonFontSizeUp->setEnabled(format.FontSize < kLargestSize);
    SpeedButtonFontSizeDown->setEnabled(format.FontSize > kSmallestSize);
    SpeedButtonBold->setEnabled(true);
    SpeedButtonItalic->setEnabled(true);
    SpeedButtonUnder->setEnabled(true);
    SpeedButtonBold->setChecked(format.Bold);
    SpeedButtonItalic->setChecked(format.Italic);
    SpeedButtonUnder->setChecked(format.Underline);
    SpeedButtonLeft->setEnabled(true);
    SpeedButtonCenter->setEnabled(true);
    SpeedButtonRight->setEnabled(true);
    SpeedButtonLeft->setChecked(format.HAlign == quorvel::kHAlignLeft);
    SpeedButtonRight->setChecked(format.HAlign == quorvel::kHAlignRight);
    SpeedButtonCenter->setChecked(format.HAlign == quorvel::kHAlignCenter);
    if (linkButton_) linkButton_->setEnabled(true);

    // The note has no background colour and no vertical alignment of its own.
    const bool note = box->Tag() == quorvel::kNoteTag;
    SpeedButtonBackColor->setEnabled(!note);
    SpeedButtonVTop->setEnabled(!note);
    SpeedButtonVCenter->setEnabled(!note);
    SpeedButtonVBottom->setEnabled(!note);
    SpeedButtonVTop->setChecked(!note && format.VAlign == quorvel::kVAlignTop);
    SpeedButtonVCenter->setChecked(!note && format.VAlign == quorvel::kVAlignCenter);
    SpeedButtonVBottom->setChecked(!note && format.VAlign == quorvel::kVAlignBottom);
}

bool TFormatToolbar::ApplyToAll() const {
    return SpeedButtonAll->isChecked();
}

void TFormatToolbar::SetApplyToAll(bool on) {
    SpeedButtonAll->setChecked(on);
}

int TFormatToolbar::SizeStepUp(int points) {
    constexpr int count = static_cast<int>(std::size(kLadder));
    for (int i = 0; i < count; ++i) {
        if (kLadder[i] == points) return kLadder[i + 1 < count ? i + 1 : i];
    }
    return points;
}

int TFormatToolbar::SizeStepDown(int points) {
    constexpr int count = static_cast<int>(std::size(kLadder));
    for (int i = 0; i < count; ++i) {
        if (kLadder[i] == points) return kLadder[i > 0 ? i - 1 : i];
    }
    return points;
}

void TFormatToolbar::applyFormat(TCellEdit* focused,
                                 const std::function<void(quorvel::TCellFormat&)>& set) {
    set(focused->Cell().Format);
    focused->ShowCellFormat();
    if (ApplyToAll()) {
        for (int tag : quorvel::TDescriptionSheet::ApplyToAllTags()) {
            set(sheet_.CellByTag(tag).Format);
            if (TCellEdit* box = cellBox_ ? cellBox_(tag) : nullptr) box->ShowCellFormat();
        }
    }
    emit formatChanged();
}

void TFormatToolbar::chooseColour(quorvel::TColor quorvel::TCellFormat::*field, bool noteAllowed) {
    TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
    if (!focused) return;
    if (!noteAllowed && focused->Tag() == quorvel::kNoteTag) return;
    const auto picked = dialogs().chooseColour(window(), focused->Cell().Format.*field);
    if (!picked) return;
    const quorvel::TColor colour = *picked & 0x00FFFFFFu;
    applyFormat(focused, [field, colour](quorvel::TCellFormat& format) { format.*field = colour; });
}

void TFormatToolbar::SpeedButtonFontColorClick() {
    chooseColour(&quorvel::TCellFormat::FontColor, true);
}

void TFormatToolbar::SpeedButtonBackColorClick() {
    chooseColour(&quorvel::TCellFormat::BackColor, false);
}

void TFormatToolbar::SpeedButtonFontSizeUpClick() {
    TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
    if (!focused) return;
    const int size = SizeStepUp(focused->Cell().Format.FontSize);
    focused->Cell().Format.FontSize = size;
    if (size >= kLargestSize) SpeedButtonFontSizeUp->setEnabled(false);
    if (size > kSmallestSize) SpeedButtonFontSizeDown->setEnabled(true);
    applyFormat(focused, [size](quorvel::TCellFormat& format) { format.FontSize = size; });
}

void TFormatToolbar::SpeedButtonFontSizeDownClick() {
    TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
    if (!focused) return;
    const int size = SizeStepDown(focused->Cell().Format.FontSize);
    focused->Cell().Format.FontSize = size;
    if (size <= kSmallestSize) SpeedButtonFontSizeDown->setEnabled(false);
    if (size < kLargestSize) SpeedButtonFontSizeUp->setEnabled(true);
    applyFormat(focused, [size](quorvel::TCellFormat& format) { format.FontSize = size; });
}

void TFormatToolbar::SpeedButtonBoldClick() {
    TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
    if (!focused) return;
    const bool bold = SpeedButtonBold->isChecked();
    const bool italic = SpeedButtonItalic->isChecked();
    const bool underline = SpeedButtonUnder->isChecked();
    applyFormat(focused, [bold, italic, underline](quorvel::TCellFormat& format) {
        format.Bold = bold;
        format.Italic = italic;
        format.Underline = underline;
    });
}

void TFormatToolbar::setHAlign(QToolButton* clicked, int code) {
    TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
    if (!focused) return;
    // One of the three is always down: the clicked one.
    SpeedButtonLeft->setChecked(clicked == SpeedButtonLeft);
    SpeedButtonCenter->setChecked(clicked == SpeedButtonCenter);
    SpeedButtonRight->setChecked(clicked == SpeedButtonRight);
    applyFormat(focused, [code](quorvel::TCellFormat& format) { format.HAlign = code; });
}

void TFormatToolbar::SpeedButtonLeftClick() {
    setHAlign(SpeedButtonLeft, quorvel::kHAlignLeft);
}

void TFormatToolbar::SpeedButtonCenterClick() {
    setHAlign(SpeedButtonCenter, quorvel::kHAlignCenter);
}

void TFormatToolbar::SpeedButtonRightClick() {
    setHAlign(SpeedButtonRight, quorvel::kHAlignRight);
}

void TFormatToolbar::setVAlign(QToolButton* clicked, int code) {
    TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
    if (!focused) return;
    if (focused->Tag() == quorvel::kNoteTag) return;
    // The click has already toggled the button: raised, it stays raised (none shows the
    // alignment the cell still gets); pressed, it raises the other two.
    if (clicked->isChecked()) {
        for (QToolButton* other : {SpeedButtonVTop, SpeedButtonVCenter, SpeedButtonVBottom}) {
            if (other != clicked) other->setChecked(false);
        }
    }
    applyFormat(focused, [code](quorvel::TCellFormat& format) { format.VAlign = code; });
}

void TFormatToolbar::SpeedButtonVTopClick() {
    setVAlign(SpeedButtonVTop, quorvel::kVAlignTop);
}

void TFormatToolbar::SpeedButtonVCenterClick() {
    setVAlign(SpeedButtonVCenter, quorvel::kVAlignCenter);
}

void TFormatToolbar::SpeedButtonVBottomClick() {
    setVAlign(SpeedButtonVBottom, quorvel::kVAlignBottom);
}
