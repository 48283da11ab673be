// Undo and redo as a seller meets them in the main window: the toolbar buttons and their hints,
// the keys inside a cell, where the focus goes, the save question and the cells' menu.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>

#include <array>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "document/SheetDocument.h"
#include "editor/EditMenu.h"
#include "editor/Mainunit.h"
#include "followers/RecoveryKeeper.h"
#include "panes/CellEdit.h"
#include "panes/FormatToolbar.h"
#include "panes/RowsArea.h"
#include "store/DataFile.h"

namespace {

std::array<quorvel::TCellFormat, quorvel::kCellCount> formats(
    const quorvel::TDescriptionSheet& sheet) {
    std::array<quorvel::TCellFormat, quorvel::kCellCount> result;
    for (int index = 0; index < quorvel::kCellCount; ++index)
        result[index] = sheet.CellAt(index).Format;
    return result;
}

}  // namespace

class UndoCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() {
        QCOMPARE(fixture->dialogs.unexpected, 0);
        fixture.reset();
    }

    void applyToAllIsOneStepAndTheButtonsNameIt() {
        TFormMain& main = fixture->start();
        QToolButton* undo = find<QToolButton>("SpeedButtonUndo");
        QToolButton* redo = find<QToolButton>("SpeedButtonRedo");
        QCOMPARE(undo->parentWidget(), main.ToolBar1);
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        QCOMPARE(undo->toolTip(), QStringLiteral("元に戻す"));
        QCOMPARE(redo->toolTip(), QStringLiteral("やり直し"));

        const auto before = formats(main.Sheet());
        TCellEdit* cell = focus("Memo3Left");
        main.FormatToolbar()->SetApplyToAll(true);
        fixture->dialogs.colourAnswers.push_back(0x000000FFu);
        main.FormatToolbar()->SpeedButtonBackColor->click();
        for (int tag : quorvel::TDescriptionSheet::ApplyToAllTags())
            QCOMPARE(main.Sheet().CellByTag(tag).Format.BackColor, 0x000000FFu);
        QVERIFY(undo->isEnabled() && !redo->isEnabled());
        QCOMPARE(undo->toolTip(), QStringLiteral("元に戻す: 背景色（全セル）"));
        QCOMPARE(undo->statusTip(), undo->toolTip());

        // One click takes all twenty cells back, and nothing more is left to undo.
        focus("MemoTytle");
        undo->click();
        QVERIFY(formats(main.Sheet()) == before);
        QVERIFY(!undo->isEnabled());
        QCOMPARE(redo->toolTip(), QStringLiteral("やり直し: 背景色（全セル）"));
        // The cell the command was given in has the focus again, its format on the toolbar.
        QCOMPARE(main.FocusedCell(), cell);
        QVERIFY(main.FormatToolbar()->SpeedButtonBackColor->isEnabled());

        QTest::keyClick(cell, Qt::Key_Y, Qt::ControlModifier);
        for (int tag : quorvel::TDescriptionSheet::ApplyToAllTags())
            QCOMPARE(main.Sheet().CellByTag(tag).Format.BackColor, 0x000000FFu);
        QVERIFY(!redo->isEnabled());
    }

    void typingMergesAndTheKeysWorkInsideACell() {
        TFormMain& main = fixture->start();
        QUndoStack* history = main.SheetDocument()->History();
        TCellEdit* note = focus("MemoKey");
        QTest::keyClicks(note, "note");
        QCOMPARE(history->count(), 1);  // four keys, one step
        TCellEdit* last = focus("Memo10Right");
        QTest::keyClicks(last, "xy");
        QCOMPARE(history->count(), 2);
        QCOMPARE(history->undoText(), QStringLiteral("入力（説明１０）"));

        // A second step in a cell comes after any other step, even between keys.
        main.FormatToolbar()->SpeedButtonBold->click();
        QTest::keyClicks(last, "z");
        QCOMPARE(history->count(), 4);

        main.RowsArea()->ScrollToTop();
        focus("MemoTytle");
        QTest::keyClick(main.FocusedCell(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(last->toPlainText(), QStringLiteral("xy"));
        // The changed cell is brought into view and takes the focus.
        QCOMPARE(main.FocusedCell(), last);
        QVERIFY(main.RowsArea()->ScrollPosition() > 0);
        QVERIFY(!last->visibleRegion().isEmpty());

        QTest::keyClick(last, Qt::Key_Z, Qt::ControlModifier);  // the bold
        QTest::keyClick(last, Qt::Key_Z, Qt::ControlModifier);  // "xy"
        QCOMPARE(last->toPlainText(), QString());
        QTest::keyClick(last, Qt::Key_Z, Qt::ControlModifier);  // "note"
        QCOMPARE(note->toPlainText(), QString());
        QCOMPARE(main.FocusedCell(), note);
        // The toolbar shows the note: no background colour of its own.
        QVERIFY(!main.FormatToolbar()->SpeedButtonBackColor->isEnabled());
        QVERIFY(!main.AnyCellModified());

        QTest::keyClick(note, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(note->toPlainText(), QStringLiteral("note"));
        QCOMPARE(main.Sheet().Note.Text, std::string("note"));
    }

    void aFormatOnlyChangeAsksToSaveAndUndoingBackDoesNot() {
        TFormMain& main = fixture->start();
        uitest::TypeInto(find<TCellEdit>("MemoTytle"), QStringLiteral("時計"));
        fixture->dialogs.fileAnswers.push_back(fixture->files.filePath("watch.qvl"));
        main.SpeedButtonSaveAsClick();
        QVERIFY(!main.AnyCellModified());

        focus("MemoTytle");
        main.FormatToolbar()->SpeedButtonFontSizeUp->click();
        main.FormatToolbar()->SpeedButtonFontSizeUp->click();
        QCOMPARE(main.SheetDocument()->History()->count(), 2);  // typing, one size step
        QVERIFY(main.AnyCellModified());
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Cancel);
        QVERIFY(!main.close());
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        QCOMPARE(fixture->dialogs.messages[0].caption, QStringLiteral("終了確認"));

        main.SheetDocument()->Undo();
        QCOMPARE(main.Sheet().Title.Format.FontSize, 9);
        QVERIFY(!main.AnyCellModified());
        main.SpeedButtonNewClick();
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);  // no second question
        QCOMPARE(main.SheetDocument()->History()->count(), 0);
        QVERIFY(!find<QToolButton>("SpeedButtonUndo")->isEnabled());
    }

    void openDropAndNewStartAnEmptyHistory() {
        TFormMain& main = fixture->start();
        quorvel::TDescriptionSheet stored;
        stored.Title.Text = "watch";
        const QString path = fixture->files.filePath("stored.qvl");
        QVERIFY(!quorvel::SaveDataFile(stored, QFile::encodeName(path).toStdString()));

        find<QCheckBox>("CheckBoxKou2")->click();
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        fixture->dialogs.fileAnswers.push_back(path);
        main.SpeedButtonOpenClick();
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);  // the include box was a change
        QCOMPARE(main.SheetDocument()->History()->count(), 0);
        QVERIFY(main.Sheet().Rows[1].IncludeItem);

        find<QCheckBox>("CheckBoxKou2")->click();
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        main.FilesDropped({path});
        QCOMPARE(int(fixture->dialogs.messages.size()), 2);
        QCOMPARE(main.SheetDocument()->History()->count(), 0);
        QVERIFY(!main.AnyCellModified());
        QVERIFY(main.Sheet().Rows[1].IncludeItem);
        QVERIFY(find<QCheckBox>("CheckBoxKou2")->isChecked());
    }

    void theMenusUndoTakesBackTheSheetsLastStep() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = find<TCellEdit>("Memo2Right");
        QAction* undo = main.EditMenu()->PopupMenu1->findChild<QAction*>(QStringLiteral("Undo"));
        main.EditMenu()->PopupMenu1Popup(cell);
        QVERIFY(!undo->isEnabled());

        // Not a text edit, and in another cell: still the sheet's last step.
        find<QCheckBox>("CheckBoxTytle")->click();
        main.EditMenu()->PopupMenu1Popup(cell);
        QVERIFY(undo->isEnabled());
        undo->trigger();
        QVERIFY(main.Sheet().IncludeTitle);
        QVERIFY(find<QCheckBox>("CheckBoxTytle")->isChecked());
        main.EditMenu()->PopupMenu1Popup(cell);
        QVERIFY(!undo->isEnabled());
    }

    void theRecoveryCopyKeepsAFormatChangeAndGoesWhenItIsUndone() {
        uitest::TestClock clock;
        TFormMain& main = fixture->start();
        const std::chrono::milliseconds delay(TRecoveryKeeper::kWriteDelayMs);
        focus("Memo1Left");
        main.FormatToolbar()->SpeedButtonItalic->click();
        clock.Advance(delay);
        QVERIFY(main.Recovery()->Store().HasCopy());
        main.SheetDocument()->Undo();
        clock.Advance(delay);
        QVERIFY(!main.Recovery()->Store().HasCopy());
    }

  private:
    template <typename T>
    T* find(const char* name) {
        return fixture->find<T>(QString::fromLatin1(name));
    }

    TCellEdit* focus(const char* name) {
        TCellEdit* cell = find<TCellEdit>(name);
        cell->setFocus(Qt::TabFocusReason);
        if (!QTest::qWaitFor([cell] { return cell->hasFocus(); }))
            qWarning("%s did not take the focus", name);
        return cell;
    }

    std::unique_ptr<MainWindowFixture> fixture;
};

QUORVEL_UI_TEST_MAIN(UndoCommandsTest)
#include "test_undo_commands.moc"
