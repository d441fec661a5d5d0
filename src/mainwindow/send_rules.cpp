#include "mainwindow/send_rules.h"

#include "attachments/unc_name.h"
#include "mainwindow/main_window_texts.h"

int gFctSendRefusal(const QString& messageText, const QString& addresseeList) {
    if (messageText.isEmpty())
        return MainWindowText::EmptyMessage;
    if (messageText.size() > kMaxMessageLength)
        return MainWindowText::MessageTooLong;
    if (addresseeList.isEmpty())
        return MainWindowText::NoAddressee;
    return 0;
}

AttachmentConversion gConvertAttachment(const QString& typedPath) {
    QString localPath = typedPath;
    const QString network = gFctGetUNCName(localPath);
    if (network.compare(typedPath, Qt::CaseInsensitive) == 0) {
        return {.path = {},
                .warning = QString::fromLatin1(gShareAccessDenied ? kAccessDeniedWarning
                                                                  : kNotSharedWarning)};
    }
    return {.path = network, .warning = {}};
}
