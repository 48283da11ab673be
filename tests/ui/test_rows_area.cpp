#include <qtestspontaneevent.h>
#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

#include "UiTestEnvironment.h"
#include "document/SheetDocument.h"
#include "panes/CellEdit.h"
#include "panes/RowsArea.h"
#include "panes/SheetBars.h"

namespace {

// The three pieces stacked as the main window stacks them.
struct Window {
    quorvel::TDescriptionSheet sheet;
    TSheetDocument document{sheet};
    QWidget frame;
    TTitleBar* title = nullptr;
    TRowsArea* rows = nullptr;
    TNoteBar* note = nullptr;

    explicit Window(QSize size) {
        title = new TTitleBar(document, &frame);
        rows = new TRowsArea(document, &frame);
        note = new TNoteBar(document, &frame);
        auto* layout = new QVBoxLayout(&frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(title);
        layout->addWidget(rows, 1);
        layout->addWidget(note);
        frame.resize(size);
        frame.show();
    }
    void settle() {
        frame.layout()->activate();
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
};

void wheel(QWidget* target, int deltaY) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, deltaY), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    // Only a wheel event from the system is passed on to the parents; sendEvent would make
    // it a program's own.
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(target, &event);
}

void dragSplitter(QWidget* bar, int byX) {
    const QPointF grab(1, 5);
    QMouseEvent press(QEvent::MouseButtonPress, grab, bar->mapToGlobal(grab), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    const QPointF to(1 + byX, 5);
    QMouseEvent move(QEvent::MouseMove, to, bar->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, bar->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
}

int bottomPosition(const TRowsArea& rows) {
    return rows.RowsScrollRange() - rows.viewport()->height();
}

}  // namespace

class RowsAreaTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        window = std::make_unique<Window>(QSize(414, 300));
        QVERIFY(QTest::qWaitForWindowExposed(&window->frame));
        window->settle();
    }
    void cleanup() { window.reset(); }

    void controlsAndStartSizes() {
        QWidget& f = window->frame;
        auto* top = f.findChild<QFrame*>("PanelTop");
        QVERIFY(top);
        QCOMPARE(top->height(), 36);
        QCOMPARE(f.findChild<QFrame*>("Panel9")->width(), 82);
        auto* tytle = f.findChild<QCheckBox*>("CheckBoxTytle");
        QCOMPARE(tytle->text(), QStringLiteral("タイトル"));
        QVERIFY(tytle->isChecked());
        auto* memoTytle = f.findChild<TCellEdit*>("MemoTytle");
        QVERIFY(memoTytle);
        QCOMPARE(memoTytle->Tag(), quorvel::kTitleTag);

        auto* bottom = f.findChild<QFrame*>("PanelBottom");
        QCOMPARE(bottom->height(), 64);
        QCOMPARE(f.findChild<QFrame*>("Panel39")->width(), 82);
        QCOMPARE(f.findChild<QFrame*>("Panel2")->height(), 27);
        auto* search = f.findChild<QCheckBox*>("CheckBoxSearch");
        QCOMPARE(search->text(), QStringLiteral("枠外注記"));
        QVERIFY(search->isChecked());
        QCOMPARE(f.findChild<TCellEdit*>("MemoKey")->Tag(), quorvel::kNoteTag);
        for (const char* name : {"SpeedButtonUW", "SpeedButtonDW"}) {
            auto* button = f.findChild<QToolButton*>(name);
            QVERIFY2(button, name);
            QVERIFY(button->icon().isNull());
            QVERIFY(button->toolTip().isEmpty());
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(window->note->SpeedButtonUW->property("Tag").toInt(), 1);
        QCOMPARE(window->note->SpeedButtonDW->property("Tag").toInt(), -1);

        TRowsArea* rows = window->rows;
        QCOMPARE(rows->objectName(), QStringLiteral("ScrollBox1"));
        QCOMPARE(rows->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(rows->verticalScrollBar()->hasTracking());
        QVERIFY(rows->minimumHeight() >= 64);
        QCOMPARE(rows->RowsScrollRange(), 450);
        QCOMPARE(rows->widget()->height(), 450);
        QCOMPARE(rows->LeftColumnWidth(), 200);
        QCOMPARE(f.findChild<QWidget*>("PanelLeft")->width(), 200);
        QCOMPARE(f.findChild<QWidget*>("Splitter2")->width(), 3);
        QCOMPARE(f.findChild<QWidget*>("PanelRight")->x(), 203);
        QCOMPARE(f.findChild<QWidget*>("PanelRight")->width(), rows->viewport()->width() - 203);

        const QStringList digits = {"１", "２", "３", "４", "５", "６", "７", "８", "９", "１０"};
        for (int row = 1; row <= 10; ++row) {
            const QString n = QString::number(row);
            auto* kou = f.findChild<QFrame*>("PanelKou" + n);
            auto* set = f.findChild<QFrame*>("PanelSet" + n);
            QVERIFY(kou && set);
            QCOMPARE(kou->height(), 45);
            QCOMPARE(set->height(), 45);
            QCOMPARE(kou->y(), 45 * (row - 1));
            auto* kouBox = f.findChild<QCheckBox*>("CheckBoxKou" + n);
            auto* setBox = f.findChild<QCheckBox*>("CheckBoxSet" + n);
            QCOMPARE(kouBox->text(), "項目" + digits[row - 1]);
            QCOMPARE(setBox->text(), "説明" + digits[row - 1]);
            QVERIFY(kouBox->isChecked() && setBox->isChecked());
            auto* up = f.findChild<QToolButton*>("SpeedButtonU" + n);
            auto* down = f.findChild<QToolButton*>("SpeedButtonD" + n);
            QVERIFY(up && down);
            QCOMPARE(up->size(), QSize(23, 22));
            QCOMPARE(up->property("Tag").toInt(), 1);
            QCOMPARE(down->property("Tag").toInt(), -1);
            QVERIFY(up->toolTip().isEmpty() && down->toolTip().isEmpty());
            QVERIFY(!up->icon().isNull() && !down->icon().isNull());
            QCOMPARE(up->focusPolicy(), Qt::NoFocus);
            QVERIFY(kou->isAncestorOf(up) && kou->isAncestorOf(kouBox));
            auto* left = f.findChild<TCellEdit*>(QStringLiteral("Memo%1Left").arg(row));
            auto* right = f.findChild<TCellEdit*>(QStringLiteral("Memo%1Right").arg(row));
            QVERIFY(left && right);
            // Frame, label panel, then the cell to the frame's inner edge.
            QCOMPARE(left->geometry(), QRect(83, 1, kou->width() - 84, 43));
            QCOMPARE(right->geometry(), QRect(83, 1, set->width() - 84, 43));
            QCOMPARE(left->Tag(), quorvel::ItemTag(row));
            QCOMPARE(right->Tag(), quorvel::DescriptionTag(row));
            QCOMPARE(rows->Cell(quorvel::ItemTag(row)), left);
            QCOMPARE(rows->Cell(quorvel::DescriptionTag(row)), right);
            QVERIFY(left->toolTip().isEmpty());
        }
        QCOMPARE(rows->Cell(quorvel::kTitleTag), nullptr);
        QCOMPARE(rows->Cell(quorvel::kNoteTag), nullptr);
        QCOMPARE(rows->Cells().size(), 20);
    }

    void rowHeightStepsAndLimits() {
        TRowsArea* rows = window->rows;
        // Growing from the start walks 60 ... 300 and stops there.
        for (int expected = 60; expected <= 300; expected += 15) {
            rows->SpeedButtonU[4]->click();
            QCOMPARE(rows->RowHeight(5), expected);
        }
        rows->SpeedButtonU[4]->click();
        QCOMPARE(rows->RowHeight(5), 300);
        QCOMPARE(rows->PanelKou[4]->height(), 300);
        QCOMPARE(rows->PanelSet[4]->height(), 300);
        QCOMPARE(rows->RowsScrollRange(), 450 - 45 + 300);
        for (int i = 0; i < 17; ++i) rows->SpeedButtonD[4]->click();
        QCOMPARE(rows->RowHeight(5), 45);
        rows->SpeedButtonD[4]->click();
        QCOMPARE(rows->RowHeight(5), 45);
        QCOMPARE(rows->PanelSet[4]->height(), 45);
        // Other rows were never touched.
        for (int row = 1; row <= 10; ++row) QCOMPARE(rows->RowHeight(row), 45);

        // Stored settings may hold anything.
        rows->SetRowHeight(1, 1000);
        QCOMPARE(rows->RowHeight(1), 300);
        QCOMPARE(rows->PanelSet[0]->height(), 300);
        rows->SetRowHeight(2, -7);
        QCOMPARE(rows->RowHeight(2), 45);
        rows->SetRowHeight(10, 52);
        QCOMPARE(rows->PanelKou[9]->height(), 52);
        QCOMPARE(rows->PanelSet[9]->height(), 52);
        QCOMPARE(rows->RowsScrollRange(), 300 + 8 * 45 + 52);
        rows->SetRowHeight(0, 100);
        rows->SetRowHeight(11, 100);
        QCOMPARE(rows->RowHeight(0), 0);
        QCOMPARE(rows->RowsScrollRange(), 300 + 8 * 45 + 52);
    }

    void scrollRangeFollowsTheRows() {
        TRowsArea* rows = window->rows;
        QSignalSpy changed(rows, &TRowsArea::rowHeightChanged);
        rows->SpeedButtonU[2]->click();
        rows->SpeedButtonU[2]->click();
        QCOMPARE(rows->RowsScrollRange(), 480);
        QCOMPARE(rows->widget()->height(), 480);
        QCOMPARE(rows->PanelKou[3]->y(), 165);
        QCOMPARE(rows->PanelSet[3]->y(), 165);
        rows->SpeedButtonD[2]->click();
        rows->SpeedButtonD[2]->click();
        QCOMPARE(rows->RowsScrollRange(), 450);
        QCOMPARE(changed.count(), 4);
        QCOMPARE(changed.last().at(0).toInt(), 3);
        QCOMPARE(changed.last().at(1).toInt(), 45);
    }

    void shrinkingAtTheBottomKeepsThePositionInRange() {
        TRowsArea* rows = window->rows;
        for (int i = 0; i < 4; ++i) rows->SpeedButtonU[9]->click();  // row 10: 105
        window->settle();
        QVERIFY(rows->viewport()->height() < 450);
        rows->SetScrollPosition(100000);
        QCOMPARE(rows->ScrollPosition(), bottomPosition(*rows));
        const int before = rows->ScrollPosition();
        rows->SpeedButtonD[9]->click();
        window->settle();
        QCOMPARE(rows->RowsScrollRange(), 9 * 45 + 90);
        QCOMPARE(rows->ScrollPosition(), bottomPosition(*rows));
        QCOMPARE(rows->ScrollPosition(), before - 15);
        rows->ScrollToTop();
        QCOMPARE(rows->ScrollPosition(), 0);
    }

    void wheelMovesOneStepPerEvent() {
        TRowsArea* rows = window->rows;
        QWidget* label = rows->CheckBoxKou[0];  // does not use the wheel itself
        wheel(label, -120);
        QCOMPARE(rows->ScrollPosition(), 8);
        wheel(label, -360);  // a big turn is still one step
        QCOMPARE(rows->ScrollPosition(), 16);
        wheel(label, -15);  // so is a small one
        QCOMPARE(rows->ScrollPosition(), 24);
        wheel(rows->viewport(), 120);
        QCOMPARE(rows->ScrollPosition(), 16);
        for (int i = 0; i < 5; ++i) wheel(label, 120);
        QCOMPARE(rows->ScrollPosition(), 0);
        for (int i = 0; i < 200; ++i) wheel(rows->viewport(), -120);
        QCOMPARE(rows->ScrollPosition(), bottomPosition(*rows));
        QVERIFY(bottomPosition(*rows) > 0);
        rows->ScrollBox1MouseWheelDown();
        QCOMPARE(rows->ScrollPosition(), bottomPosition(*rows));
        rows->ScrollBox1MouseWheelUp();
        QCOMPARE(rows->ScrollPosition(), bottomPosition(*rows) - 8);
    }

    void wheelOverACellScrollsTheCellFirst() {
        TRowsArea* rows = window->rows;
        TCellEdit* cell = rows->MemoRight[0];
        // An empty cell cannot scroll: the area does.
        wheel(cell->viewport(), -120);
        QCOMPARE(rows->ScrollPosition(), 8);

        QStringList lines;
        for (int i = 0; i < 30; ++i) lines << QString::number(i);
        cell->setPlainText(lines.join(u'\n'));
        QApplication::processEvents();
        QScrollBar* own = cell->verticalScrollBar();
        QVERIFY(own->maximum() > 0);
        wheel(cell->viewport(), -120);
        QVERIFY(own->value() > 0);
        QCOMPARE(rows->ScrollPosition(), 8);
        // At its own end the cell passes the wheel on.
        own->setValue(own->maximum());
        wheel(cell->viewport(), -120);
        QCOMPARE(rows->ScrollPosition(), 16);
    }

    void noteHeightSteps() {
        TNoteBar* note = window->note;
        TRowsArea* rows = window->rows;
        const int together = rows->height() + note->height();
        QSignalSpy changed(note, &TNoteBar::noteHeightChanged);
        for (int expected : {79, 94, 109, 124, 128, 128}) {
            QTest::mouseClick(note->SpeedButtonUW, Qt::LeftButton);
            window->settle();
            QCOMPARE(note->NoteHeight(), expected);
            QCOMPARE(note->height(), expected);
            QCOMPARE(rows->height() + note->height(), together);
        }
        QCOMPARE(changed.count(), 5);
        for (int expected : {113, 98, 83, 68, 64, 64}) {
            note->SpeedButtonDW->click();
            window->settle();
            QCOMPARE(note->height(), expected);
            QCOMPARE(rows->height() + note->height(), together);
        }
        // The scroll range belongs to the rows alone.
        QCOMPARE(rows->RowsScrollRange(), 450);
        note->SetNoteHeight(500);
        QCOMPARE(note->height(), 128);
        note->SetNoteHeight(0);
        QCOMPARE(note->height(), 64);
    }

    void includeBoxesSetTheFlagsOnly() {
        quorvel::TDescriptionSheet& sheet = window->sheet;
        QTest::mouseClick(window->title->CheckBoxTytle, Qt::LeftButton);
        QVERIFY(!sheet.IncludeTitle);
        window->rows->CheckBoxKou[1]->click();
        QVERIFY(!sheet.Rows[1].IncludeItem);
        QVERIFY(sheet.Rows[1].IncludeDescription);
        window->rows->CheckBoxSet[9]->click();
        QVERIFY(!sheet.Rows[9].IncludeDescription);
        QVERIFY(sheet.Rows[9].IncludeItem);
        window->note->CheckBoxSearch->click();
        QVERIFY(!sheet.IncludeNote);
        for (int row : {1, 3, 4, 5, 6, 7, 8, 9})
            QVERIFY(sheet.Rows[row - 1].IncludeItem && sheet.Rows[row - 1].IncludeDescription);
        // No text was edited, but each click is a step of the sheet's history.
        QVERIFY(!sheet.AnyCellModified());
        QCOMPARE(window->document.History()->count(), 4);
        window->rows->CheckBoxKou[1]->click();
        QVERIFY(sheet.Rows[1].IncludeItem);
        QVERIFY(window->document.IsModified());
        window->document.Undo();
        QVERIFY(!sheet.Rows[1].IncludeItem);
        QVERIFY(!window->rows->CheckBoxKou[1]->isChecked());
    }

    void showIncludeFlagsAndCellsFromTheSheet() {
        quorvel::TDescriptionSheet& sheet = window->sheet;
        sheet.IncludeTitle = false;
        sheet.Rows[0].IncludeItem = false;
        sheet.Rows[6].IncludeDescription = false;
        sheet.IncludeNote = false;
        sheet.Rows[3].Item.Text = "shoes\r\n26cm";
        sheet.Note.Text = "note";
        sheet.Title.Text = "title";
        window->title->ShowIncludeFlags();
        window->rows->ShowIncludeFlags();
        window->note->ShowIncludeFlags();
        window->title->ShowCells();
        window->rows->ShowCells();
        window->note->ShowCells();
        QVERIFY(!window->title->CheckBoxTytle->isChecked());
        QVERIFY(!window->rows->CheckBoxKou[0]->isChecked());
        QVERIFY(window->rows->CheckBoxSet[0]->isChecked());
        QVERIFY(!window->rows->CheckBoxSet[6]->isChecked());
        QVERIFY(!window->note->CheckBoxSearch->isChecked());
        QCOMPARE(window->rows->MemoLeft[3]->toPlainText(), QStringLiteral("shoes\n26cm"));
        QCOMPARE(window->title->MemoTytle->toPlainText(), QStringLiteral("title"));
        QCOMPARE(window->note->MemoKey->toPlainText(), QStringLiteral("note"));
        QVERIFY(!sheet.AnyCellModified());

        // Showing writes nothing back: the sheet reset afterwards shows ticks again.
        sheet.ResetSheet();
        QVERIFY(sheet.IncludeTitle && sheet.Rows[0].IncludeItem && sheet.IncludeNote);
        window->rows->ShowIncludeFlags();
        QVERIFY(window->rows->CheckBoxKou[0]->isChecked());
    }

    void focusOrderWithinThePieces() {
        TRowsArea* rows = window->rows;
        const QList<QWidget*> order = rows->FocusOrder();
        QCOMPARE(order.size(), 40);
        QCOMPARE(order[0], rows->CheckBoxKou[0]);
        QCOMPARE(order[1], rows->MemoLeft[0]);
        QCOMPARE(order[19], rows->MemoLeft[9]);
        QCOMPARE(order[20], rows->CheckBoxSet[0]);
        QCOMPARE(order[39], rows->MemoRight[9]);
        // The Tab chain inside the area follows the same order, skipping non-focus widgets.
        QWidget* at = order[0];
        for (qsizetype i = 1; i < order.size(); ++i) {
            do {
                at = at->nextInFocusChain();
            } while (!(at->focusPolicy() & Qt::TabFocus) || !order.contains(at));
            QCOMPARE(at, order[i]);
        }
        QCOMPARE(window->title->FocusOrder(),
                 (QList<QWidget*>{window->title->CheckBoxTytle, window->title->MemoTytle}));
        QCOMPARE(window->note->FocusOrder(),
                 (QList<QWidget*>{window->note->CheckBoxSearch, window->note->MemoKey}));
        QCOMPARE(rows->focusPolicy(), Qt::NoFocus);
    }

    void tabIntoAHiddenRowBringsItIntoView() {
        TRowsArea* rows = window->rows;
        window->frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window->frame));
        window->note->MemoKey->setFocus(Qt::OtherFocusReason);
        QCOMPARE(rows->ScrollPosition(), 0);
        rows->MemoRight[9]->setFocus(Qt::BacktabFocusReason);
        QVERIFY(rows->MemoRight[9]->hasFocus());
        QCOMPARE(rows->ScrollPosition(), bottomPosition(*rows));
        // The whole row, label included, is in view.
        rows->CheckBoxKou[0]->setFocus(Qt::TabFocusReason);
        QCOMPARE(rows->ScrollPosition(), 0);
        // A click (or the program) does not move the view.
        rows->MemoLeft[9]->setFocus(Qt::MouseFocusReason);
        QCOMPARE(rows->ScrollPosition(), 0);
    }

    void splitterResizesTheColumnsLive() {
        TRowsArea* rows = window->rows;
        QSignalSpy changed(rows, &TRowsArea::leftColumnWidthChanged);
        QWidget* bar = rows->findChild<QWidget*>("Splitter2");
        dragSplitter(bar, 40);
        window->settle();
        QCOMPARE(rows->LeftColumnWidth(), 240);
        QCOMPARE(rows->PanelLeft->width(), 240);
        QCOMPARE(rows->PanelRight->x(), 243);
        QCOMPARE(rows->MemoLeft[0]->width() + rows->MemoRight[0]->width(),
                 rows->viewport()->width() - 3 - 2 * (82 + 2));
        dragSplitter(bar, -1000);
        QCOMPARE(rows->LeftColumnWidth(), 100);
        dragSplitter(bar, 1000);
        QCOMPARE(rows->LeftColumnWidth(), rows->viewport()->width() - 103);
        QCOMPARE(rows->PanelRight->width(), 100);
        QVERIFY(changed.count() >= 3);

        rows->SetLeftColumnWidth(50);
        QCOMPARE(rows->LeftColumnWidth(), 100);
        // A stored width wider than the window: kept, shown narrower, back when there is room.
        rows->SetLeftColumnWidth(900);
        QCOMPARE(rows->LeftColumnWidth(), 900);
        QCOMPARE(rows->PanelRight->width(), 100);
        window->frame.resize(1200, 300);
        window->settle();
        QCOMPARE(rows->PanelLeft->width(), 900);
        QCOMPARE(rows->ShownLeftColumnWidth(), 900);
    }

  private:
    std::unique_ptr<Window> window;
};

QUORVEL_UI_TEST_MAIN(RowsAreaTest)
#include "test_rows_area.moc"
