#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

#include <memory>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "dialogs/Imageunit.h"
#include "dialogs/Linkunit.h"
#include "dialogs/Preview.h"
#include "dialogs/PreviewCheckTab.h"
#include "dialogs/PreviewTextTab.h"
#include "document/SheetDocument.h"
#include "editor/DocumentController.h"
#include "editor/Mainunit.h"
#include "followers/ListingChecker.h"
#include "panes/CellEdit.h"
#include "panes/FormatToolbar.h"
#include "panes/StyleStrip.h"
#include "sheet/Design.h"
#include "store/DataFile.h"
#include "store/Settings.h"

namespace {

// A drag from elsewhere, entered, moved and dropped at the middle of `target`, as the window
// system delivers it: to the widget under the pointer, passed up while nobody takes it.
bool dropOn(QWidget* target, QMimeData& mime) {
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

}  // namespace

// What the window shows and keeps follows every whole-sheet change, wherever a file is dropped.
class WindowFollowsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { fixture.reset(); }

    void aFileDroppedAnywhereOpensAfterTheQuestion_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<bool>("withText");
        QTest::newRow("cell") << "Memo3Right" << false;
        QTest::newRow("cell, the drag offering text too") << "MemoTytle" << true;
        QTest::newRow("note cell") << "MemoKey" << true;
        QTest::newRow("label") << "CheckBoxKou1" << true;
        QTest::newRow("toolbar") << "ToolBar2" << true;
#ifdef QUORVEL_HAVE_PAGE
        QTest::newRow("live view") << "DockLiveView" << true;
        QTest::newRow("floating live view") << "floating" << true;
#endif
    }
    void aFileDroppedAnywhereOpensAfterTheQuestion() {
        QFETCH(QString, place);
        QFETCH(bool, withText);
        quorvel::TDescriptionSheet stored;
        stored.Title.Text = "watch";
        const QString path = fixture->files.filePath("watch.qvl");
        QVERIFY(!quorvel::SaveDataFile(stored, QFile::encodeName(path).toStdString()));
        TFormMain& main = fixture->start();
        TCellEdit* edited = fixture->find<TCellEdit>("Memo1Left");
        uitest::TypeInto(edited, QStringLiteral("unsaved"));
        QWidget* target = nullptr;
        if (place == "floating" || place == "DockLiveView") {
            auto* view = fixture->find<QDockWidget>("DockLiveView");
            view->setFloating(place == "floating");
            view->show();
            target = view->widget();
        } else {
            target = fixture->find<QWidget>(place);
        }
        QVERIFY(target);
        if (auto* cell = qobject_cast<TCellEdit*>(target)) target = cell->viewport();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        if (withText) mime.setText(path);
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        QVERIFY(dropOn(target, mime));
        QTRY_COMPARE_WITH_TIMEOUT(main.CurrentFileName(), path, 60000);
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        QCOMPARE(fixture->dialogs.messages[0].text, QStringLiteral("変更を保存しますか？"));
        QCOMPARE(main.Sheet().Title.Text, std::string("watch"));
        QCOMPARE(main.Sheet().Rows[0].Item.Text, std::string());
        QVERIFY(!main.AnyCellModified());
        QCOMPARE(fixture->find<TCellEdit>("MemoTytle")->toPlainText(), QStringLiteral("watch"));
    }

    void textDraggedIntoACellIsStillInserted() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = fixture->find<TCellEdit>("Memo2Right");
        QMimeData mime;
        mime.setText(QStringLiteral("革のバッグ"));
        // A web address is text to a cell, not a file.
        QMimeData link;
        link.setUrls({QUrl(QStringLiteral("https://shop.example/bag"))});
        link.setText(QStringLiteral("https://shop.example/bag"));
        QVERIFY(dropOn(cell->viewport(), mime));
        QVERIFY(dropOn(cell->viewport(), link));
        QCOMPARE(cell->toPlainText(), QStringLiteral("革のバッグhttps://shop.example/bag"));
        QVERIFY(main.AnyCellModified());
        QVERIFY(main.CurrentFileName().isEmpty());
        QCOMPARE(int(fixture->dialogs.messages.size()), 0);
    }

    // The focused cell keeps the focus through each; the toolbar and the strip must show the
    // sheet as it now is.
    void theToolbarShowsTheFocusedCellAfterEachWholeSheetChange_data() {
        QTest::addColumn<QString>("change");
        for (const char* change : {"new", "open", "drop", "restore", "undo", "design"})
            QTest::newRow(change) << change;
    }
    void theToolbarShowsTheFocusedCellAfterEachWholeSheetChange() {
        QFETCH(QString, change);
        quorvel::TDescriptionSheet plain;
        plain.ResetSheet();
        const QString path = fixture->files.filePath("plain.qvl");
        QVERIFY(!quorvel::SaveDataFile(plain, QFile::encodeName(path).toStdString()));
        TFormMain& main = fixture->start();
        TFormatToolbar* toolbar = main.FormatToolbar();
        TCellEdit* title = fixture->find<TCellEdit>("MemoTytle");
        title->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(title->hasFocus());
        toolbar->SpeedButtonBold->click();
        toolbar->SpeedButtonRight->click();
        main.StyleStrip()->SpeedButtonTableAlignRight->click();
        QVERIFY(main.Sheet().Title.Format.Bold);
        QVERIFY(toolbar->SpeedButtonBold->isChecked());
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        if (change == "new") {
            main.SpeedButtonNewClick();
        } else if (change == "open") {
            fixture->dialogs.fileAnswers.push_back(path);
            main.SpeedButtonOpenClick();
        } else if (change == "drop") {
            main.FilesDropped({path});
        } else if (change == "restore") {
            main.Document()->Restore(plain, QString());
        } else if (change == "undo") {
            main.SheetDocument()->Undo();
            main.SheetDocument()->Undo();
            main.SheetDocument()->Undo();
        } else {
            quorvel::Design design;
            for (auto& format : design.Formats) format = plain.Title.Format;
            design.Style = plain.Style;
            main.SheetDocument()->ApplyDesign(design, QStringLiteral("素"), title->Tag());
        }
        QTRY_VERIFY(!main.Sheet().Title.Format.Bold);
        QVERIFY(title->hasFocus());
        QVERIFY(!toolbar->SpeedButtonBold->isChecked());
        QVERIFY(toolbar->SpeedButtonLeft->isChecked());
        QVERIFY(!toolbar->SpeedButtonRight->isChecked());
        QVERIFY(toolbar->SpeedButtonBold->isEnabled());
        QVERIFY(main.StyleStrip()->SpeedButtonTableAlignCenter->isChecked());
        QVERIFY(!main.StyleStrip()->SpeedButtonTableAlignRight->isChecked());
    }

    // Nothing reaches the store before the close, however much is chosen; the close writes it
    // all at once, the marker last.
    void settingsAreWrittenOnlyAtTheClose() {
        TFormMain& main = fixture->start();
        // Nothing at all in the store (the file, or the registry key on Windows) until the close.
        const auto nothingWritten = [&] { return fixture->store().Open(false) == nullptr; };
        auto* market = main.Preview()->TabSheet4->ComboBoxMarket;
        market->setCurrentIndex(market->findData(int(quorvel::CheckMarket::Ebay)));
        emit market->activated(market->currentIndex());
        main.Preview()->TextTab->ComboBoxMaxChars->setCurrentIndex(1);
        main.FormatToolbar()->SetApplyToAll(true);
#ifdef QUORVEL_HAVE_PAGE
        fixture->find<QDockWidget>("DockLiveView")->show();
#endif
        QCOMPARE(main.Checker()->Market(), quorvel::CheckMarket::Ebay);
        QVERIFY2(nothingWritten(), "a setting was written before the close");
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Cancel);
        uitest::TypeInto(fixture->find<TCellEdit>("MemoKey"), QStringLiteral("x"));
        QVERIFY(!main.close());
        QVERIFY2(nothingWritten(), "a cancelled close wrote settings");
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        QVERIFY(main.close());
#ifndef _WIN32
        // The marker last, so that a write cut short leaves no settings that look whole.
        QFile written(fixture->settingsDir.path() + "/user/Quorvel.conf");
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = written.readAll().trimmed().split('\n');
        QVERIFY(lines.last().startsWith("ParamExist="));
#endif
        QCOMPARE(quorvel::ReadCheckMarket(fixture->store()), quorvel::CheckMarket::Ebay);
        QVERIFY(quorvel::ReadTextAndImageSettings(fixture->store()).TextMaxChars.has_value());
        QCOMPARE(quorvel::ReadStoredSettings(fixture->store())->SpeedButtonAll, true);
#ifdef QUORVEL_HAVE_PAGE
        QVERIFY(quorvel::ReadLiveViewSettings(fixture->store())->Visible);
#endif
    }

    // Each showing is for a new address: typing replaces the last one.
    void theAddressDialogsOpenWithTheAddressSelected() {
        fixture->start();
        const std::pair<QDialog*, QLineEdit*> forms[] = {
            {fixture->windows->link.get(), fixture->windows->link->EditAddress},
            {fixture->windows->image.get(), fixture->windows->image->EditAddress}};
        for (const auto& [dialog, address] : forms) {
            address->setText(QStringLiteral("http://old.example/"));
            for (int showing = 0; showing < 2; ++showing) {
                QString typed;
                fixture->dialogs.modalScripts.push_back([&typed](QDialog& shown) {
                    QTest::keyClicks(shown.focusWidget(), "http://new.example/");
                    typed = static_cast<QLineEdit*>(shown.focusWidget())->text();
                    return int(QDialog::Rejected);
                });
                dialogs().execModal(*dialog);
                QCOMPARE(typed, QStringLiteral("http://new.example/"));
                QCOMPARE(address->text(), typed);
            }
        }
    }

  private:
    std::unique_ptr<MainWindowFixture> fixture;
};

QUORVEL_UI_TEST_MAIN(WindowFollowsTest)

#include "test_window_follows.moc"
