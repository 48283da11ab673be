#include <QAction>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "dialogs/Linkunit.h"
#include "document/SheetDocument.h"
#include "editor/EditMenu.h"
#include "panes/CellEdit.h"
#include "platform/Sjis.h"
#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"
#include "store/Settings.h"

namespace {

void selectRange(TCellEdit* cell, int from, int to) {
    QTextCursor cursor = cell->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cell->setTextCursor(cursor);
}

std::string sj(const QString& text) {
    return quorvel::sjis::FromUtf8(text.toStdString()).bytes;
}

}  // namespace

class LinkMenuTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        fixture = std::make_unique<MainWindowFixture>();
        captions.clear();
    }
    void cleanup() { fixture.reset(); }

    // A script for the link dialog: fill it in and press OK (or Cancel).
    std::function<int(QDialog&)> fill(int type, const QString& address, int target = 0,
                                      const QString& subject = {}, bool ok = true) {
        return [=, this](QDialog& dialog) {
            auto& link = static_cast<TLinkForm&>(dialog);
            captions << link.windowTitle();
            link.RadioGroupType->SetItemIndex(type);
            link.RadioGroupTypeClick();
            link.EditAddress->setText(address);
            if (type == 0)
                link.RadioGroupTarget->SetItemIndex(target);
            else
                link.EditSubject->setText(subject);
            (ok ? link.ButtonOk : link.ButtonCancel)->click();
            return link.result();
        };
    }

    void insertModeWebLinkAtTheCaret() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = fixture->find<TCellEdit>("Memo2Right");
        uitest::TypeInto(cell, QStringLiteral("詳細は"));
        fixture->dialogs.modalScripts.push_back(fill(0, QStringLiteral("http://shop.example/")));
        main.SpeedButtonLink->click();
        QCOMPARE(captions, QStringList{QStringLiteral("リンクタグ挿入 - カーソル位置")});
        const QString tag = QStringLiteral(
            "<A HREF=\"http://shop.example/\" target=\"_blank\">http://shop.example/</A>");
        QCOMPARE(cell->toPlainText(), QStringLiteral("詳細は") + tag);
        QCOMPARE(main.Sheet().Rows[1].Description.Text, sj(QStringLiteral("詳細は") + tag));
        QVERIFY(main.Sheet().Rows[1].Description.Modified);
        QVERIFY(quorvel::BuildHtmlTags(main.Sheet()).find(sj(tag)) != std::string::npos);
        // The insertion is one step of the sheet's history, named for what it did.
        QCOMPARE(main.SheetDocument()->History()->undoText(),
                 QStringLiteral("リンクタグの挿入（説明２）"));
    }

    void applyModeMailLinkWithEmptySubjectAndMultiLineSelection() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = fixture->find<TCellEdit>("MemoTytle");
        uitest::TypeInto(cell, QStringLiteral("ab\ncd!"));
        selectRange(cell, 0, 5);
        fixture->dialogs.modalScripts.push_back(fill(1, QStringLiteral("me@shop.example")));
        main.SpeedButtonLink->click();
        QCOMPARE(captions, QStringList{QStringLiteral("リンクタグ適用 - \"ab\ncd\"")});
        QCOMPARE(cell->toPlainText(),
                 QStringLiteral("<A HREF=\"mailto:me@shop.example?Subject=\">ab\ncd</A>!"));
        QCOMPARE(main.Sheet().Title.Text,
                 std::string("<A HREF=\"mailto:me@shop.example?Subject=\">ab\r\ncd</A>!"));
    }

    void selfTargetAndTheHttpWarning() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = fixture->find<TCellEdit>("Memo1Left");
        cell->setFocus(Qt::TabFocusReason);
        for (const QString& address : {QStringLiteral("ftp://x.example/"),
                                       QStringLiteral(" http://x/"), QStringLiteral("HTTP://X/")}) {
            fixture->dialogs.messages.clear();
            // First No keeps the dialog open, then Cancel closes it.
            fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
            bool stillOpen = false;
            fixture->dialogs.modalScripts.push_back([&, address](QDialog& dialog) {
                auto& link = static_cast<TLinkForm&>(dialog);
                link.RadioGroupType->SetItemIndex(0);
                link.RadioGroupTypeClick();
                link.EditAddress->setText(address);
                link.ButtonOk->click();
                stillOpen = link.isVisible() && link.EditAddress->text() == address;
                link.ButtonCancel->click();
                return link.result();
            });
            main.SpeedButtonLink->click();
            QVERIFY2(stillOpen, qPrintable(address));
            QCOMPARE(int(fixture->dialogs.messages.size()), 1);
            QCOMPARE(fixture->dialogs.messages[0].caption, QStringLiteral("リンク挿入"));
            QCOMPARE(fixture->dialogs.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
            QVERIFY(cell->toPlainText().isEmpty());
        }
        // A secure address goes in without the question.
        fixture->dialogs.messages.clear();
        fixture->dialogs.modalScripts.push_back(fill(0, QStringLiteral("https://x/"), 1));
        main.SpeedButtonLink->click();
        QVERIFY(fixture->dialogs.messages.empty());
        QCOMPARE(cell->toPlainText(),
                 QStringLiteral("<A HREF=\"https://x/\" target=\"_self\">https://x/</A>"));
    }

    void cancelLeavesTheCellAndTheDialogKeepsItsEntries() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = fixture->find<TCellEdit>("Memo1Left");
        uitest::TypeInto(cell, QStringLiteral("text"));
        fixture->dialogs.modalScripts.push_back(
            fill(1, QStringLiteral("a@b"), 0, QStringLiteral("件名"), false));
        main.SpeedButtonLink->click();
        QCOMPARE(cell->toPlainText(), QStringLiteral("text"));
        auto* link = fixture->windows->link.get();
        QCOMPARE(link->EditAddress->text(), QStringLiteral("a@b"));
        QCOMPARE(link->EditSubject->text(), QStringLiteral("件名"));
        // Stored at closing, read back by the next start.
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        QVERIFY(main.close());
        const quorvel::LinkTexts texts = quorvel::ReadLinkTexts(fixture->store());
        QCOMPARE(texts.Address.value_or(""), std::string("a@b"));
        QCOMPARE(texts.Subject.value_or(""), sj(QStringLiteral("件名")));
        fixture->stop();
        fixture->start();
        QCOMPARE(fixture->windows->link->EditSubject->text(), QStringLiteral("件名"));
    }

    void menuItemsAndTheirTarget() {
        TFormMain& main = fixture->start();
        QStringList names, texts;
        for (QAction* action : main.EditMenu()->PopupMenu1->actions()) {
            names << action->objectName();
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(names, (QStringList{"Link", "Image", "N3", "Undo", "N1", "Cut", "Copy", "Paste",
                                     "Delete", "N2", "SelectAll"}));
        QCOMPARE(texts, (QStringList{"リンクタグの挿入(&L)", "画像タグの挿入(&G)", "-",
                                     "元に戻す(&U)", "-", "切り取り(&T)", "コピー(&C)",
                                     "貼り付け(&P)", "削除(&D)", "-", "すべて選択(&A)"}));

        TCellEdit* focused = fixture->find<TCellEdit>("Memo1Left");
        TCellEdit* other = fixture->find<TCellEdit>("Memo4Right");
        uitest::TypeInto(other, QStringLiteral("切り取る文"));
        uitest::TypeInto(focused, QStringLiteral("x"));
        main.EditMenu()->PopupMenu1Popup(other);
        main.EditMenu()->SelectAllClick();
        QCOMPARE(other->textCursor().selectedText(), QStringLiteral("切り取る文"));
        QVERIFY(focused->textCursor().selectedText().isEmpty());
        main.EditMenu()->CutClick();
        QVERIFY(other->toPlainText().isEmpty());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("切り取る文"));
        TCellEdit* target = fixture->find<TCellEdit>("MemoKey");
        main.EditMenu()->PopupMenu1Popup(target);
        main.EditMenu()->PasteClick();
        QCOMPARE(target->toPlainText(), QStringLiteral("切り取る文"));
        QVERIFY(main.Sheet().Rows[3].Description.Modified);
        QVERIFY(main.Sheet().Note.Modified);
        QCOMPARE(focused->toPlainText(), QStringLiteral("x"));

        // The link item works on the popup cell, not on the focused one.
        fixture->dialogs.modalScripts.push_back(fill(0, QStringLiteral("http://a/")));
        main.EditMenu()->PopupMenu1Popup(other);
        main.EditMenu()->PopupMenu1->findChild<QAction*>("Link")->trigger();
        QCOMPARE(other->toPlainText(),
                 QStringLiteral("<A HREF=\"http://a/\" target=\"_blank\">http://a/</A>"));
        QCOMPARE(focused->toPlainText(), QStringLiteral("x"));
    }

    void undoIsGreyedAfterLoadingAndTakesBackTheSheetsStepsLinksToo() {
        const QString path = fixture->files.filePath("a.qvl");
        quorvel::TDescriptionSheet sheet;
        sheet.Title.Text = "loaded";
        quorvel::SaveDataFile(sheet, path.toStdString());
        TFormMain& main = fixture->start({path});
        auto* undo = main.EditMenu()->PopupMenu1->findChild<QAction*>("Undo");
        TCellEdit* title = fixture->find<TCellEdit>("MemoTytle");
        main.EditMenu()->PopupMenu1Popup(title);
        QVERIFY(!undo->isEnabled());
        QVERIFY(main.EditMenu()->PopupMenu1->findChild<QAction*>("Paste")->isEnabled());
        title->moveCursor(QTextCursor::End);
        uitest::TypeInto(title, QStringLiteral("!"));
        main.EditMenu()->PopupMenu1Popup(title);
        QVERIFY(undo->isEnabled());
        main.EditMenu()->UndoClick();
        QCOMPARE(title->toPlainText(), QStringLiteral("loaded"));
        main.EditMenu()->PopupMenu1Popup(title);
        QVERIFY(!undo->isEnabled());  // back at the loaded sheet: nothing before it

        uitest::TypeInto(title, QStringLiteral("!"));
        fixture->dialogs.modalScripts.push_back(fill(0, QStringLiteral("http://a/")));
        main.SpeedButtonLink->click();
        main.EditMenu()->PopupMenu1Popup(title);
        QVERIFY(undo->isEnabled());
        main.EditMenu()->UndoClick();  // the link
        QCOMPARE(title->toPlainText(), QStringLiteral("loaded!"));
        main.EditMenu()->UndoClick();  // the typing before it
        QCOMPARE(title->toPlainText(), QStringLiteral("loaded"));
        QCOMPARE(main.Sheet().Title.Text, std::string("loaded"));
    }

    void deleteAndPasteRespectTheLimit() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = fixture->find<TCellEdit>("Memo5Left");
        cell->setFocus(Qt::TabFocusReason);
        cell->InsertLikePaste(QString(995, u'a'));
        QApplication::clipboard()->setText(QStringLiteral("漢字漢字"));
        main.EditMenu()->PopupMenu1Popup(cell);
        main.EditMenu()->PasteClick();
        QCOMPARE(int(main.Sheet().Rows[4].Item.Text.size()), 999);
        selectRange(cell, 0, 10);
        main.EditMenu()->DeleteClick();
        QCOMPARE(int(main.Sheet().Rows[4].Item.Text.size()), 989);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("漢字漢字"));
        main.EditMenu()->CopyClick();  // nothing selected: the clipboard stays
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("漢字漢字"));
    }

    void aLinkGoesInWholeOrNotAtAll() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = fixture->find<TCellEdit>("Memo3Left");
        cell->setFocus(Qt::TabFocusReason);
        const QString tag = QStringLiteral("<A HREF=\"http://a/\" target=\"_blank\">http://a/</A>");
        const int tagBytes = int(tag.size());

        // One byte short: nothing goes in, and the seller is told why.
        cell->InsertLikePaste(QString(1000 - tagBytes + 1, u'a'));
        fixture->dialogs.modalScripts.push_back(fill(0, QStringLiteral("http://a/")));
        main.SpeedButtonLink->click();
        QCOMPARE(cell->toPlainText(), QString(1000 - tagBytes + 1, u'a'));
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        QCOMPARE(fixture->dialogs.messages[0].text,
                 QStringLiteral("リンクタグ（%1 バイト）がセルの残り（%2 バイト）に入りません。")
                     .arg(tagBytes)
                     .arg(tagBytes - 1));
        QCOMPARE(fixture->dialogs.messages[0].caption, QStringLiteral("リンク挿入"));

        // Exactly room for it: it goes in and fills the cell.
        cell->textCursor().deletePreviousChar();
        fixture->dialogs.messages.clear();
        fixture->dialogs.modalScripts.push_back(fill(0, QStringLiteral("http://a/")));
        main.SpeedButtonLink->click();
        QVERIFY(fixture->dialogs.messages.empty());
        QCOMPARE(int(main.Sheet().Rows[2].Item.Text.size()), 1000);
        QVERIFY(cell->toPlainText().endsWith(tag));

        // The selection it wraps counts as room: wrapping adds 40 bytes here, so 961 bytes of
        // text leave one too few and 960 just enough, whatever the selection's length.
        for (const int length : {961, 960}) {
            cell->selectAll();
            cell->InsertLikePaste(QString(length, u'b'));
            selectRange(cell, 0, 30);
            fixture->dialogs.messages.clear();
            fixture->dialogs.modalScripts.push_back(fill(0, QStringLiteral("http://a/")));
            main.SpeedButtonLink->click();
            const bool fits = length == 960;
            QCOMPARE(fixture->dialogs.messages.empty(), fits);
            QCOMPARE(cell->toPlainText().startsWith(QStringLiteral("<A HREF")), fits);
            QCOMPARE(int(main.Sheet().Rows[2].Item.Text.size()), fits ? 1000 : length);
        }
    }

  private:
    std::unique_ptr<MainWindowFixture> fixture;
    QStringList captions;
};

QUORVEL_UI_TEST_MAIN(LinkMenuTest)
#include "test_link_menu.moc"
