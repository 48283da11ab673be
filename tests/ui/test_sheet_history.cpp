// The sheet's history as a property: whatever the editor's commands did to a sheet, undoing all
// of them gives back the data file's very bytes, and redoing all gives the bytes they made; through
// the real boxes, every step on the way back and forth as well.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QSet>
#include <QTextDocument>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>

#include <random>
#include <string>
#include <vector>

#include "FormatToolbarHarness.h"
#include "UiTestEnvironment.h"
#include "document/SheetCommands.h"
#include "panes/StyleStrip.h"
#include "platform/Sjis.h"
#include "store/DataFile.h"
#include "ui/SjisText.h"

namespace {

using Field = TSheetDocument::FormatField;
using StyleField = TSheetDocument::StyleField;
using TextKind = TSheetDocument::TextKind;

std::string sj(const QString& text) {
    return quorvel::sjis::FromUtf8(text.toStdString()).bytes;
}

class Random {
  public:
    explicit Random(unsigned seed) : engine_(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }
    bool coin() { return below(2) == 1; }
    int tag() { return quorvel::kTitleTag + below(quorvel::kCellCount); }

    // Code page 932 text as a seller writes it, with now and then bytes no Unicode form keeps
    // (an unassigned code, a lone LF) that only a byte-exact undo brings back.
    std::string text(bool oddBytes) {
        static const char* pieces[] = {"a", "Z9", "\r\n", "漢字", "ｶﾅ", "①", " ", "<B>"};
        std::string result;
        for (int n = below(6); n > 0; --n) result += sj(QString::fromUtf8(pieces[below(8)]));
        if (oddBytes && below(4) == 0) result += below(2) ? std::string("\x85\x40") : "\n";
        return result;
    }
    quorvel::TCellFormat format() {
        static const int sizes[] = {7, 8, 9, 10, 12, 14, 18};
        return {colour(), sizes[below(7)], coin(), coin(), coin(), colour(), below(3), below(3)};
    }
    quorvel::TTableStyle style() {
        return {below(3), below(10), colour(), coin(), below(10), below(3)};
    }
    quorvel::TDescriptionSheet sheet(bool oddBytes) {
        quorvel::TDescriptionSheet made;
        for (int index = 0; index < quorvel::kCellCount; ++index) {
            quorvel::TSheetCell& cell = made.CellAt(index);
            cell.Text = text(oddBytes);
            cell.Format = format();
            made.IncludedByTag(cell.Tag) = coin();
        }
        made.Style = style();
        return made;
    }

  private:
    quorvel::TColor colour() {
        static const quorvel::TColor colours[] = {0x000000FF, 0x0000FF00, 0x00FF0000,
                                                  0x00FFFFFF, 0x00123456, 0x80000005};
        return colours[below(6)];
    }
    std::mt19937 engine_;
};

std::string image(const quorvel::TDescriptionSheet& sheet) {
    return quorvel::BuildDataImage(sheet);
}

int undoAll(TSheetDocument& document) {
    int steps = 0;
    for (; document.History()->canUndo(); ++steps) document.Undo();
    return steps;
}

}  // namespace

class SheetHistoryTest : public FormatToolbarTestBase {
    Q_OBJECT
  private slots:
    void init() { startHarness(); }
    void cleanup() { stopHarness(); }

    // The bulk: the document's commands themselves, thousands of random sequences.
    void undoAllAndRedoAllGiveTheBytesBackForAnyCommands() {
        constexpr int kSequences = 3000;
        for (int sequence = 0; sequence < kSequences; ++sequence) {
            Random random(sequence);
            quorvel::TDescriptionSheet sheet;
            TSheetDocument document(sheet);
            document.ReplaceSheet(random.sheet(true), false);
            const std::string before = image(sheet);
            int stamp = 0;
            int lastTextTag = 0;
            for (int n = 1 + random.below(30); n > 0; --n) {
                switch (random.below(6)) {
                    case 0: {
                        // A box's edit; one that continues the box's last step joins it.
                        const int tag = random.coin() && lastTextTag ? lastTextTag : random.tag();
                        if (tag != lastTextTag || random.below(3) == 0) ++stamp;
                        document.CellTextEdited(tag, random.text(true), nullptr, stamp,
                                                TextKind(random.below(6)));
                        lastTextTag = tag;
                        break;
                    }
                    case 1:
                        document.SetCellFormat(random.tag(), Field(random.below(6)),
                                               random.format(), random.coin());
                        break;
                    case 2:
                        document.SetIncluded(random.tag(), random.coin());
                        break;
                    case 3:
                        document.SetTableStyle(StyleField(random.below(6)), random.style());
                        break;
                    case 4:
                        // Going back part of the way and on from there drops the steps ahead.
                        for (int k = random.below(3); k > 0; --k) document.Undo();
                        break;
                    default:
                        document.Redo();
                        break;
                }
            }
            // A sequence may end part of the way back: redo goes as far as it had gone.
            const std::string after = image(sheet);
            const int done = document.History()->index();
            QCOMPARE(undoAll(document), done);
            QVERIFY2(image(sheet) == before, qPrintable(QString("sequence %1").arg(sequence)));
            QVERIFY(!document.IsModified());
            for (int step = 0; step < done; ++step) document.Redo();
            QVERIFY2(image(sheet) == after, qPrintable(QString("sequence %1").arg(sequence)));
        }
    }

    // Fewer, through the real boxes and buttons: typing, pastes, link and picture tags, each
    // format button with and without apply-to-all, include flags and the style strip. Walked back
    // and forth one step at a time: after each, the sheet is what it was at that point and every
    // box shows its cell (a box that parts from its cell in the middle may meet it again at the
    // ends).
    void theRealWidgetsReplayTheirStepsExactly() {
        TStyleStrip strip(w->document);
        strip.show();
        const QUndoStack* history = w->document.History();
        int replayed = 0;
        for (int sequence = 0; sequence < 60; ++sequence) {
            Random random(1000 + sequence);
            w->document.ReplaceSheet(random.sheet(sequence % 2 == 0), false);
            const std::string before = image(w->sheet);
            for (int n = 1 + random.below(20); n > 0; --n) runOne(random, strip);
            const std::string after = image(w->sheet);
            const QSet<int> typedIn = cellsWithTextSteps();
            const int steps = history->index();
            replayed += steps;
            for (int index = steps; index > 0; --index) {
                w->document.Undo();
                expectBoxesShowTheSheet(sequence, QStringLiteral("undo to %1").arg(index - 1));
                if (QTest::currentTestFailed()) return;
            }
            QVERIFY2(image(w->sheet) == before, qPrintable(QString("sequence %1").arg(sequence)));
            // Each box walked back through its own steps (showing the text anew would not).
            expectBoxesHaveSteps(typedIn, &QTextDocument::isRedoAvailable);
            for (int index = 1; index <= steps; ++index) {
                w->document.Redo();
                expectBoxesShowTheSheet(sequence, QStringLiteral("redo to %1").arg(index));
                if (QTest::currentTestFailed()) return;
            }
            QVERIFY2(image(w->sheet) == after, qPrintable(QString("sequence %1").arg(sequence)));
            expectBoxesHaveSteps(typedIn, &QTextDocument::isUndoAvailable);
        }
        QCOMPARE(script->unexpected, 0);
        // The sequences did reach the history: a widget that stopped reporting would not.
        QVERIFY2(replayed > 400, qPrintable(QString::number(replayed)));
    }

  private:
    void runOne(Random& random, TStyleStrip& strip) {
        const int tag = random.tag();
        TCellEdit* box = w->box(tag);
        switch (random.below(8)) {
            case 0: {
                QVERIFY(enter(tag));
                QTextCursor cursor = box->textCursor();
                cursor.setPosition(random.below(int(box->toPlainText().size()) + 1));
                box->setTextCursor(cursor);
                QTest::keyClicks(box, "ab");
                QTest::keyClick(box, Qt::Key_Backspace);
                QInputMethodEvent event;
                event.setCommitString(QStringLiteral("型番"));
                QApplication::sendEvent(box, &event);
                break;
            }
            case 1:
                box->selectAll();
                QApplication::clipboard()->setText(QStringLiteral("貼\n付"));
                box->paste();
                break;
            case 2: {
                const TextKind kind = random.coin() ? TextKind::Link : TextKind::Picture;
                box->EditAs(kind,
                            [box] { box->InsertLikePaste(QStringLiteral("<A HREF=\"x\">")); });
                break;
            }
            case 3: {
                QVERIFY(enter(tag));
                bar().SetApplyToAll(random.coin());
                const QList<QToolButton*> buttons = {
                    bar().SpeedButtonFontColor,    bar().SpeedButtonFontSizeUp,
                    bar().SpeedButtonFontSizeDown, bar().SpeedButtonBold,
                    bar().SpeedButtonItalic,       bar().SpeedButtonUnder,
                    bar().SpeedButtonBackColor,    bar().SpeedButtonCenter,
                    bar().SpeedButtonRight,        bar().SpeedButtonVBottom};
                QToolButton* button = buttons[random.below(int(buttons.size()))];
                if (!button->isEnabled()) break;
                if (button == bar().SpeedButtonFontColor || button == bar().SpeedButtonBackColor)
                    script->colourAnswers.push_back(random.coin() ? 0x000000FFu : 0x0000FF00u);
                button->click();
                break;
            }
            case 4:
                w->document.SetIncluded(tag, random.coin());
                break;
            case 6:
                // On where the cursor is, after whatever came between: a step of its own.
                if (auto* focused = qobject_cast<TCellEdit*>(QApplication::focusWidget()))
                    QTest::keyClicks(focused, "cd");
                break;
            case 5:
                strip.ComboBoxTableBorderWidth->setCurrentIndex(random.below(10));
                break;
            default:
                (random.coin() ? strip.SpeedButtonTableAlignRight : strip.SpeedButtonBannerCenter)
                    ->click();
                break;
        }
    }

    QSet<int> cellsWithTextSteps() const {
        QSet<int> tags;
        const QUndoStack* history = w->document.History();
        for (int i = 0; i < history->count(); ++i) {
            const auto* step = static_cast<const TSheetStep*>(history->command(i));
            if (step->Kind() == TSheetDocument::Change::CellText) tags.insert(step->FocusTag());
        }
        return tags;
    }

    void expectBoxesShowTheSheet(int sequence, const QString& where) {
        for (int index = 0; index < quorvel::kCellCount; ++index) {
            const quorvel::TSheetCell& cell = w->sheet.CellAt(index);
            // In bytes: a cell's bytes may have more than one box form (an odd lead byte).
            const std::string shown = ui::boxTextToCell(w->box(cell.Tag)->toPlainText());
            QVERIFY2(shown == ui::boxTextToCell(ui::cellTextToBox(cell.Text)),
                     qPrintable(QStringLiteral("sequence %1, %2: cell %3")
                                    .arg(sequence)
                                    .arg(where)
                                    .arg(cell.Tag)));
        }
    }

    void expectBoxesHaveSteps(const QSet<int>& typedIn, bool (QTextDocument::*hasSteps)() const) {
        for (const int tag : typedIn)
            QVERIFY2((w->box(tag)->document()->*hasSteps)(),
                     qPrintable(QStringLiteral("cell %1").arg(tag)));
    }
};

QUORVEL_UI_TEST_MAIN(SheetHistoryTest)
#include "test_sheet_history.moc"
