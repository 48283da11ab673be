#pragma once

class TFormMain;

namespace quorvel {
class KeyStore;
}

// Puts the live view at the right of `main` (hidden at first), its toggle after 一括作成 in the
// file toolbar and on F12, follows the focused cell and puts the caret where the page is
// clicked; its state is read from `settings` and written back when the window closes. Only in
// a build with the page engine.
void AttachLiveView(TFormMain& main, quorvel::KeyStore* settings);
