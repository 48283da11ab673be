#include "editor/CheckMarketChoice.h"

#include "dialogs/PreviewCheckTab.h"
#include "followers/ListingChecker.h"
#include "store/Settings.h"
#include "ui/Guarded.h"

void TakeStoredCheckMarket(TListingChecker& checker, quorvel::KeyStore* settings) {
    if (settings) checker.SetMarket(quorvel::ReadCheckMarket(*settings));
}

void AttachCheckMarket(TPreviewCheckTab& tab, TListingChecker& checker) {
    tab.SetMarket(checker.Market());
    ui::connectGuarded(&tab, &TPreviewCheckTab::marketChosen, &tab,
                       [&checker](quorvel::CheckMarket market) {
                           if (market == checker.Market()) return;
                           checker.SetMarket(market);
                           checker.CheckNow();
                       });
}
