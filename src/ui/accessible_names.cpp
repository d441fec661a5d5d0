#include "ui/accessible_names.h"

#include <QLabel>
#include <QRegularExpression>
#include <QWidget>

#include "stores/language_file.h"
#include "stores/language_messages.h"

namespace {

// The controls named `name` in `window`: the control itself, or every member of a control array
// ("txtUserName_0", "txtUserName_1", ...).
QList<QWidget*> controlsNamed(QWidget* window, const char* name) {
    const QRegularExpression member(
        QStringLiteral("^%1(_\\d+)?$").arg(QRegularExpression::escape(QString::fromLatin1(name))));
    return window->findChildren<QWidget*>(member);
}

// The caption shown for the member of a control array whose suffix is `suffix`, else the one
// caption.
QString captionText(QWidget* window, const char* caption, const QString& suffix) {
    const QString name = QString::fromLatin1(caption);
    auto* label = window->findChild<QLabel*>(name + suffix);
    if (label == nullptr)
        label = window->findChild<QLabel*>(name);
    if (label == nullptr)
        return {};
    // The marker of a required field (" *") or a closing colon need not be read out.
    QString text = label->text().simplified();
    text.remove(QRegularExpression(QStringLiteral("\\s*[*:]$")));
    return text;
}

}  // namespace

const AccessibleCaptionTable& AccessibleNames::mainWindow() {
    static const AccessibleCaptionTable table = {
        {"lblMenuSendMessage2", "lblMenuSendMessage"},
        {"lblMenuReadMessage2", "lblMenuReadMessage"},
        {"lblMenuHistoric2", "lblMenuHistoric"},
        {"lblMenuAddressBook2", "lblMenuAddressBook"},
        {"txtSendUserList", "lblCmdSendSelectUser"},
        {"txtSendMessage", "lblLabSendTitle"},
        {"txtSendFiles", "lblLabSendFiles"},
        {"txtReceiveMessage", "lblLabReceiveTitle"},
        {"txtReceiveFiles", nullptr, Msg::Attach},
        {"MSFlexGrid1", "Label5"},
    };
    return table;
}

const AccessibleCaptionTable& AccessibleNames::favorite() {
    static const AccessibleCaptionTable table = {
        {"File1", "lblLabInfo1"},
        {"txtFavoris", "lblLabSendTitle"},
    };
    return table;
}

const AccessibleCaptionTable& AccessibleNames::addressBook() {
    static const AccessibleCaptionTable table = {
        {"txtUserName", "lblUserName"},
    };
    return table;
}

const AccessibleCaptionTable& AccessibleNames::setUp() {
    static const AccessibleCaptionTable table = {
        {"txtSign", "lblSign"},
        {"txtLanguage", nullptr, Msg::ChooseLanguage},
        {"Command1", nullptr, Msg::ChooseLanguage},
    };
    return table;
}

const AccessibleCaptionTable& AccessibleNames::errorReport() {
    static const AccessibleCaptionTable table = {
        {"txtError", "lblErrorTitle"},
    };
    return table;
}

void AccessibleNames::apply(QWidget* window, const AccessibleCaptionTable& table) {
    for (const AccessibleCaption& entry : table) {
        for (QWidget* control : controlsNamed(window, entry.control)) {
            const QString suffix = control->objectName().mid(qstrlen(entry.control));
            const QString name = entry.caption != nullptr
                                     ? captionText(window, entry.caption, suffix)
                                     : gFctGetMessage(entry.message);
            control->setAccessibleName(name);
        }
    }
}
