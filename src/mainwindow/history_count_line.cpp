#include "mainwindow/history_count_line.h"

#include "stores/history_file.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "stores/number_text.h"

QString HistoryCountLine::text() {
    qint32 unread = 0;
    for (qint32 i = 1; i <= HistoryList.Count; ++i) {
        const qint16 state = HistoryList.state(i);
        if (state == kStateUnread || state == kStateUnreadWithAttachment)
            ++unread;
    }
    const QString blank = QStringLiteral(" ");
    return NumberText::format(HistoryList.Count) + blank + gFctGetMessage(Msg::MessagesCounted) +
           blank + NumberText::format(unread) + blank + gFctGetMessage(Msg::UnreadCounted);
}
