#include "editor/AppWindows.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTimer>

#include "dialogs/Preview.h"
#include "dialogs/PreviewCheckTab.h"
#include "dialogs/PreviewTextTab.h"
#include "editor/CheckMarketChoice.h"
#include "editor/EditMenu.h"
#include "editor/KeyShortcuts.h"
#include "followers/ListingChecker.h"
#include "panes/CellEdit.h"
#include "store/Settings.h"

namespace {

// End-to-end tests type into the title cell of a real editor process this way, as an input
// method commits text, once the event loop runs. Unset, nothing happens.
void typeForTests(TFormMain& main) {
    const QString text = qEnvironmentVariable("QUORVEL_TEST_TYPE_TITLE");
    if (text.isEmpty()) return;
    QTimer::singleShot(0, &main, [&main, text] {
        TCellEdit* title = main.CellByTag(quorvel::kTitleTag);
        title->setFocus(Qt::OtherFocusReason);
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(title, &commit);
    });
}

}  // namespace

TQuorvelWindows::TQuorvelWindows(quorvel::KeyStore* settings, bool otherInstanceRunning,
                                 const QStringList& arguments) {
    main = std::make_unique<TFormMain>(settings, otherInstanceRunning);
    main->FormCreate(arguments);
    link = std::make_unique<TLinkForm>(main.get());
    if (settings) {
        const quorvel::LinkTexts texts = quorvel::ReadLinkTexts(*settings);
        link->FormCreate(texts.Address.value_or(std::string()),
                         texts.Subject.value_or(std::string()));
    }
    image = std::make_unique<TImageForm>(main.get());
    image->FormCreate(settings);
    main->AttachWindows([this]() -> TAboutForm& { return About(); }, link.get(),
                        [this]() -> TNewVerForm& { return Notice(); });
    closing = std::make_unique<TCloseWithBoxes>(*main);
    main->EditMenu()->SetImageForm(image.get());
    InstallCellShortcuts(*main, *main->EditMenu(),
                         [window = main.get()] { return window->FocusedCell(); });
    TListingChecker& checker = *main->Checker();
    TakeStoredCheckMarket(checker, settings);
    main->WhenPreviewMade([sheet = &main->Sheet(), &checker, settings](TFormPreview& preview) {
        preview.TextTab->Attach(sheet, settings);
        AttachCheckMarket(*preview.TabSheet4, checker);
    });
    main->AddSettingsSource([window = main.get(), picture = image.get()](auto& snapshot) {
        snapshot.Market = window->Checker()->Market();
        snapshot.TextMaxChars = window->Preview()->TextTab->MaxChars();
        if (!picture->AddressBase().empty()) snapshot.ImageAddressBase = picture->AddressBase();
    });
    typeForTests(*main);
}

TAboutForm& TQuorvelWindows::About() {
    if (!about) about = std::make_unique<TAboutForm>(main.get());
    return *about;
}

TNewVerForm& TQuorvelWindows::Notice() {
    if (!notice) notice = std::make_unique<TNewVerForm>(main.get());
    return *notice;
}

void TQuorvelWindows::Show() {
    main->show();
    main->OpenStartWork();
}
