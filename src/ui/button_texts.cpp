#include "ui/button_texts.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include "stores/language_file.h"

QString ButtonText::text(QDialogButtonBox::StandardButton button) {
    int number = 0;
    switch (button) {
        case QDialogButtonBox::Cancel:
            number = ButtonText::Cancel;
            break;
        case QDialogButtonBox::Yes:
            number = ButtonText::Yes;
            break;
        case QDialogButtonBox::No:
            number = ButtonText::No;
            break;
        default:
            return {};
    }
    const QString* text = LanguageTable.message(number);
    return text != nullptr ? *text : QString();
}

void ButtonText::apply(QDialogButtonBox* buttons) {
    for (QAbstractButton* button : buttons->buttons()) {
        const QString text = ButtonText::text(buttons->standardButton(button));
        if (!text.isEmpty())
            button->setText(text);
    }
}

void ButtonText::apply(QMessageBox* box) {
    for (QAbstractButton* button : box->buttons()) {
        // The message box's standard buttons carry the same values as the button box's.
        const QString text = ButtonText::text(
            static_cast<QDialogButtonBox::StandardButton>(box->standardButton(button)));
        if (!text.isEmpty())
            button->setText(text);
    }
}

void ButtonText::apply(QProgressDialog* dialog) {
    const QString text = ButtonText::text(QDialogButtonBox::Cancel);
    if (!text.isEmpty())
        dialog->setCancelButtonText(text);
}
