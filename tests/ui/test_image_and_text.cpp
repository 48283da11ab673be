#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QUndoStack>
#include <QtTest>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "dialogs/Imageunit.h"
#include "dialogs/Preview.h"
#include "dialogs/PreviewTextTab.h"
#include "document/SheetDocument.h"
#include "editor/EditMenu.h"
#include "panes/CellEdit.h"
#include "platform/Sjis.h"
#include "store/Settings.h"

namespace {

const QString kStyle = QStringLiteral(" STYLE=\"max-width:100%;height:auto\">");

std::string sj(const QString& text) {
    return quorvel::sjis::FromUtf8(text.toStdString()).bytes;
}

}  // namespace

class ImageAndTextTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { fixture.reset(); }

    // Fill the image dialog and press OK; `stillOpen` records a refused OK.
    std::function<int(QDialog&)> fill(const QString& address, const QString& alt,
                                      const QString& width, bool link) {
        return [=](QDialog& dialog) {
            auto& image = static_cast<TImageForm&>(dialog);
            image.EditAddress->setText(address);
            image.EditAlt->setText(alt);
            image.EditWidth->setText(width);
            image.CheckBoxLink->setChecked(link);
            image.ButtonOk->click();
            if (image.isVisible()) image.ButtonCancel->click();
            return image.result();
        };
    }

    void menuItemAndKeyInsertAndApply() {
        TFormMain& main = fixture->start();
        QCOMPARE(main.EditMenu()->PopupMenu1->actions().at(1)->objectName(),
                 QStringLiteral("Image"));
        TCellEdit* cell = fixture->find<TCellEdit>("Memo1Right");
        uitest::TypeInto(cell, QStringLiteral("写真："));
        fixture->dialogs.modalScripts.push_back(
            fill(QStringLiteral("https://img.example/a/1.jpg"), QString(), QString(), false));
        main.EditMenu()->PopupMenu1Popup(cell);
        main.EditMenu()->PopupMenu1->findChild<QAction*>("Image")->trigger();
        const QString first =
            QStringLiteral("<IMG SRC=\"https://img.example/a/1.jpg\" ALT=\"\"") + kStyle;
        QCOMPARE(cell->toPlainText(), QStringLiteral("写真：") + first);
        QVERIFY(main.Sheet().Rows[0].Description.Modified);
        QCOMPARE(main.SheetDocument()->History()->undoText(),
                 QStringLiteral("画像タグの挿入（説明１）"));

        // Apply mode from the key: the selection is replaced and stands in for the empty text.
        TCellEdit* other = fixture->find<TCellEdit>("Memo2Left");
        uitest::TypeInto(other, QStringLiteral("正面\"写\"📷"));
        other->selectAll();
        auto* key = main.findChild<QShortcut*>("ShortcutImage");
        QCOMPARE(key->key(), QKeySequence(QStringLiteral("Ctrl+Shift+G")));
        fixture->dialogs.modalScripts.push_back(
            fill(QStringLiteral("https://img.example/a/\"2\".jpg"), QString(), "320", true));
        emit key->activated();
        QCOMPARE(other->toPlainText(),
                 QStringLiteral("<A HREF=\"https://img.example/a/%222%22.jpg\" target=\"_blank\">"
                                "<IMG SRC=\"https://img.example/a/%222%22.jpg\" "
                                "ALT=\"正面&quot;写&quot;📷\" WIDTH=\"320\"") +
                     kStyle + QStringLiteral("</A>"));
        // The emoji is its reference in the cell, not "?".
        QVERIFY(main.Sheet().Rows[1].Item.Text.find("&quot;&#x1F4F7;\"") != std::string::npos);
        QCOMPARE(cell->toPlainText(), QStringLiteral("写真：") + first);
        QCOMPARE(int(fixture->dialogs.unexpected), 0);

        // The folder is kept for the next run, the fields for the next showing.
        QCOMPARE(fixture->windows->image->EditWidth->text(), QStringLiteral("320"));
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);  // the save question
        QVERIFY(main.close());
        QCOMPARE(quorvel::ReadTextAndImageSettings(fixture->store()).ImageAddressBase,
                 std::string("https://img.example/a/"));
        fixture->stop();
        fixture->start();
        QCOMPARE(fixture->windows->image->EditAddress->text(),
                 QStringLiteral("https://img.example/a/"));
    }

    void httpsWarningBothAnswersAndTheByteLimit() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = fixture->find<TCellEdit>("MemoTytle");
        cell->setFocus(Qt::TabFocusReason);
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        bool keptOpen = false;
        fixture->dialogs.modalScripts.push_back([&](QDialog& dialog) {
            auto& image = static_cast<TImageForm&>(dialog);
            image.EditAddress->setText(QStringLiteral("http://img.example/x.jpg"));
            image.EditAlt->clear();
            image.EditWidth->clear();
            image.CheckBoxLink->setChecked(false);
            image.ButtonOk->click();
            keptOpen = image.isVisible();
            image.ButtonCancel->click();
            return image.result();
        });
        main.EditMenu()->InsertImage(main.FocusedCell());
        QVERIFY(keptOpen);
        QVERIFY(cell->toPlainText().isEmpty());
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        QCOMPARE(fixture->dialogs.messages[0].text,
                 QStringLiteral("画像URLが\"https://\"で開始していません。\nスマートフォンや多くの"
                                "ブラウザで表示されない可能性がありますが続行しますか？"));
        QCOMPARE(fixture->dialogs.messages[0].caption, QStringLiteral("画像挿入"));

        fixture->dialogs.messageAnswers.push_back(QMessageBox::Yes);
        fixture->dialogs.modalScripts.push_back(
            fill(QStringLiteral("http://img.example/x.jpg"), "x", QString(), false));
        main.EditMenu()->InsertImage(cell);
        QCOMPARE(cell->toPlainText(),
                 QStringLiteral("<IMG SRC=\"http://img.example/x.jpg\" ALT=\"x\"") + kStyle);

        // A tag that does not fit whole is refused with the dialog kept open.
        cell->selectAll();
        cell->InsertLikePaste(QString(990, u'a'));
        fixture->dialogs.messages.clear();
        fixture->dialogs.modalScripts.push_back(
            fill(QStringLiteral("https://img.example/y.jpg"), QString(), QString(), false));
        main.EditMenu()->InsertImage(cell);
        QCOMPARE(cell->toPlainText(), QString(990, u'a'));
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        QVERIFY(fixture->dialogs.messages[0].text.contains(QStringLiteral("入りません")));

        // An empty address is asked for again, before any https question.
        cell->clear();
        fixture->dialogs.messages.clear();
        fixture->dialogs.modalScripts.push_back(fill(QString(), "x", QString(), false));
        main.EditMenu()->InsertImage(cell);
        QVERIFY(cell->toPlainText().isEmpty());
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        QCOMPARE(fixture->dialogs.messages[0].text, QStringLiteral("画像URLを入力してください。"));
    }

    void dialogFitsAndKeepsItsLook() {
        TImageForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("画像挿入"));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form.LabelAddress->text(), QStringLiteral("画像URL(例：https://…)"));
        QCOMPARE(form.LabelAlt->text(), QStringLiteral("説明文"));
        QCOMPARE(form.CheckBoxLink->text(), QStringLiteral("クリックで元画像を開く"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (QWidget* w : form.findChildren<QWidget*>()) {
            QVERIFY2(form.rect().contains(w->geometry()), qPrintable(w->objectName()));
            if (auto* label = qobject_cast<QLabel*>(w))
                QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(w->objectName()));
        }
        // Only digits go into the width.
        form.EditWidth->setFocus();
        QTest::keyClicks(form.EditWidth, "12a34567");
        QCOMPARE(form.EditWidth->text(), QStringLiteral("1234"));
    }

    void textTabShowsCountsAndCopies() {
        TFormMain& main = fixture->start();
        // A character code page 932 cannot hold is one character of the text and of the copy.
        main.Sheet().Title.Text = sj(QStringLiteral("腕時計")) + "&#x231A;";
        main.Sheet().Rows[0].Item.Text = sj(QStringLiteral("状態"));
        main.Sheet().Rows[0].Description.Text = sj(QStringLiteral("良好\r\n箱あり"));
        TFormPreview* preview = main.Preview();
        QCOMPARE(preview->PageControl1->tabText(preview->PageControl1->count() - 1),
                 QStringLiteral("ﾃｷｽﾄ"));
        TPreviewTextTab* tab = preview->TextTab;
        tab->Refresh();
        const QString text = QStringLiteral("腕時計⌚\r\n状態：良好\r\n　　　箱あり\r\n");
        QCOMPARE(tab->Text(), text);
        QCOMPARE(tab->MemoText->toPlainText(), QString(text).remove(u'\r'));
        QCOMPARE(tab->LabelCount->text(), QStringLiteral("18 文字（改行を含む）"));
        QVERIFY(tab->LabelPictures->text().isEmpty());
        // Pictures leave the text as it is and are counted beside it, an excluded cell's not.
        main.Sheet().Rows[0].Description.Text =
            sj(QStringLiteral("良好<IMG SRC=\"a.jpg\">\r\n箱あり<img src=b.jpg>"));
        main.Sheet().Rows[1].Item.Text = sj(QStringLiteral("<IMG SRC=\"c.jpg\">"));
        main.Sheet().Rows[1].IncludeItem = false;
        tab->Refresh();
        QCOMPARE(tab->Text(), text);
        QCOMPARE(tab->PictureCount(), 2u);
        QCOMPARE(tab->LabelPictures->text(), QStringLiteral("　画像 2 枚は含まれません"));
        QVERIFY(!tab->OverLimit());
        tab->ButtonCopyText->click();
        QCOMPARE(QApplication::clipboard()->text(), text);

        main.Sheet().Note.Text = std::string(1200, 'x');
        tab->Refresh();
        QVERIFY(tab->OverLimit());
        const QColor normal = tab->palette().color(QPalette::WindowText);
        QVERIFY(tab->LabelCount->palette().color(QPalette::WindowText) != normal);
        tab->ComboBoxMaxChars->setCurrentIndex(1);
        emit tab->ComboBoxMaxChars->activated(1);
        QCOMPARE(tab->MaxChars(), 3000);
        QVERIFY(!tab->OverLimit());
        QCOMPARE(tab->LabelCount->palette().color(QPalette::WindowText), normal);

        // The limit is kept for the next run.
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        QVERIFY(main.close());
        fixture->stop();
        fixture->start();
        QCOMPARE(fixture->main().Preview()->TextTab->MaxChars(), 3000);
    }

  private:
    std::unique_ptr<MainWindowFixture> fixture;
};

QUORVEL_UI_TEST_MAIN(ImageAndTextTest)
#include "test_image_and_text.moc"
