#include "ui/ErrorBox.h"

#include "ui/DialogSeam.h"

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar(u'.')) return message + u'.';
    return message;
}

void ShowErrorBox(QWidget* parent, const QString& message) {
    dialogs().message(parent, ErrorBoxText(message), QStringLiteral("Quorvel"),
                      QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok);
}
