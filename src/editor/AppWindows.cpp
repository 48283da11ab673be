#include "editor/AppWindows.h"

#include "store/Settings.h"

TQuorvelWindows::TQuorvelWindows(quorvel::KeyStore* settings, bool otherInstanceRunning,
                                 const QStringList& arguments) {
    main = std::make_unique<TFormMain>(settings, otherInstanceRunning);
    main->FormCreate(arguments);
    about = std::make_unique<TAboutForm>(main.get());
    link = std::make_unique<TLinkForm>(main.get());
    if (settings) {
        const quorvel::LinkTexts texts = quorvel::ReadLinkTexts(*settings);
        link->FormCreate(texts.Address.value_or(std::string()),
                         texts.Subject.value_or(std::string()));
    }
    notice = std::make_unique<TNewVerForm>(main.get());
    main->AttachWindows(about.get(), link.get(), notice.get());
}
