#include "mainwindow/send_size_line.h"

#include <QStringList>
#include <algorithm>

#include "mainwindow/addressee_list.h"
#include "platform/ansi_codec.h"
#include "platform/netbios/nbds_datagram.h"
#include "platform/netbios/nmbd_unexpected_reader.h"
#include "stores/contacts.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "transport/message_codec.h"

namespace {

qsizetype ansiSize(const QString& text) {
    return pelimo::platform::unicodeToAnsi(text).size();
}

// The name the item's datagram carries: a contact's computer name, else the item itself. An empty
// item is not looked up (the lookup would complain about it).
QString resolvedAddressee(const QString& item) {
    if (item.isEmpty())
        return item;
    const qint16 index = gSearchContactWithUserName(item);
    return index != 0 ? ContactList[index].UserComputerName : item;
}

}  // namespace

SendSize SendSizeLine::size(const QString& sender, const QString& addresseeList, qint16 kind,
                            const QString& attachmentPath, const QString& text,
                            const QString& channel) {
    qsizetype longestAddressee = 0;
    for (const QString& item : Addressees::split(addresseeList))
        longestAddressee = std::max(longestAddressee, ansiSize(resolvedAddressee(item)));
    // sender NUL addressee NUL payload NUL
    const qsizetype data = ansiSize(sender) + 1 + longestAddressee + 1 +
                           ansiSize(MessageCodec::payload(kind, attachmentPath, text)) + 1;
    const QByteArray mailslotName =
        QByteArray(pelimo::platform::kMailslotPrefix) + pelimo::platform::unicodeToAnsi(channel);
    const auto size = pelimo::platform::mailslotDatagramSize(
        static_cast<std::size_t>(mailslotName.size()), static_cast<std::size_t>(data));
    SendSize result;
    result.datagramBytes = static_cast<qsizetype>(size.packet);
    result.smbBytes = static_cast<qsizetype>(size.smbMessage);
    result.beyondSamba = size.packet > pelimo::platform::nmbd::kMaxDatagramRead;
    result.beyondWindows = size.smbMessage > pelimo::platform::smb::kWindowsMaxMailslotMessage;
    return result;
}

QString SendSizeLine::text(const SendSize& size) {
    using namespace Msg;
    QString line = gFctGetMessage(SizeInBytes) +
                   QStringLiteral(" %1/%2 ")
                       .arg(size.datagramBytes)
                       .arg(pelimo::platform::nmbd::kMaxDatagramRead) +
                   gFctGetMessage(SizeForSamba) +
                   QStringLiteral(", %1/%2 ")
                       .arg(size.smbBytes)
                       .arg(pelimo::platform::smb::kWindowsMaxMailslotMessage) +
                   gFctGetMessage(SizeForWindows);
    if (size.beyondWindows) {
        line += QStringLiteral(" - ") + gFctGetMessage(SizeNeitherReceives);
    } else if (size.beyondSamba) {
        line += QStringLiteral(" - ") + gFctGetMessage(SizeSambaMisses);
    }
    return line;
}
