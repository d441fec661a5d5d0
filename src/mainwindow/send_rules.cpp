#include "mainwindow/send_rules.h"

#include "attachments/unc_name.h"
#include "platform/network_path.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"

int SendRules::refusal(const QString& messageText, const QString& addresseeList) {
    if (messageText.isEmpty())
        return Msg::EmptyMessage;
    if (messageText.size() > kMaxMessageLength)
        return Msg::MessageTooLong;
    if (addresseeList.isEmpty())
        return Msg::NoAddressee;
    return 0;
}

AttachmentConversion SendRules::convertAttachment(const QString& typedPath) {
    if (pelimo::platform::parseNetworkPath(typedPath))
        return {.path = typedPath, .warning = {}};
    const QString network = gFctGetUNCName(typedPath);
    if (!network.isEmpty() && network.compare(typedPath, Qt::CaseInsensitive) != 0)
        return {.path = network, .warning = {}};
    // Sent without its path, the message would announce a file nobody can fetch.
    QString warning = gFctGetMessage(Msg::AttachmentNotReachable) + u'\n' + typedPath;
    if (gShareAccessDenied)
        warning += u'\n' + QString::fromLatin1(kAccessDeniedWarning);
    return {.path = {}, .warning = warning};
}
