#include "mainwindow/addressee_list.h"

#include "errorreport/error_trap.h"
#include "stores/contacts.h"

namespace {

constexpr QChar kSeparator = u';';
const QString kItemEnd = QStringLiteral("; ");

}  // namespace

QStringList Addressees::split(const QString& list) {
    QString closed = list;
    if (!closed.trimmed().endsWith(kSeparator))
        closed += kSeparator;
    QStringList items;
    qsizetype start = 0;
    for (qsizetype p = 0; p < closed.size(); ++p) {
        if (closed.at(p) != kSeparator)
            continue;
        items.append(closed.mid(start, p - start).trimmed());
        start = p + 1;
    }
    return items;
}

void Addressees::resolve(const QString& list, qint32& count, QStringList& computerNames) {
    ErrorTrap trap(QStringLiteral("frmPelimo"),
                   QStringLiteral("mSendMessageGetMultiUserComputerName"));
    count = 0;
    computerNames.clear();
    QStringList items;
    trap.step([&] { items = Addressees::split(list); });
    for (const QString& item : items) {
        // A failure while resolving one item still leaves a slot for it: the others go on.
        ++count;
        computerNames.append(item);
        trap.step([&] {
            const qint16 index = gSearchContactWithUserName(item);
            if (index != 0)
                computerNames.last() = ContactList[index].UserComputerName;
        });
    }
}

QString Addressees::append(const QString& list, const QString& userName) {
    if (list.isEmpty())
        return userName + kItemEnd;
    QString extended = list;
    if (!extended.trimmed().endsWith(kSeparator))
        extended += kItemEnd;
    return extended + userName + kItemEnd;
}
