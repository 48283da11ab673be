#pragma once

#include <QStringList>

#include <memory>

#include "dialogs/About.h"
#include "dialogs/Imageunit.h"
#include "dialogs/Linkunit.h"
#include "dialogs/Unitnewver.h"
#include "editor/CloseWithBoxes.h"
#include "editor/Mainunit.h"

namespace quorvel {
class KeyStore;
}

// The program's windows, created in their order: the main window (which runs its creation
// handler), the link dialog (which reads its last entries), the image dialog (which reads its last
// address folder). The about box and the update notice are made when first shown: their fonts
// and pictures are no part of the start-up.
struct TQuorvelWindows {
    TQuorvelWindows(quorvel::KeyStore* settings, bool otherInstanceRunning,
                    const QStringList& arguments);

    // Shows the main window, then what the start brings (a recovery offer over it or the
    // command-line file).
    void Show();

    TAboutForm& About();
    TNewVerForm& Notice();

    std::unique_ptr<TFormMain> main;
    std::unique_ptr<TAboutForm> about;
    std::unique_ptr<TLinkForm> link;
    std::unique_ptr<TImageForm> image;
    std::unique_ptr<TNewVerForm> notice;
    // Last, so it goes first: a desktop's close of the main window past a box left open.
    std::unique_ptr<TCloseWithBoxes> closing;
};
