// The design chooser: a design on the sheet and back by one undo, a new sheet in a design after
// the save question, and the seller's own designs kept, renamed and deleted.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>

#include <memory>

#include "MainWindowFixture.h"
#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "dialogs/DesignChooser.h"
#include "dialogs/DesignThumbnails.h"
#include "document/SheetDocument.h"
#include "editor/Mainunit.h"
#include "panes/CellEdit.h"
#include "panes/FormatToolbar.h"
#include "platform/Sjis.h"
#include "sheet/BuiltinDesigns.h"
#include "store/DesignStore.h"

namespace {

using quorvel::Design;

const Design& Builtin(const char* name) {
    for (const auto& d : quorvel::BuiltinDesigns())
        if (d.name == name) return d.design;
    throw std::runtime_error(name);
}

// A sheet whose every cell has its own text and a format no built-in design has.
quorvel::TDescriptionSheet Worked() {
    quorvel::TDescriptionSheet sheet;
    for (int index = 0; index < quorvel::kCellCount; ++index) {
        quorvel::TSheetCell& cell = sheet.CellAt(index);
        cell.Text = quorvel::sjis::FromUtf8("文 " + std::to_string(index)).bytes;
        cell.Format.FontColor = 0x000102u * static_cast<unsigned>(index);
        cell.Format.FontSize = 7 + index % 12;
        cell.Format.Italic = index % 2;
        cell.Format.HAlign = index % 3;
    }
    sheet.Style.BorderWidth = 7;
    sheet.Style.CellPadding = 9;
    return sheet;
}

std::vector<std::string> Texts(const quorvel::TDescriptionSheet& sheet) {
    std::vector<std::string> texts;
    for (int index = 0; index < quorvel::kCellCount; ++index)
        texts.push_back(sheet.CellAt(index).Text);
    return texts;
}

// Types the name into the name window and presses OK.
std::function<int(QDialog&)> TypeName(const QString& name) {
    return [name](QDialog& dialog) {
        auto* form = qobject_cast<TDesignNameForm*>(&dialog);
        if (!form) return int(QDialog::Rejected);
        form->EditDesignName->setText(name);
        form->ButtonOK->click();
        return dialog.result();
    };
}

}  // namespace

class DesignsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        sheet = std::make_unique<quorvel::TDescriptionSheet>(Worked());
        dialogs = std::make_unique<ScriptedDialogs>();
        folder = std::make_unique<QTemporaryDir>();
        store = std::make_unique<quorvel::DesignStore>(folder->path().toStdString() + "/designs");
        document = std::make_unique<TSheetDocument>(*sheet);
    }
    void cleanup() {
        QCOMPARE(dialogs->unexpected, 0);
        document.reset();
        dialogs.reset();
    }

    void applyIsOneStepThatUndoTakesBackWholeKeepingTheText() {
        const quorvel::TDescriptionSheet before = *sheet;
        const std::vector<std::string> texts = Texts(before);
        TDesignChooser chooser(*document, *store, {}, quorvel::ItemTag(3));
        QVERIFY(chooser.Select("モノトーン"));
        QVERIFY(!chooser.ButtonRename->isEnabled());  // a built-in design is the program's
        QVERIFY(!chooser.ButtonDelete->isEnabled());
        chooser.ButtonApply->click();
        QCOMPARE(chooser.result(), int(QDialog::Accepted));

        QVERIFY(quorvel::DesignOf(*sheet) == Builtin("モノトーン"));
        QVERIFY(Texts(*sheet) == texts);
        QCOMPARE(document->History()->count(), 1);
        QCOMPARE(document->History()->undoText(), QStringLiteral("デザイン「モノトーン」の適用"));

        QSignalSpy replayed(document.get(), &TSheetDocument::stepReplayed);
        document->Undo();
        QVERIFY(quorvel::DesignOf(*sheet) == quorvel::DesignOf(before));
        QVERIFY(Texts(*sheet) == texts);
        QCOMPARE(replayed.count(), 1);
        QCOMPARE(replayed[0][1].toInt(), quorvel::ItemTag(3));  // back to the cell worked in
        document->Redo();
        QVERIFY(quorvel::DesignOf(*sheet) == Builtin("モノトーン"));

        // The short way: a double click on a picture applies it; the same design again is no step.
        for (int round = 0; round < 2; ++round) {
            TDesignChooser again(*document, *store, {}, 0);
            again.show();
            QVERIFY(QTest::qWaitForWindowExposed(&again));
            QVERIFY(again.Select("若葉"));
            QListWidget* list = again.ListDesigns;
            const QPoint at = list->visualItemRect(list->currentItem()).center();
            // A double click as the platform sends it: a click, then the second press.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            QCOMPARE(again.result(), int(QDialog::Accepted));
            QCOMPARE(document->History()->count(), 2);
        }
        QVERIFY(quorvel::DesignOf(*sheet) == Builtin("若葉"));
    }

    void ownDesignsAreSavedAskedBeforeReplacingRenamedAndDeleted() {
        // A damaged file in the folder is named with its reason, and the rest still lists.
        QVERIFY(QDir().mkpath(QString::fromStdString(store->Folder())));
        QFile damaged(QString::fromStdString(store->Folder()) + "/壊れた.qvd");
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("QuorvelDesign\n") > 0);
        damaged.close();
        TDesignChooser chooser(*document, *store, {}, 0);
        QVERIFY(!chooser.ScrollProblems->isHidden());
        QVERIFY(chooser.LabelProblems->text().contains(
            QStringLiteral("壊れた.qvd：デザインファイルが途中で切れています")));
        const int builtins = chooser.Names().size();
        QCOMPARE(builtins, 8);

        dialogs->modalScripts.push_back(TypeName(QStringLiteral("  店の表 ")));
        chooser.ButtonSaveCurrent->click();
        QCOMPARE(chooser.Names().size(), builtins + 1);
        QCOMPARE(chooser.Names().last(), QStringLiteral("店の表"));
        QCOMPARE(chooser.ListDesigns->currentRow(), builtins);  // the saved one is chosen
        QVERIFY(chooser.ButtonRename->isEnabled() && chooser.ButtonDelete->isEnabled());
        QCOMPARE(store->List().designs.at(0).design, quorvel::DesignOf(*sheet));

        // The same name again: asked, and "No" keeps the stored design.
        const Design first = quorvel::DesignOf(*sheet);
        quorvel::TCellFormat red = sheet->Title.Format;
        red.FontColor = 0x0000FF;
        document->SetCellFormat(quorvel::kTitleTag, TSheetDocument::FormatField::FontColor, red,
                                false);
        dialogs->modalScripts.push_back(TypeName(QStringLiteral("店の表")));
        dialogs->messageAnswers.push_back(QMessageBox::No);
        chooser.ButtonSaveCurrent->click();
        QCOMPARE(int(dialogs->messages.size()), 1);
        QCOMPARE(dialogs->messages[0].text,
                 QStringLiteral("デザイン「店の表」はすでにあります。置き換えますか？"));
        QCOMPARE(store->List().designs.at(0).design, first);
        dialogs->modalScripts.push_back(TypeName(QStringLiteral("店の表")));
        dialogs->messageAnswers.push_back(QMessageBox::Yes);
        chooser.ButtonSaveCurrent->click();
        QCOMPARE(store->List().designs.at(0).design, quorvel::DesignOf(*sheet));
        QCOMPARE(chooser.Names().size(), builtins + 1);

        // Renamed to a free name: no question.
        const auto asked = dialogs->messages.size();
        QVERIFY(chooser.Select("店の表"));
        dialogs->modalScripts.push_back(TypeName(QStringLiteral("いつもの表")));
        chooser.ButtonRename->click();
        QCOMPARE(dialogs->messages.size(), asked);
        QVERIFY(chooser.Names().contains(QStringLiteral("いつもの表")));
        QVERIFY(!chooser.Names().contains(QStringLiteral("店の表")));

        // Deleting asks first.
        QVERIFY(chooser.Select("いつもの表"));
        dialogs->messageAnswers.push_back(QMessageBox::Yes);
        chooser.ButtonDelete->click();
        QCOMPARE(chooser.Names().size(), builtins);
        QVERIFY(store->List().designs.empty());
    }

    // Swatches and pictures alike are made at the screen's pixel ratio (the scaled run of this
    // case sets QT_SCALE_FACTOR), so they are not blurred on a scaled screen.
    void everyDesignGetsItsPictureAfterTheChooserIsUp() {
        TDesignChooser chooser(*document, *store, {}, 0);
        const qreal ratio = chooser.devicePixelRatioF();
        if (ratio == 1) qInfo("at pixel ratio 1 here; test_designs_scaled runs this at 1.5");
        const QSize device = (QSizeF(TDesignThumbnails::Size()) * ratio).toSize();
        QSignalSpy drawn(&chooser.Thumbnails(), &TDesignThumbnails::drawn);
        // The chooser is there before any picture: the swatches stand in.
        QCOMPARE(drawn.count(), 0);
        QVERIFY(!chooser.ListDesigns->item(0)->icon().isNull());
        QVERIFY(chooser.ListDesigns->item(0)->icon().availableSizes().contains(device));
        QSignalSpy finished(&chooser.Thumbnails(), &TDesignThumbnails::finished);
        QVERIFY(finished.wait(60000));
        QCOMPARE(drawn.count(), chooser.Names().size());
        for (const QList<QVariant>& each : drawn) {
            const QImage picture = each[1].value<QImage>();
            QCOMPARE(picture.size(), device);
            QCOMPARE(picture.devicePixelRatio(), ratio);
            QVERIFY(chooser.ListDesigns->item(each[0].toInt())
                        ->icon()
                        .availableSizes()
                        .contains(device));
        }
#ifdef QUORVEL_HAVE_PAGE
        // The page engine's picture has taken the swatch's place.
        QVERIFY(drawn[0][1].value<QImage>() !=
                TDesignThumbnails::Swatch(Builtin("濃紺の見出し帯"), ratio));
#else
        qInfo("no page engine in this build: the swatches are the pictures");
#endif
    }

    // However many files the folder leaves out, each is named, and the chooser with its 閉じる
    // stays on the screen.
    void aThousandFilesLeftOutAreNamedInAWindowThatFitsTheScreen() {
        const QString path = QString::fromStdString(store->Folder());
        QVERIFY(QDir().mkpath(path));
        for (int i = 0; i < 1000; ++i) {
            QFile bad(path + QStringLiteral("/bad%1.qvd").arg(i, 4, 10, QLatin1Char('0')));
            QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("not a design") > 0);
        }
        QVERIFY(QDir().mkpath(path + QStringLiteral("/x.qvd")));
        TDesignChooser chooser(*document, *store, {}, 0);
        chooser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chooser));
        const QStringList lines = chooser.LabelProblems->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 1 + 1001);
        QCOMPARE(lines[0], QStringLiteral("デザイン用フォルダ ") + path +
                               QStringLiteral(" の読み込めなかったファイル"));
        QVERIFY(lines.contains(QStringLiteral("bad0999.qvd：デザインファイルではありません")));
        QVERIFY(lines.contains(QStringLiteral("x.qvd：フォルダです")));
        const QRect screen = chooser.screen()->availableGeometry();
        QVERIFY2(screen.contains(chooser.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4 on a %5x%6 screen")
                                .arg(chooser.frameGeometry().x())
                                .arg(chooser.frameGeometry().y())
                                .arg(chooser.frameGeometry().width())
                                .arg(chooser.frameGeometry().height())
                                .arg(screen.width())
                                .arg(screen.height())));
        const QRect close(chooser.ButtonClose->mapToGlobal(QPoint()), chooser.ButtonClose->size());
        QVERIFY(chooser.ButtonClose->isVisible() && screen.contains(close));
        // The list scrolls within the window.
        QVERIFY(chooser.ScrollProblems->verticalScrollBar()->maximum() > 0);
    }

    // Through the main window: the toolbar's button, the real New path and its question.
    void newSheetInADesignAsksTheSaveQuestionFirst() {
        MainWindowFixture fixture;
        TFormMain& main = fixture.start();
        // In reach at the window's first width, not folded behind the toolbar's arrow.
        QToolButton* design = main.FormatToolbar()->SpeedButtonDesign;
        QVERIFY(design->isVisible());
        QVERIFY(main.rect().contains(QRect(design->mapTo(&main, QPoint()), design->size())));
        TCellEdit* title = main.CellByTag(quorvel::kTitleTag);
        title->setFocus();
        title->insertPlainText(QStringLiteral("売ります"));
        QVERIFY(main.SheetDocument()->IsModified());

        const Design& pink = Builtin("桜色");
        auto useInNewSheet = [](QDialog& dialog) {
            auto* chooser = qobject_cast<TDesignChooser*>(&dialog);
            if (!chooser || !chooser->Select("桜色")) return int(QDialog::Rejected);
            chooser->ButtonNewSheet->click();
            return dialog.result();
        };
        // Cancel at the question: the sheet stays, the chooser stays open.
        fixture.dialogs.modalScripts.push_back(useInNewSheet);
        fixture.dialogs.messageAnswers.push_back(QMessageBox::Cancel);
        main.FormatToolbar()->SpeedButtonDesign->click();
        QCOMPARE(int(fixture.dialogs.messages.size()), 1);
        QCOMPARE(fixture.dialogs.messages[0].text, QStringLiteral("変更を保存しますか？"));
        QCOMPARE(fixture.dialogs.messages[0].caption, QStringLiteral("確認"));
        QCOMPARE(fixture.dialogs.messageAnswers.size(), std::size_t(0));
        QVERIFY(main.SheetDocument()->IsModified());
        QVERIFY(quorvel::DesignOf(main.SheetDocument()->Sheet()) != pink);

        // "No": a new, empty sheet in the design, untitled and unchanged.
        fixture.dialogs.modalScripts.push_back(useInNewSheet);
        fixture.dialogs.messageAnswers.push_back(QMessageBox::No);
        main.FormatToolbar()->SpeedButtonDesign->click();
        QCOMPARE(int(fixture.dialogs.messages.size()), 2);
        const quorvel::TDescriptionSheet& now = main.SheetDocument()->Sheet();
        QVERIFY(quorvel::DesignOf(now) == pink);
        QVERIFY(now.Title.Text.empty());
        QVERIFY(!main.SheetDocument()->IsModified());
        QCOMPARE(main.SheetDocument()->History()->count(), 0);
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - 無題"));
        QCOMPARE(fixture.dialogs.unexpected, 0);
    }

  private:
    std::unique_ptr<quorvel::TDescriptionSheet> sheet;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<quorvel::DesignStore> store;
    std::unique_ptr<TSheetDocument> document;
};

QUORVEL_UI_TEST_MAIN(DesignsTest)
#include "test_designs.moc"
