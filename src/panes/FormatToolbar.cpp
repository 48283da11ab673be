#include "panes/FormatToolbar.h"

#include <QFocusEvent>
#include <QToolButton>

#include <iterator>
#include <utility>

#include "panes/CellEdit.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"
#include "ui/Guarded.h"
#include "ui/ToolButtons.h"

namespace {

using quorvel::TCellFormat;

constexpr int kLadder[] = {7, 8, 9, 12, 14, 18};
constexpr int kLargestSize = 18;
constexpr int kSmallestSize = 7;

// One button of the toolbar: how it is built, whether it works on the cell being edited (the note
// has no background colour and no vertical alignment of its own), and, for a state button,
// whether it shows down for that cell. A row without a name is a separator.
struct FormatButton {
    ui::ToolButtonEntry<TFormatToolbar> entry;
    bool (*enabledFor)(const TCellFormat& format, bool note) = nullptr;
    bool (*downFor)(const TCellFormat& format, bool note) = nullptr;
};

bool always(const TCellFormat&, bool) {
    return true;
}
bool notOnNote(const TCellFormat&, bool note) {
    return !note;
}

using T = TFormatToolbar;
const FormatButton kFormatButtons[] = {
    {{"SpeedButtonAll", "全セル適用|全てのセルに編集を適用", "fmt_all", true, &T::SpeedButtonAll},
     always},
    {},
    {{"SpeedButtonFontColor", "フォント色|文字（フォント）の色を設定", "fmt_font_colour", false,
      &T::SpeedButtonFontColor, &T::SpeedButtonFontColorClick},
     always},
    {{"SpeedButtonFontSizeUp", "フォント大|文字（フォント）サイズを大きく", "fmt_size_up", false,
      &T::SpeedButtonFontSizeUp, &T::SpeedButtonFontSizeUpClick},
     [](const TCellFormat& f, bool) { return f.FontSize < kLargestSize; }},
    {{"SpeedButtonFontSizeDown", "フォント小|文字（フォント）サイズを小さく", "fmt_size_down",
      false, &T::SpeedButtonFontSizeDown, &T::SpeedButtonFontSizeDownClick},
     [](const TCellFormat& f, bool) { return f.FontSize > kSmallestSize; }},
    {{"SpeedButtonBold", "太字|文字（フォント）を太く", "fmt_bold", true, &T::SpeedButtonBold,
      &T::SpeedButtonBoldClick},
     always,
     [](const TCellFormat& f, bool) { return f.Bold; }},
    {{"SpeedButtonItalic", "斜体|文字（フォント）を斜め", "fmt_italic", true, &T::SpeedButtonItalic,
      &T::SpeedButtonBoldClick},
     always,
     [](const TCellFormat& f, bool) { return f.Italic; }},
    {{"SpeedButtonUnder", "下線|文字（フォント）を下線つき", "fmt_underline", true,
      &T::SpeedButtonUnder, &T::SpeedButtonBoldClick},
     always,
     [](const TCellFormat& f, bool) { return f.Underline; }},
    {},
    {{"SpeedButtonBackColor", "背景色|セルの背景色を設定", "fmt_back_colour", false,
      &T::SpeedButtonBackColor, &T::SpeedButtonBackColorClick},
     notOnNote},
    {},
    {{"SpeedButtonLeft", "左揃え|セル内の文字を左揃え", "fmt_left", true, &T::SpeedButtonLeft,
      &T::SpeedButtonLeftClick},
     always,
     [](const TCellFormat& f, bool) { return f.HAlign == quorvel::kHAlignLeft; }},
    {{"SpeedButtonCenter", "中央揃え|セル内の文字を中央揃え", "fmt_center", true,
      &T::SpeedButtonCenter, &T::SpeedButtonCenterClick},
     always,
     [](const TCellFormat& f, bool) { return f.HAlign == quorvel::kHAlignCenter; }},
    {{"SpeedButtonRight", "右揃え|セル内の文字を右揃え", "fmt_right", true, &T::SpeedButtonRight,
      &T::SpeedButtonRightClick},
     always,
     [](const TCellFormat& f, bool) { return f.HAlign == quorvel::kHAlignRight; }},
    {},
    {{"SpeedButtonVTop", "上寄せ|セル内の文字を上寄せ", "fmt_top", true, &T::SpeedButtonVTop,
      &T::SpeedButtonVTopClick},
     notOnNote,
     [](const TCellFormat& f, bool note) { return !note && f.VAlign == quorvel::kVAlignTop; }},
    {{"SpeedButtonVCenter", "中央寄せ|セル内の文字を中央寄せ", "fmt_vcenter", true,
      &T::SpeedButtonVCenter, &T::SpeedButtonVCenterClick},
     notOnNote,
     [](const TCellFormat& f, bool note) { return !note && f.VAlign == quorvel::kVAlignCenter; }},
    {{"SpeedButtonVBottom", "下寄せ|セル内の文字を下寄せ", "fmt_bottom", true,
      &T::SpeedButtonVBottom, &T::SpeedButtonVBottomClick},
     notOnNote,
     [](const TCellFormat& f, bool note) { return !note && f.VAlign == quorvel::kVAlignBottom; }},
};

}  // namespace

TFormatToolbar::TFormatToolbar(TSheetDocument& document, FocusedCellBox focusedCell,
                               QToolButton* linkButton, QWidget* parent)
    : QToolBar(parent),
      document_(document),
      focusedCell_(std::move(focusedCell)),
      linkButton_(linkButton) {
    setObjectName(QStringLiteral("ToolBar2"));
    setFixedHeight(30);
    setMovable(false);
    setFloatable(false);

    // Exclusive groups are kept by hand: a QButtonGroup would not let the leave step raise the
    // horizontal group, nor let the vertical button that is down be raised by its click.
    for (const FormatButton& button : kFormatButtons)
        if (QToolButton* built = ui::addToolButton(this, *this, this, button.entry))
            built->setEnabled(false);
    // A design is for the whole sheet: the button works with or without a cell in hand.
    addSeparator();
    ui::addToolButton(this, *this, this,
                      ui::ToolButtonEntry<TFormatToolbar>{
                          "SpeedButtonDesign", "デザイン|用意されたデザインや保存した書式を使う",
                          "design", false, &T::SpeedButtonDesign, &T::SpeedButtonDesignClick});
    hAlign_ =
        ui::AlignmentGroup({SpeedButtonLeft, SpeedButtonCenter, SpeedButtonRight},
                           {quorvel::kHAlignLeft, quorvel::kHAlignCenter, quorvel::kHAlignRight});
    vAlign_ =
        ui::AlignmentGroup({SpeedButtonVTop, SpeedButtonVCenter, SpeedButtonVBottom},
                           {quorvel::kVAlignTop, quorvel::kVAlignCenter, quorvel::kVAlignBottom});

    if (linkButton_) linkButton_->setEnabled(false);
    // A sheet replaced or a format changed under the focused cell (a new or loaded sheet, an
    // undo, a design) leaves the focus where it was, so no enter reports it.
    connect(
        &document_, &TSheetDocument::changed, this, [this](TSheetDocument::Change what, int tag) {
            if (what != TSheetDocument::Change::WholeSheet &&
                what != TSheetDocument::Change::CellFormat)
                return;
            TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
            if (focused && (what == TSheetDocument::Change::WholeSheet || tag == focused->Tag()))
                CellEntered(focused);
        });
}

void TFormatToolbar::AttachCell(TCellEdit* box) {
    ui::connectGuarded(box, &TCellEdit::cellEntered, this,
                       [this](TCellEdit* entered) { CellEntered(entered); });
    ui::connectGuarded(box, &TCellEdit::cellLeft, this, [this] { CellLeft(); });
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
    for (const FormatButton& row : kFormatButtons) {
        if (!row.entry.member) continue;
        QToolButton* button = this->*row.entry.member;
        button->setEnabled(false);
        if (row.downFor) button->setChecked(false);
    }
    if (linkButton_) linkButton_->setEnabled(false);
}

void TFormatToolbar::CellEntered(TCellEdit* box) {
    if (!box) return;
    const TCellFormat& format = box->Cell().Format;
    const bool note = box->Tag() == quorvel::kNoteTag;
    // Each state is set outright rather than only switched on, so that entering without a
    // leave before it (the window re-showing the focused cell) still shows the truth.
    for (const FormatButton& row : kFormatButtons) {
        if (!row.entry.member) continue;
        QToolButton* button = this->*row.entry.member;
        button->setEnabled(row.enabledFor(format, note));
        if (row.downFor) button->setChecked(row.downFor(format, note));
    }
    if (linkButton_) linkButton_->setEnabled(true);
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

void TFormatToolbar::applyFormat(TCellEdit* focused, TSheetDocument::FormatField field,
                                 const std::function<void(quorvel::TCellFormat&)>& set) {
    quorvel::TCellFormat value = focused->Cell().Format;
    set(value);
    document_.SetCellFormat(focused->Tag(), field, value, ApplyToAll());
    emit formatChanged();
}

void TFormatToolbar::chooseColour(quorvel::TColor quorvel::TCellFormat::*field, bool noteAllowed) {
    using Field = TSheetDocument::FormatField;
    TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
    if (!focused) return;
    if (!noteAllowed && focused->Tag() == quorvel::kNoteTag) return;
    const auto picked = dialogs().chooseColour(window(), focused->Cell().Format.*field);
    if (!picked) return;
    const quorvel::TColor colour = *picked & 0x00FFFFFFu;
    const Field which =
        field == &quorvel::TCellFormat::FontColor ? Field::FontColor : Field::BackColor;
    applyFormat(focused, which,
                [field, colour](quorvel::TCellFormat& format) { format.*field = colour; });
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
    if (size >= kLargestSize) SpeedButtonFontSizeUp->setEnabled(false);
    if (size > kSmallestSize) SpeedButtonFontSizeDown->setEnabled(true);
    applyFormat(focused, TSheetDocument::FormatField::FontSize,
                [size](quorvel::TCellFormat& format) { format.FontSize = size; });
}

void TFormatToolbar::SpeedButtonFontSizeDownClick() {
    TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
    if (!focused) return;
    const int size = SizeStepDown(focused->Cell().Format.FontSize);
    if (size <= kSmallestSize) SpeedButtonFontSizeDown->setEnabled(false);
    if (size < kLargestSize) SpeedButtonFontSizeUp->setEnabled(true);
    applyFormat(focused, TSheetDocument::FormatField::FontSize,
                [size](quorvel::TCellFormat& format) { format.FontSize = size; });
}

void TFormatToolbar::SpeedButtonBoldClick() {
    TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
    if (!focused) return;
    const bool bold = SpeedButtonBold->isChecked();
    const bool italic = SpeedButtonItalic->isChecked();
    const bool underline = SpeedButtonUnder->isChecked();
    applyFormat(focused, TSheetDocument::FormatField::Style,
                [bold, italic, underline](quorvel::TCellFormat& format) {
                    format.Bold = bold;
                    format.Italic = italic;
                    format.Underline = underline;
                });
}

void TFormatToolbar::setHAlign(QToolButton* clicked) {
    TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
    if (!focused) return;
    // One of the three is always down: the clicked one.
    const int code = hAlign_.CodeOf(clicked, focused->Cell().Format.HAlign);
    hAlign_.Show(code);
    applyFormat(focused, TSheetDocument::FormatField::HAlign,
                [code](TCellFormat& format) { format.HAlign = code; });
}

void TFormatToolbar::SpeedButtonLeftClick() {
    setHAlign(SpeedButtonLeft);
}

void TFormatToolbar::SpeedButtonCenterClick() {
    setHAlign(SpeedButtonCenter);
}

void TFormatToolbar::SpeedButtonRightClick() {
    setHAlign(SpeedButtonRight);
}

void TFormatToolbar::setVAlign(QToolButton* clicked) {
    TCellEdit* focused = focusedCell_ ? focusedCell_() : nullptr;
    if (!focused) return;
    if (focused->Tag() == quorvel::kNoteTag) return;
    const int code = vAlign_.CodeOf(clicked, focused->Cell().Format.VAlign);
    // The click has already toggled the button: raised, it stays raised (none shows the
    // alignment the cell still gets); pressed, it raises the other two.
    if (clicked->isChecked()) vAlign_.Show(code);
    applyFormat(focused, TSheetDocument::FormatField::VAlign,
                [code](TCellFormat& format) { format.VAlign = code; });
}

void TFormatToolbar::SpeedButtonVTopClick() {
    setVAlign(SpeedButtonVTop);
}

void TFormatToolbar::SpeedButtonVCenterClick() {
    setVAlign(SpeedButtonVCenter);
}

void TFormatToolbar::SpeedButtonVBottomClick() {
    setVAlign(SpeedButtonVBottom);
}

void TFormatToolbar::SpeedButtonDesignClick() {
    emit designRequested();
}
