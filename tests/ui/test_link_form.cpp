#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>

#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "dialogs/Linkunit.h"
#include "platform/Sjis.h"

namespace {

const QString kWarning = QStringLiteral(
    "URL指定が\"http://\"で開始していません。\n入力ミスの可能性がありますが続行しますか？");
const QString kWebCaption = QStringLiteral("URLアドレス(例：http://www.merrow.example/)");
const QString kMailCaption = QStringLiteral("メールアドレス(例：info@merrow.example)");

std::string Sj(const char* utf8) {
    return quorvel::sjis::FromUtf8(utf8).bytes;
}

// Shows the form without a modal loop so a test can press its buttons directly.
void showForm(TLinkForm& form) {
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
}

}  // namespace

class TestLinkForm : public QObject {
    Q_OBJECT
  private slots:
    void controlsPositionsAndStartState();
    void tabOrder();
    void typeSwitchKeepsAddressAndTarget();
    void closeQueryWarnsOnWebAddress_data();
    void closeQueryWarnsOnWebAddress();
    void closeQueryYesAndNo();
    void mailAndCancelAreNotChecked();
    void tagsFromEntries();
    void storedTextsAndCaptions();
    void statusBarShowsLongHints();
    void usedThroughTheSeam();
};

// The design positions are kept where the face leaves room; a face that needs more moves controls
// down and makes them taller, never narrower or further left.
static bool fromDesign(const QRect& actual, const QRect& design) {
    return actual.x() == design.x() && actual.width() == design.width() &&
           actual.y() >= design.y() && actual.height() >= design.height() &&
           actual.y() - design.y() <= 16;
}

void TestLinkForm::controlsPositionsAndStartState() {
    TLinkForm form;
    QCOMPARE(form.objectName(), QStringLiteral("LinkForm"));
    QCOMPARE(form.windowTitle(), QStringLiteral("リンク挿入"));
    QCOMPARE(form.width(), 327);
    QVERIFY(form.height() >= 203 && form.height() <= 210);
    QCOMPARE(form.minimumSize(), form.maximumSize());
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));

    QCOMPARE(form.findChild<TRadioGroup*>("RadioGroupType"), form.RadioGroupType);
    QVERIFY(form.RadioGroupType->geometry().height() >= 30);
    QCOMPARE(form.RadioGroupType->x(), 10);
    QCOMPARE(form.RadioGroupType->width(), 308);
    QCOMPARE(form.RadioGroupType->title(), QStringLiteral("リンクタイプ指定"));
    QCOMPARE(form.RadioGroupType->Count(), 2);
    QCOMPARE(form.RadioGroupType->Item(0)->text(), QStringLiteral("URLへ(http:)"));
    QCOMPARE(form.RadioGroupType->Item(1)->text(), QStringLiteral("メールへ(mailto:)"));
    // Two columns: side by side, inside the group.
    QCOMPARE(form.RadioGroupType->Item(0)->y(), form.RadioGroupType->Item(1)->y());
    QVERIFY(form.RadioGroupType->Item(1)->x() > form.RadioGroupType->Item(0)->geometry().right());
    QVERIFY(form.RadioGroupType->rect().contains(form.RadioGroupType->Item(1)->geometry()));

    QCOMPARE(form.findChild<QLabel*>("LabelAddress"), form.LabelAddress);
    QVERIFY(fromDesign(form.LabelAddress->geometry(), QRect(10, 49, 307, 12)));
    QCOMPARE(form.LabelAddress->text(), kWebCaption);
    QCOMPARE(form.findChild<QLineEdit*>("EditAddress"), form.EditAddress);
    QVERIFY(fromDesign(form.EditAddress->geometry(), QRect(10, 63, 307, 20)));
    QVERIFY(form.EditAddress->text().isEmpty());

    QCOMPARE(form.findChild<TRadioGroup*>("RadioGroupTarget"), form.RadioGroupTarget);
    QVERIFY(fromDesign(form.RadioGroupTarget->geometry(), QRect(10, 105, 308, 30)));
    QCOMPARE(form.RadioGroupTarget->title(), QStringLiteral("ターゲット指定"));
    QCOMPARE(form.RadioGroupTarget->Item(0)->text(), QStringLiteral("新しいウィンドウで開く"));
    QCOMPARE(form.RadioGroupTarget->Item(1)->text(), QStringLiteral("通常（指定なし）"));
    QCOMPARE(form.RadioGroupTarget->toolTip(), QString());
    QCOMPARE(form.RadioGroupTarget->statusTip(),
             QStringLiteral("リンクをクリックした時のウィンドウの開き方を指定"));

    QCOMPARE(form.findChild<QLabel*>("LabelSubject"), form.LabelSubject);
    QVERIFY(fromDesign(form.LabelSubject->geometry(), QRect(10, 93, 100, 12)));
    QCOMPARE(form.LabelSubject->text(), QStringLiteral("件名"));
    QCOMPARE(form.findChild<QLineEdit*>("EditSubject"), form.EditSubject);
    QVERIFY(fromDesign(form.EditSubject->geometry(), QRect(10, 106, 308, 20)));
    QCOMPARE(form.EditSubject->toolTip(), QString());
    QCOMPARE(form.EditSubject->statusTip(), QStringLiteral("メーラ起動時の件名を設定"));

    QCOMPARE(form.findChild<QPushButton*>("ButtonOk"), form.ButtonOk);
    QVERIFY(fromDesign(form.ButtonOk->geometry(), QRect(145, 151, 75, 25)));
    QCOMPARE(form.ButtonOk->text(), QStringLiteral("OK(&O)"));
    QVERIFY(form.ButtonOk->isDefault());
    QCOMPARE(form.findChild<QPushButton*>("ButtonCancel"), form.ButtonCancel);
    QVERIFY(fromDesign(form.ButtonCancel->geometry(), QRect(235, 151, 75, 25)));
    QCOMPARE(form.ButtonCancel->text(), QStringLiteral("ｷｬﾝｾﾙ(&C)"));
    QCOMPARE(form.findChild<QStatusBar*>("StatusBar1"), form.StatusBar1);
    QCOMPARE(form.StatusBar1->geometry().bottom(), form.height() - 1);

    // Web link, new window, target shown and subject hidden.
    QCOMPARE(form.RadioGroupType->ItemIndex(), 0);
    QCOMPARE(form.RadioGroupTarget->ItemIndex(), 0);
    QVERIFY(!form.RadioGroupTarget->isHidden());
    QVERIFY(form.LabelSubject->isHidden());
    QVERIFY(form.EditSubject->isHidden());

    showForm(form);
    // Centred on the screen.
    const QRect screen = form.screen()->availableGeometry();
    QVERIFY(qAbs(form.frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(form.frameGeometry().center().y() - screen.center().y()) <= 1);
}

void TestLinkForm::tabOrder() {
    TLinkForm form;
    showForm(form);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    auto walk = [&form](QWidget* start) {
        start->setFocus(Qt::TabFocusReason);
        QStringList names{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            names << QApplication::focusWidget()->objectName();
        }
        return names;
    };
    // Tab enters a radio group at its chosen item.
    QStringList web = walk(form.RadioGroupType->Item(0));
    QCOMPARE(web, (QStringList{"RadioGroupTypeItem0", "EditAddress", "RadioGroupTargetItem0",
                               "ButtonOk", "ButtonCancel", "RadioGroupTypeItem0", "EditAddress"}));

    form.RadioGroupType->Item(1)->click();
    QStringList mail = walk(form.RadioGroupType->Item(1));
    QCOMPARE(mail, (QStringList{"RadioGroupTypeItem1", "EditAddress", "EditSubject", "ButtonOk",
                                "ButtonCancel", "RadioGroupTypeItem1", "EditAddress"}));
}

void TestLinkForm::typeSwitchKeepsAddressAndTarget() {
    TLinkForm form;
    showForm(form);
    form.EditAddress->setText("http://www.merrow.example/shoes");
    QTest::mouseClick(form.RadioGroupTarget->Item(1), Qt::LeftButton);
    QCOMPARE(form.RadioGroupTarget->ItemIndex(), 1);

    QTest::mouseClick(form.RadioGroupType->Item(1), Qt::LeftButton);
    QCOMPARE(form.RadioGroupType->ItemIndex(), 1);
    QCOMPARE(form.LabelAddress->text(), kMailCaption);
    QVERIFY(!form.RadioGroupTarget->isVisible());
    QVERIFY(form.LabelSubject->isVisible());
    QVERIFY(form.EditSubject->isVisible());
    QCOMPARE(form.EditAddress->text(), QStringLiteral("http://www.merrow.example/shoes"));

    QTest::mouseClick(form.RadioGroupType->Item(0), Qt::LeftButton);
    QCOMPARE(form.LabelAddress->text(), kWebCaption);
    QVERIFY(form.RadioGroupTarget->isVisible());
    QVERIFY(!form.LabelSubject->isVisible());
    QVERIFY(!form.EditSubject->isVisible());
    QCOMPARE(form.RadioGroupTarget->ItemIndex(), 1);
    QCOMPARE(form.EditAddress->text(), QStringLiteral("http://www.merrow.example/shoes"));
}

void TestLinkForm::closeQueryWarnsOnWebAddress_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("warned");
    QTest::newRow("plain") << "http://x" << false;
    QTest::newRow("bare prefix") << "http://" << false;
    QTest::newRow("secure") << "https://x" << false;
    QTest::newRow("secure bare prefix") << "https://" << false;
    QTest::newRow("secure capitals") << "HTTPS://x" << true;
    QTest::newRow("secure leading space") << " https://x" << true;
    QTest::newRow("secure one slash") << "https:/x" << true;
    QTest::newRow("other scheme") << "ftp://x" << true;
    QTest::newRow("leading space") << " http://x" << true;
    QTest::newRow("capitals") << "HTTP://x" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("no scheme") << "www.merrow.example" << true;
}

void TestLinkForm::closeQueryWarnsOnWebAddress() {
    QFETCH(QString, address);
    QFETCH(bool, warned);
    ScriptedDialogs scripted;
    scripted.messageAnswers.push_back(QMessageBox::Yes);
    TLinkForm form;
    showForm(form);
    form.EditAddress->setText(address);
    form.ButtonOk->click();
    QCOMPARE(scripted.messages.size(), std::size_t(warned ? 1 : 0));
    if (warned) {
        const auto& asked = scripted.messages.front();
        QCOMPARE(asked.text, kWarning);
        QCOMPARE(asked.caption, QStringLiteral("リンク挿入"));
        QCOMPARE(asked.icon, QMessageBox::Question);
        QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
    }
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
}

void TestLinkForm::closeQueryYesAndNo() {
    ScriptedDialogs scripted;
    TLinkForm form;
    showForm(form);
    form.EditAddress->setText("www.merrow.example/");
    form.RadioGroupTarget->SetItemIndex(1);

    scripted.messageAnswers.push_back(QMessageBox::No);
    form.ButtonOk->click();
    QCOMPARE(scripted.messages.size(), std::size_t{1});
    QVERIFY(form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(form.EditAddress->text(), QStringLiteral("www.merrow.example/"));
    QCOMPARE(form.RadioGroupTarget->ItemIndex(), 1);

    // Asked again on the next OK; Yes lets it close with OK.
    scripted.messageAnswers.push_back(QMessageBox::Yes);
    form.ButtonOk->click();
    QCOMPARE(scripted.messages.size(), std::size_t{2});
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(scripted.unexpected, 0);
}

void TestLinkForm::mailAndCancelAreNotChecked() {
    ScriptedDialogs scripted;
    TLinkForm form;
    showForm(form);
    form.EditAddress->setText("not an address");
    form.ButtonCancel->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));

    showForm(form);
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));

    showForm(form);
    form.close();
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(scripted.messages.empty());
    // The entry survives for the next showing.
    QCOMPARE(form.EditAddress->text(), QStringLiteral("not an address"));

    showForm(form);
    form.RadioGroupType->Item(1)->click();
    form.EditAddress->setText("");
    form.ButtonOk->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(scripted.messages.empty());
}

void TestLinkForm::tagsFromEntries() {
    TLinkForm form;
    form.EditAddress->setText("http://www.merrow.example/");
    QCOMPARE(form.BuildTag(form.AddressText()),
             QStringLiteral("<A HREF=\"http://www.merrow.example/\" target=\"_blank\">"
                            "http://www.merrow.example/</A>"));
    form.RadioGroupTarget->SetItemIndex(1);
    QCOMPARE(form.BuildTag(QStringLiteral("靴")),
             QStringLiteral("<A HREF=\"http://www.merrow.example/\" target=\"_self\">靴</A>"));
    // A multi-line selection keeps its line breaks.
    QCOMPARE(form.BuildTag(QStringLiteral("一行目\r\n二行目")),
             QStringLiteral("<A HREF=\"http://www.merrow.example/\" target=\"_self\">"
                            "一行目\r\n二行目</A>"));

    form.RadioGroupType->Item(1)->click();
    form.EditAddress->setText(QStringLiteral(" info@merrow.example "));
    QCOMPARE(form.BuildTag(QStringLiteral("連絡")),
             QStringLiteral("<A HREF=\"mailto: info@merrow.example ?Subject=\">連絡</A>"));
    form.EditSubject->setText(QStringLiteral("質問 & 相談"));
    QCOMPARE(
        form.BuildTag(QStringLiteral("連絡")),
        QStringLiteral("<A HREF=\"mailto: info@merrow.example ?Subject=質問 & 相談\">連絡</A>"));
}

void TestLinkForm::storedTextsAndCaptions() {
    TLinkForm form;
    form.FormCreate(Sj("http://例.example/ﾃｽﾄ"), Sj("件名①"));
    QCOMPARE(form.AddressText(), QStringLiteral("http://例.example/ﾃｽﾄ"));
    QCOMPARE(form.SubjectText(), QStringLiteral("件名①"));
    QCOMPARE(form.AddressBytes(), Sj("http://例.example/ﾃｽﾄ"));
    QCOMPARE(form.SubjectBytes(), Sj("件名①"));
    // Nothing stored: empty boxes.
    form.FormCreate("", "");
    QVERIFY(form.AddressText().isEmpty());
    QVERIFY(form.SubjectText().isEmpty());
    // A character code page 932 cannot hold is saved as "?" without losing the rest.
    form.EditSubject->setText(QStringLiteral("a😀b"));
    QCOMPARE(form.SubjectBytes(), std::string("a?b"));

    form.SetApplyCaption(QStringLiteral("赤い靴"));
    QCOMPARE(form.windowTitle(), QStringLiteral("リンクタグ適用 - \"赤い靴\""));
    form.SetInsertCaption();
    QCOMPARE(form.windowTitle(), QStringLiteral("リンクタグ挿入 - カーソル位置"));
}

void TestLinkForm::statusBarShowsLongHints() {
    TLinkForm form;
    showForm(form);
    QStatusTipEvent tip(form.RadioGroupTarget->Item(0)->statusTip());
    QApplication::sendEvent(form.RadioGroupTarget->Item(0), &tip);
    QCOMPARE(form.StatusBar1->currentMessage(),
             QStringLiteral("リンクをクリックした時のウィンドウの開き方を指定"));
    QStatusTipEvent clear{QString()};
    QApplication::sendEvent(form.EditAddress, &clear);
    QCOMPARE(form.StatusBar1->currentMessage(), QString());
}

void TestLinkForm::usedThroughTheSeam() {
    ScriptedDialogs scripted;
    TLinkForm form;
    form.SetInsertCaption();
    form.EditAddress->setText("ftp://x");
    scripted.messageAnswers.push_back(QMessageBox::No);
    scripted.messageAnswers.push_back(QMessageBox::Yes);
    scripted.modalScripts.push_back([&form](QDialog& dialog) {
        form.ButtonOk->click();  // answered No: still open
        if (!dialog.isVisible()) return -1;
        form.ButtonOk->click();  // answered Yes
        return dialog.result();
    });
    QCOMPARE(dialogs().execModal(form), int(QDialog::Accepted));
    QCOMPARE(scripted.modalShown, (std::vector<QString>{"LinkForm"}));
    QCOMPARE(scripted.messages.size(), std::size_t{2});
    QCOMPARE(form.BuildTag(form.AddressText()),
             QStringLiteral("<A HREF=\"ftp://x\" target=\"_blank\">ftp://x</A>"));
}

QUORVEL_UI_TEST_MAIN(TestLinkForm)
#include "test_link_form.moc"
