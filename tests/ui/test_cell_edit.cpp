#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QUndoStack>
#include <QtTest>

#include "UiTestEnvironment.h"
#include "document/SheetDocument.h"
#include "panes/CellEdit.h"
#include "platform/Sjis.h"
#include "ui/SjisText.h"

namespace {

std::string sj(const char* utf8) {
    return quorvel::sjis::FromUtf8(utf8).bytes;
}

void commit(TCellEdit& box, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(&box, &event);
}

}  // namespace

class CellEditTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        sheet = std::make_unique<quorvel::TDescriptionSheet>();
        document = std::make_unique<TSheetDocument>(*sheet);
        box = std::make_unique<TCellEdit>(*document, 1005);
        box->show();
        box->setFocus();
    }
    void cleanup() {
        box.reset();
        document.reset();
        sheet.reset();
    }

    void mirrorsTheCellAsCodePage932WithCrLf() {
        QTest::keyClicks(box.get(), "AB");
        QTest::keyClick(box.get(), Qt::Key_Return);
        commit(*box, QStringLiteral("型番①"));
        QCOMPARE(cell().Text, "AB\r\n" + sj("型番①"));
        QVERIFY(cell().Modified);
        QCOMPARE(box->toPlainText(), QStringLiteral("AB\n型番①"));
    }

    void programTextIsNoEdit() {
        cell().Text = sj("付属品\r\nケース");
        box->ShowCellText();
        QCOMPARE(box->toPlainText(), QStringLiteral("付属品\nケース"));
        QVERIFY(!cell().Modified);
        QVERIFY(!document->History()->canUndo());
        box->ShowCellFormat();
        QVERIFY(!cell().Modified);
    }

    void untouchedBytesSurviveEvenWithoutUnicodeForm() {
        // An unassigned double-byte code and a lone lead byte at the end.
        const std::string odd = std::string("a\x85\x40z\r\nq") + '\x82';
        cell().Text = odd;
        box->ShowCellText();
        QCOMPARE(ui::boxTextToCell(box->toPlainText()), odd);
        // An edit elsewhere keeps those bytes too.
        QTextCursor cursor = box->textCursor();
        cursor.movePosition(QTextCursor::Start);
        box->setTextCursor(cursor);
        QTest::keyClicks(box.get(), "X");
        QCOMPARE(cell().Text, "X" + odd);
    }

    void typingStopsAtTheByteLimit() {
        box->InsertLikePaste(QString(999, u'x'));
        QTest::keyClicks(box.get(), "yz");
        QCOMPARE(int(cell().Text.size()), 1000);
        QCOMPARE(cell().Text.back(), 'y');
        // A double-byte character does not fit into the last free byte either.
        box->clear();
        box->InsertLikePaste(QString(999, u'x'));
        commit(*box, QStringLiteral("あ"));
        QCOMPARE(int(cell().Text.size()), 999);
        // Nor does a line break, which is CR LF in the cell().
        QTest::keyClick(box.get(), Qt::Key_Return);
        QCOMPARE(int(cell().Text.size()), 999);
    }

    void fiveHundredDoubleByteCharactersFillACell() {
        QApplication::clipboard()->setText(QString(600, QChar(0x3042)));  // 600 × "あ"
        box->paste();
        QCOMPARE(int(cell().Text.size()), 1000);
        QCOMPARE(box->toPlainText().size(), 500);
        QApplication::clipboard()->setText(QStringLiteral("more"));
        box->paste();
        QCOMPARE(int(cell().Text.size()), 1000);
    }

    void pasteReplacesTheSelectionWithinTheLimit() {
        box->InsertLikePaste(QString(1000, u'a'));
        box->selectAll();
        QApplication::clipboard()->setText(QStringLiteral("短い\r\n文"));
        box->paste();
        QCOMPARE(cell().Text, sj("短い\r\n文"));
    }

    void inputMethodCommitIsCutToFit() {
        box->InsertLikePaste(QString(996, u'a'));
        commit(*box, QStringLiteral("あいう"));
        QCOMPARE(cell().Text, std::string(996, 'a') + sj("あい"));
    }

    void charactersCodePage932CannotHoldEnterAsReferences() {
        commit(*box, QStringLiteral("a😀b"));
        QApplication::clipboard()->setText(QStringLiteral("c\u00E9d"));
        box->paste();
        QTest::keyClick(box.get(), Qt::Key_Return);
        QCOMPARE(box->toPlainText(), QStringLiteral("a😀bc\u00E9d\n"));
        QCOMPARE(cell().Text, std::string("a&#x1F600;bc&#xE9;d\r\n"));
        QVERIFY(quorvel::sjis::FromUtf8(quorvel::sjis::ToUtf8(cell().Text)).ok());
    }

    void typingIsOneStepOfTheSheetThatRedoDoesAgain() {
        QTest::keyClicks(box.get(), "abc");
        QCOMPARE(document->History()->count(), 1);
        QCOMPARE(document->History()->undoText(), QStringLiteral("入力（項目３）"));
        document->Undo();
        QCOMPARE(cell().Text, std::string());
        QCOMPARE(box->toPlainText(), QString());
        QVERIFY(document->History()->canRedo());
        document->Redo();
        QCOMPARE(cell().Text, std::string("abc"));
        QCOMPARE(box->toPlainText(), QStringLiteral("abc"));
        QVERIFY(cell().Modified);
    }

    void ctrlASelectsAll() {
        QTest::keyClicks(box.get(), "hello");
        QTest::keyClick(box.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(box->textCursor().selectedText(), QStringLiteral("hello"));
    }

    void formatIsShownWithoutModifying() {
        cell().Format = {0x0000FF,
                         14,
                         true,
                         true,
                         true,
                         0x00FF0000,
                         quorvel::kHAlignRight,
                         quorvel::kVAlignBottom};
        box->ShowCellFormat();
        QCOMPARE(box->font().pointSize(), 14);
        QVERIFY(box->font().bold() && box->font().italic() && box->font().underline());
        QCOMPARE(box->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(box->palette().color(QPalette::Base), QColor(0, 0, 255));
        QVERIFY(box->document()->defaultTextOption().alignment() & Qt::AlignRight);
        QVERIFY(!cell().Modified);
        QVERIFY(!document->History()->canUndo());
    }

  private:
    std::unique_ptr<quorvel::TDescriptionSheet> sheet;
    std::unique_ptr<TSheetDocument> document;
    std::unique_ptr<TCellEdit> box;
    // The box's cell; a case sets one up here as a load would, then shows it.
    quorvel::TSheetCell& cell() { return sheet->CellByTag(1005); }
};

QUORVEL_UI_TEST_MAIN(CellEditTest)
#include "test_cell_edit.moc"
