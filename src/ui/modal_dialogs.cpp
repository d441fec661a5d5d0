#include "ui/modal_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

#include "ui/button_texts.h"
#include "ui/window_keys.h"

namespace DialogSeam {
namespace {

QMessageBox::StandardButtons standardButtons(MsgBoxButtons buttons) {
    switch (buttons) {
        case MsgBoxButtons::Ok:
            return QMessageBox::Ok;
        case MsgBoxButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgBoxButtons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case MsgBoxButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MsgBoxButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MsgBoxButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon standardIcon(MsgBoxIcon icon) {
    switch (icon) {
        case MsgBoxIcon::None:
            return QMessageBox::NoIcon;
        case MsgBoxIcon::Critical:
            return QMessageBox::Critical;
        case MsgBoxIcon::Question:
            return QMessageBox::Question;
        case MsgBoxIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgBoxIcon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

MsgBoxResult resultOf(int button, MsgBoxButtons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return MsgBoxResult::Ok;
        case QMessageBox::Cancel:
            return MsgBoxResult::Cancel;
        case QMessageBox::Abort:
            return MsgBoxResult::Abort;
        case QMessageBox::Retry:
            return MsgBoxResult::Retry;
        case QMessageBox::Ignore:
            return MsgBoxResult::Ignore;
        case QMessageBox::Yes:
            return MsgBoxResult::Yes;
        case QMessageBox::No:
            return MsgBoxResult::No;
        default:  // closed with the title bar: the cancelling button where there is one
            return buttons == MsgBoxButtons::Ok ? MsgBoxResult::Ok : MsgBoxResult::Cancel;
    }
}

// "Description|pattern|Description|pattern" as the file dialogs take it: "Description (pattern)"
// entries joined by ";;". "*.*" means every file, also those without a dot.
QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(u';', u' ');
        if (pattern.trimmed() == u"*.*")
            pattern = QStringLiteral("*");
        entries.append(parts[i] + QStringLiteral(" (") + pattern + u')');
    }
    return entries.isEmpty() ? filter : entries.join(QStringLiteral(";;"));
}

class WidgetBackend final : public DialogBackend {
public:
    MsgBoxResult messageBox(const DialogRecord& request) override {
        QMessageBox box(standardIcon(request.icon), request.title, request.text,
                        standardButtons(request.buttons), QApplication::activeWindow());
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        ButtonText::apply(&box);
        return resultOf(box.exec(), request.buttons);
    }
    QString openFileName(const DialogRecord& request) override {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), request.title,
                                            request.directory, qtFilter(request.filter));
    }
    QString saveFileName(const DialogRecord& request) override {
        // The callers ask their own question about an existing file, or replace it silently.
        return QFileDialog::getSaveFileName(QApplication::activeWindow(), request.title,
                                            request.directory, qtFilter(request.filter), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }
    void showReport(const DialogRecord& request) override {
        QDialog dialog(QApplication::activeWindow());
        dialog.setObjectName(request.window);
        dialog.setWindowTitle(request.title);
        auto* text = new QPlainTextEdit(request.text, &dialog);
        text->setReadOnly(true);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(text);
        dialog.exec();
    }
    bool credentials(const DialogRecord& request, QString& user, QString& password) override {
        QDialog dialog(QApplication::activeWindow());
        dialog.setObjectName(QStringLiteral("CredentialsDialog"));
        dialog.setWindowTitle(request.title);
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
        auto* layout = new QFormLayout(&dialog);
        layout->addRow(new QLabel(request.text, &dialog));
        auto* userBox = new QLineEdit(user, &dialog);
        auto* passwordBox = new QLineEdit(&dialog);
        passwordBox->setEchoMode(QLineEdit::Password);
        layout->addRow(request.fields.value(0), userBox);
        layout->addRow(request.fields.value(1), passwordBox);
        auto* buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        ButtonText::apply(buttons);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addRow(buttons);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        user = userBox->text();
        password = passwordBox->text();
        return true;
    }
};

}  // namespace

int execModal(QDialog* window) {
    WindowKeys::install(window);
    if (!isScripted())
        return window->exec();
    record(DialogRecord{.kind = DialogKind::ModalWindow,
                        .title = window->windowTitle(),
                        .window = window->objectName()});
    const auto answer = takeAnswer();
    if (!answer || !answer->act)
        return QDialog::Rejected;
    window->show();
    const int result = answer->act(window);
    window->close();
    return result;
}

bool execPrintDialog(QPrinter* printer, QWidget* parent) {
    if (isScripted()) {
        record(DialogRecord{.kind = DialogKind::Print, .title = QStringLiteral("Print")});
        const auto answer = takeAnswer();
        return answer && answer->accepted;
    }
    QPrintDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void installWidgetBackend() {
    setBackend(std::make_unique<WidgetBackend>());
}

}  // namespace DialogSeam
