#pragma once

#include <QObject>
#include <QWidget>

#include <type_traits>
#include <utility>

#include "ui/ErrorBox.h"

namespace ui {

// Connects a control's signal to a handler that runs guarded: an error goes to the error box of
// the context's window once and never crosses Qt's event dispatch. Every handler wired to a
// control goes through here. The handler may take the signal's arguments or none.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, QWidget* context,
                                       Handler handler) {
    return QObject::connect(
        sender, signal, context, [context, handler = std::move(handler)](auto&&... args) {
            RunGuarded(context->window(), [&] {
                if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>)
                    handler(std::forward<decltype(args)>(args)...);
                else
                    handler();
            });
        });
}

}  // namespace ui
