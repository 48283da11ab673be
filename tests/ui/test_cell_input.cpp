#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "document/SheetDocument.h"
#include "editor/EditMenu.h"
#include "panes/CellEdit.h"
#include "platform/Sjis.h"
#include "ui/SjisText.h"

// What may enter a cell from outside, and the cell's bytes kept exact while only the changed
// text is counted.
namespace {

std::string sj(const char* utf8) {
    return quorvel::sjis::FromUtf8(utf8).bytes;
}

void commit(TCellEdit& box, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(&box, &event);
}

void typeText(TCellEdit& box, const QString& text, Qt::KeyboardModifiers modifiers = {}) {
    QKeyEvent press(QEvent::KeyPress, 0, modifiers, text);
    QApplication::sendEvent(&box, &press);
}

void dropOn(TCellEdit& box, const QString& text) {
    QMimeData mime;
    mime.setText(text);
    QWidget* target = box.viewport();
    const QPointF at = target->rect().center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

void moveCaret(TCellEdit& box, int position) {
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(position);
    box.setTextCursor(cursor);
}

// The cell's bytes and the byte count as a whole conversion of the box's text gives them.
void checkMirror(TCellEdit& box, const quorvel::TSheetCell& cell) {
    QCOMPARE(cell.Text, ui::boxTextToCell(box.toPlainText()));
    QTextCursor cursor = box.textCursor();
    cursor.clearSelection();
    box.setTextCursor(cursor);
    QCOMPARE(box.RemainingBytes(),
             quorvel::kCellMaxInputBytes - ui::cellByteLength(box.toPlainText()));
}

}  // namespace

class CellInputTest : public QObject {
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

    void controlCharactersNeverReachACell() {
        QSignalSpy dropped(box.get(), &TCellEdit::pasteCharactersDropped);
        const QString pasted = QStringLiteral("abc") + QChar(0) +
                               QStringLiteral(
                                   "de\x1b"
                                   "f\a"
                                   "g");
        QApplication::clipboard()->setText(pasted);
        box->paste();
        QCOMPARE(box->toPlainText(), QStringLiteral("abcdefg"));
        QCOMPARE(cell().Text, std::string("abcdefg"));
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.at(0).at(0).toInt(), 3);

        // Line breaks and TAB stay; DEL and the other controls go, on a drop too.
        dropOn(*box, QStringLiteral("\x7f"
                                    "1\t2\r\n3\x01\x1f"));
        QCOMPARE(box->toPlainText(), QStringLiteral("abcdefg1\t2\n3"));
        QCOMPARE(cell().Text, std::string("abcdefg1\t2\r\n3"));
        QCOMPARE(dropped.count(), 2);
        QCOMPARE(dropped.at(1).at(0).toInt(), 3);

        // Typed and committed controls go the same way, and a complete paste says nothing.
        typeText(*box, QStringLiteral("h\x1b"));
        commit(*box, QStringLiteral("i\x08j"));
        QCOMPARE(cell().Text, std::string("abcdefg1\t2\r\n3hij"));
        box->InsertLikePaste(QStringLiteral("k"));
        QCOMPARE(dropped.count(), 2);
        checkMirror(*box, cell());
    }

    void charactersTheSheetCannotHoldAreRefusedOnEveryPath() {
        // Private-use characters from outside, ours included, are refused, typed or committed.
        typeText(*box, QString(QChar(0xE000)));
        typeText(*box, QStringLiteral("a") + QChar(0xDC00) + QStringLiteral("b"),
                 Qt::AltModifier | Qt::ControlModifier);
        commit(*box, QStringLiteral("c") + QChar(0xF741) + QChar(0x07) + QStringLiteral("d"));
        QSignalSpy dropped(box.get(), &TCellEdit::pasteCharactersDropped);
        // A lone surrogate is no character either.
        QVERIFY(!box->InsertLikePaste(QString(QChar(0xF7FF)) + QChar(0xE757) + QChar(0xD83D)));
        QCOMPARE(dropped.at(0).at(0).toInt(), 3);
        QCOMPARE(box->toPlainText(), QStringLiteral("abcd"));
        QCOMPARE(cell().Text, std::string("abcd"));
        QVERIFY(cell().Text.find('?') == std::string::npos);
        checkMirror(*box, cell());
    }

    void charactersBeyondCodePage932EnterOnEveryPath_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("typedBox");   // typed or committed
        QTest::addColumn<QString>("pastedBox");  // pasted or dropped, and loaded again
        QTest::addColumn<QByteArray>("bytes");
        const QString listing = QStringLiteral("送料無料📦✨♡𠮷①");
        QTest::newRow("emoji, ♡, 𠮷 and ①")
            << listing << listing << listing
            << QByteArray::fromStdString(sj("送料無料") + "&#x1F4E6;&#x2728;&#x2661;&#x20BB7;" +
                                         sj("①"));
        QTest::newRow("variation selector")
            << QStringLiteral("❤️") << QStringLiteral("❤️") << QStringLiteral("❤️")
            << QByteArray("&#x2764;&#xFE0F;");
        QTest::newRow("flag") << QStringLiteral("🇯🇵") << QStringLiteral("🇯🇵")
                              << QStringLiteral("🇯🇵") << QByteArray("&#x1F1EF;&#x1F1F5;");
        QTest::newRow("Shift_JIS forms")
            << QStringLiteral("175〜185cm x−y—z‖¢£¬") << QStringLiteral("175～185cm x－y―z∥￠￡￢")
            << QStringLiteral("175～185cm x－y―z∥￠￡￢")
            << QByteArray::fromStdString(sj("175～185cm x－y―z∥￠￡￢"));
        QTest::newRow("a reference by hand")
            << QStringLiteral("&#x1F4E6;") << QStringLiteral("&#x1F4E6;") << QStringLiteral("📦")
            << QByteArray("&#x1F4E6;");
        QTest::newRow("malformed references") << QStringLiteral("&#x1F4E6 &#x41; &#x0263A;")
                                              << QStringLiteral("&#x1F4E6 &#x41; &#x0263A;")
                                              << QStringLiteral("&#x1F4E6 &#x41; &#x0263A;")
                                              << QByteArray("&#x1F4E6 &#x41; &#x0263A;");
    }
    void charactersBeyondCodePage932EnterOnEveryPath() {
        QFETCH(QString, input);
        QFETCH(QString, typedBox);
        QFETCH(QString, pastedBox);
        QFETCH(QByteArray, bytes);
        const std::string expected = bytes.toStdString();
        QSignalSpy dropped(box.get(), &TCellEdit::pasteCharactersDropped);
        for (int path = 0; path < 4; ++path) {
            box->clear();
            if (path == 0) typeText(*box, input);
            if (path == 1) commit(*box, input);
            if (path == 2) box->InsertLikePaste(input);
            if (path == 3) dropOn(*box, input);
            QCOMPARE(box->toPlainText(), path < 2 ? typedBox : pastedBox);
            QCOMPARE(QByteArray::fromStdString(cell().Text), bytes);
            checkMirror(*box, cell());
        }
        QCOMPARE(dropped.count(), 0);
        // Copied from the box, the seller gets the characters.
        box->selectAll();
        box->copy();
        QCOMPARE(QApplication::clipboard()->text(), pastedBox);
        // Shown again (a file opened), the references show as the characters they name.
        cell().Text = "(" + expected + ")";
        box->ShowCellText();
        QCOMPARE(box->toPlainText(), QStringLiteral("(") + pastedBox + QStringLiteral(")"));
        QCOMPARE(box->RemainingBytes(), quorvel::kCellMaxInputBytes - int(expected.size()) - 2);
        moveCaret(*box, 1);
        typeText(*box, QStringLiteral("!"));
        QCOMPARE(cell().Text, "(!" + expected + ")");
    }

    void aTypedEmojiIsOneCharacterForUndoAndTheLimit() {
        typeText(*box, QStringLiteral("📦"));
        QCOMPARE(cell().Text, std::string("&#x1F4E6;"));
        document->Undo();
        QCOMPARE(box->toPlainText(), QString());
        QCOMPARE(cell().Text, std::string());
        document->Redo();
        QCOMPARE(box->toPlainText(), QStringLiteral("📦"));
        QCOMPARE(cell().Text, std::string("&#x1F4E6;"));
        // Backspace takes the whole character and its nine bytes.
        QTest::keyClick(box.get(), Qt::Key_End);
        QTest::keyClick(box.get(), Qt::Key_Backspace);
        QCOMPARE(cell().Text, std::string());
        // The limit counts the reference's bytes: 991 and nine make 1000, and no more goes in.
        box->InsertLikePaste(QString(991, u'a'));
        typeText(*box, QStringLiteral("🎁"));
        QCOMPARE(int(cell().Text.size()), 1000);
        typeText(*box, QStringLiteral("✨"));
        commit(*box, QStringLiteral("♡"));
        QCOMPARE(int(cell().Text.size()), 1000);
        QCOMPARE(box->RemainingBytes(), 0);
        QVERIFY(box->toPlainText().endsWith(QStringLiteral("a🎁")));
        checkMirror(*box, cell());
    }

    void shortcutsStillWork() {
        box->InsertLikePaste(QStringLiteral("copy me"));
        box->selectAll();
        QTest::keyClick(box.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copy me"));
        QCOMPARE(box->toPlainText(), QStringLiteral("copy me"));
    }

    void loadedBytesSurviveEditsElsewhere() {
        // An unassigned code, a lone trail-range byte, a character with two codes (ED 40 and
        // FA 5C) as loaded, a control byte as loaded, a reference in lower case and a final lone
        // lead byte.
        const std::string odd = std::string("a\x85\x40") + "\xA0" + "\xED\x40" + "\x1b" +
                                sj("漢字") + "\r\nq" + "&#x1f4e6;" + '\x82';
        cell().Text = odd;
        box->ShowCellText();
        QCOMPARE(box->RemainingBytes(), quorvel::kCellMaxInputBytes - int(odd.size()));
        moveCaret(*box, 0);
        typeText(*box, QStringLiteral("X"));
        QCOMPARE(cell().Text, "X" + odd);
        // In the middle, after the escapes, then deleting a character there.
        moveCaret(*box, 7);
        commit(*box, QStringLiteral("挿"));
        std::string expected = "X" + odd;
        expected.insert(expected.find(sj("漢字")), sj("挿"));
        QCOMPARE(QByteArray::fromStdString(cell().Text).toHex(' '),
                 QByteArray::fromStdString(expected).toHex(' '));
        QTest::keyClick(box.get(), Qt::Key_Backspace);
        QCOMPARE(cell().Text, "X" + odd);
        QCOMPARE(box->RemainingBytes(), quorvel::kCellMaxInputBytes - int(odd.size()) - 1);
    }

    void aLoadedLoneLineFeedIsWrittenAsALineBreakOnce() {
        cell().Text = "one\ntwo";
        box->ShowCellText();
        moveCaret(*box, 7);
        typeText(*box, QStringLiteral("!"));
        QCOMPARE(cell().Text, std::string("one\r\ntwo!"));
        typeText(*box, QStringLiteral("?"));
        QCOMPARE(cell().Text, std::string("one\r\ntwo!?"));
        checkMirror(*box, cell());
    }

    void byteLimitIsExactAfterCountingChangesOnly() {
        // 999 bytes of mixed text, loaded; the caret at the end, then in the middle.
        std::string text;
        while (text.size() < 990) text += sj("型番 X-10\r\n");
        text.resize(990);
        while (text.size() < 999) text += 'z';
        cell().Text = text;
        box->ShowCellText();
        for (int at : {int(box->toPlainText().size()), 10}) {
            moveCaret(*box, at);
            commit(*box, QStringLiteral("あ"));
            QTest::keyClick(box.get(), Qt::Key_Return);
            QCOMPARE(int(cell().Text.size()), 999);
            typeText(*box, QStringLiteral("y"));
            QCOMPARE(int(cell().Text.size()), 1000);
            typeText(*box, QStringLiteral("w"));
            QCOMPARE(int(cell().Text.size()), 1000);
            QCOMPARE(box->RemainingBytes(), 0);
            checkMirror(*box, cell());
            QTest::keyClick(box.get(), Qt::Key_Backspace);
            QCOMPARE(cell().Text, text);
        }
        // Replacing a selected double-byte character frees its two bytes.
        moveCaret(*box, 0);
        QTextCursor cursor = box->textCursor();
        cursor.setPosition(1, QTextCursor::KeepAnchor);
        box->setTextCursor(cursor);
        QCOMPARE(box->RemainingBytes(), 3);
        commit(*box, QStringLiteral("いa"));
        QCOMPARE(int(cell().Text.size()), 1000);
    }

    void undoAndRedoKeepTheCount() {
        box->InsertLikePaste(QStringLiteral("前半\n"));
        typeText(*box, QStringLiteral("ab"));
        commit(*box, QStringLiteral("後"));
        const std::string full = cell().Text;
        document->Undo();
        checkMirror(*box, cell());
        QVERIFY(cell().Text != full);
        document->Redo();
        QCOMPARE(cell().Text, full);
        checkMirror(*box, cell());
        while (box->document()->isUndoAvailable()) box->undo();
        QCOMPARE(cell().Text, std::string());
        QCOMPARE(box->RemainingBytes(), quorvel::kCellMaxInputBytes);
        while (box->document()->isRedoAvailable()) box->redo();
        QCOMPARE(cell().Text, full);
        checkMirror(*box, cell());
    }

    void anyMixOfEditsKeepsTheMirrorExact() {
        QRandomGenerator random(20240611);
        const QStringList pieces{QStringLiteral("a"),       QStringLiteral("漢字"),
                                 QStringLiteral("\n"),      QStringLiteral("ｶﾅ"),
                                 QStringLiteral("x\ny\nz"), QStringLiteral("①"),
                                 QStringLiteral("📦😀"),      QStringLiteral("🇯🇵♡"),
                                 QStringLiteral("〜"),      QStringLiteral("&#x2728;")};
        cell().Text =
            std::string("start") + '\x85' + '\x40' + sj("です\r\n") + "&#x1F600;&#x1F4E6;";
        box->ShowCellText();
        for (int step = 0; step < 300; ++step) {
            const QString shown = box->toPlainText();
            const int length = int(shown.size());
            // The caret never stands inside a surrogate pair.
            const auto somewhere = [&] {
                const int at = random.bounded(length + 1);
                return at < length && shown[at].isLowSurrogate() ? at - 1 : at;
            };
            QTextCursor cursor = box->textCursor();
            cursor.setPosition(somewhere());
            cursor.setPosition(somewhere(), QTextCursor::KeepAnchor);
            box->setTextCursor(cursor);
            switch (random.bounded(7)) {
                case 0:
                    box->InsertLikePaste(pieces[random.bounded(pieces.size())]);
                    break;
                case 1:
                    commit(*box, pieces[random.bounded(pieces.size())]);
                    break;
                case 2:
                    QTest::keyClick(box.get(), Qt::Key_Backspace);
                    break;
                case 3:
                    QTest::keyClick(box.get(), Qt::Key_Delete);
                    break;
                case 4:
                    if (random.bounded(2))
                        document->Undo();
                    else
                        document->Redo();
                    break;
                case 5:
                    box->cut();
                    box->paste();
                    break;
                default:
                    typeText(*box, random.bounded(2) ? QStringLiteral("k") : QStringLiteral("🎁"));
                    break;
            }
            QVERIFY(int(cell().Text.size()) <= quorvel::kCellMaxInputBytes);
            checkMirror(*box, cell());
        }
        box->clear();
        QCOMPARE(cell().Text, std::string());
        box->setPlainText(QStringLiteral("set\nby code"));
        QCOMPARE(cell().Text, std::string("set\r\nby code"));
        checkMirror(*box, cell());
    }

    void theStatusLineCountsWhatAPasteLeftOut() {
        MainWindowFixture fixture;
        TFormMain& main = fixture.start();
        TCellEdit* target = fixture.find<TCellEdit>("Memo2Right");
        QApplication::clipboard()->setText(QStringLiteral("ok") + QChar(0) + QChar(0xE000) +
                                           QStringLiteral("!"));
        main.EditMenu()->PopupMenu1Popup(target);
        main.EditMenu()->PasteClick();
        QCOMPARE(target->toPlainText(), QStringLiteral("ok!"));
        QCOMPARE(main.StatusBar1->currentMessage(),
                 QStringLiteral("貼り付けられない文字を 2 文字除きました"));

        // Past the cell's limit the end is left out, and the note says so rather than blaming
        // the characters; with both, it names both.
        target->selectAll();
        target->InsertLikePaste(QString(996, u'a'));
        QApplication::clipboard()->setText(QStringLiteral("あいう"));
        main.EditMenu()->PasteClick();
        QCOMPARE(target->toPlainText(), QString(996, u'a') + QStringLiteral("あい"));
        QCOMPARE(main.StatusBar1->currentMessage(),
                 QStringLiteral("セルの上限 1000 バイトを超えた 1 文字を貼り付けませんでした"));
        target->selectAll();
        target->InsertLikePaste(QString(997, u'a'));
        QApplication::clipboard()->setText(QString(QChar(0xE000)) + QStringLiteral("bcde"));
        main.EditMenu()->PasteClick();
        QCOMPARE(int(main.Sheet().Rows[1].Description.Text.size()), 1000);
        QCOMPARE(
            main.StatusBar1->currentMessage(),
            QStringLiteral("貼り付けられない文字を 1 文字除き、セルの上限 1000 バイトを超えた 1 "
                           "文字を貼り付けませんでした"));

        // A new sheet does not keep the old sheet's note.
        fixture.dialogs.messageAnswers.push_back(QMessageBox::No);
        main.SpeedButtonNew->click();
        QVERIFY(main.StatusBar1->currentMessage().isEmpty());
    }

  private:
    std::unique_ptr<quorvel::TDescriptionSheet> sheet;
    std::unique_ptr<TSheetDocument> document;
    quorvel::TSheetCell& cell() { return sheet->CellByTag(1005); }
    std::unique_ptr<TCellEdit> box;
};

QUORVEL_UI_TEST_MAIN(CellInputTest)
#include "test_cell_input.moc"
