#include "editor/CheckMarketChoice.h"

#include "dialogs/PreviewCheckTab.h"
#include "editor/ListingChecker.h"
#include "store/Settings.h"
#include "ui/Guarded.h"

void AttachCheckMarket(TPreviewCheckTab& tab, TListingChecker& checker,
                       quorvel::KeyStore* settings) {
    const quorvel::CheckMarket stored =
        settings ? quorvel::ReadCheckMarket(*settings) : quorvel::CheckMarket::Generic;
    tab.SetMarket(stored);
    if (stored != checker.Market()) {
        checker.SetMarket(stored);
        checker.CheckNow();
    }
    ui::connectGuarded(&tab, &TPreviewCheckTab::marketChosen, &tab,
                       [&checker](quorvel::CheckMarket market) {
                           if (market == checker.Market()) return;
                           checker.SetMarket(market);
                           checker.CheckNow();
                       });
}
