#pragma once

#include <QToolBar>
#include <QToolButton>

#include <initializer_list>

#include "ui/Controls.h"
#include "ui/Guarded.h"

namespace ui {

// One row of a toolbar's table. A row without a name is a separator. The button lands in
// `member` of the owner; its click runs `command` (or `senderCommand` with the button), guarded.
template <typename Owner>
struct ToolButtonEntry {
    const char* name = nullptr;
    const char* hint = nullptr;  // "short|long"
    const char* glyph = nullptr;
    bool toggle = false;
    QToolButton* Owner::*member = nullptr;
    void (Owner::*command)() = nullptr;
    void (Owner::*senderCommand)(QObject* sender) = nullptr;
    int width = 23;
};

// Adds one row of a table to `bar`.
template <typename Owner>
QToolButton* addToolButton(QToolBar* bar, Owner& owner, QWidget* context,
                           const ToolButtonEntry<Owner>& entry) {
    if (!entry.name) {
        bar->addSeparator();
        return nullptr;
    }
    QToolButton* button =
        makeSpeedButton(bar, QString::fromUtf8(entry.name), QString::fromUtf8(entry.hint),
                        QString::fromUtf8(entry.glyph), entry.toggle, entry.width, 22);
    bar->addWidget(button);
    if (entry.member) owner.*entry.member = button;
    if (const auto command = entry.command)
        connectGuarded(button, &QToolButton::clicked, context,
                       [&owner, command] { (owner.*command)(); });
    if (const auto command = entry.senderCommand)
        connectGuarded(button, &QToolButton::clicked, context,
                       [&owner, command, button] { (owner.*command)(button); });
    return button;
}

}  // namespace ui
