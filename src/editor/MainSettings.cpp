// Remembered window geometry, row layout and toggles.
#include <QToolButton>

#include "dialogs/Linkunit.h"
#include "dialogs/Preview.h"
#include "editor/FormatToolbar.h"
#include "editor/Mainunit.h"
#include "editor/RowsArea.h"
#include "editor/SheetBars.h"
#include "store/Settings.h"

void TFormMain::LoadSettings() {
    if (!settings_) return;
    const auto stored = quorvel::ReadStoredSettings(*settings_);
    if (!stored) return;
    const auto moveResize = [](QWidget* window, const std::optional<int>& left,
                               const std::optional<int>& top, const std::optional<int>& width,
                               const std::optional<int>& height) {
        window->move(left.value_or(window->x()), top.value_or(window->y()));
        window->resize(width.value_or(window->width()), height.value_or(window->height()));
    };
    moveResize(this, stored->Left, stored->Top, stored->Width, stored->Height);
    moveResize(preview_, stored->Pv_Left, stored->Pv_Top, stored->Pv_Width, stored->Pv_Height);
    if (stored->PanelLeftWidth)
        rowsArea_->SetLeftColumnWidth(quorvel::ClampPanelLeftWidth(*stored->PanelLeftWidth));
    if (stored->SpeedButtonStayOnTop)
        SpeedButtonStayOnTop->setChecked(*stored->SpeedButtonStayOnTop);
    if (stored->SpeedButtonMultiple) SpeedButtonMulti->setChecked(*stored->SpeedButtonMultiple);
    if (stored->SpeedButtonAll) formatToolbar_->SetApplyToAll(*stored->SpeedButtonAll);
    for (int row = 1; row <= quorvel::kRowCount; ++row) {
        if (const auto& height = stored->K_Height[row - 1])
            rowsArea_->SetRowHeight(row, quorvel::ClampRowHeight(*height));
    }
    if (stored->KWk_Height) noteBar_->SetNoteHeight(quorvel::ClampNoteHeight(*stored->KWk_Height));
    rowsArea_->UpdateRowsScrollRange();
}

void TFormMain::SaveSettings() {
    if (!settings_) return;
    quorvel::SettingsSnapshot snapshot;
    snapshot.Left = x();
    snapshot.Top = y();
    snapshot.Width = width();
    snapshot.Height = height();
    snapshot.Pv_Left = preview_->x();
    snapshot.Pv_Top = preview_->y();
    snapshot.Pv_Width = preview_->width();
    snapshot.Pv_Height = preview_->height();
    snapshot.PanelLeftWidth = rowsArea_->LeftColumnWidth();
    snapshot.SpeedButtonStayOnTop = SpeedButtonStayOnTop->isChecked();
    snapshot.SpeedButtonMultiple = SpeedButtonMulti->isChecked();
    snapshot.SpeedButtonAll = formatToolbar_->ApplyToAll();
    if (link_) {
        snapshot.EditAddress = link_->AddressBytes();
        snapshot.EditSubject = link_->SubjectBytes();
    }
    for (int row = 1; row <= quorvel::kRowCount; ++row)
        snapshot.K_Height[row - 1] = rowsArea_->RowHeight(row);
    snapshot.KWk_Height = noteBar_->NoteHeight();
    quorvel::WriteSettings(*settings_, snapshot);
}
