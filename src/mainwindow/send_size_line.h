// The size line under the send panel's message box: how many bytes the datagram of the message
// being written takes, against what receivers accept: hosts running Samba's nmbd read at most
// 576 bytes of a datagram, Windows drops a mailslot SMB message over 512 bytes. The size counts
// the three fields in bytes of the code page, for the longest resolved addressee.
#pragma once

#include <QString>
#include <QtGlobal>

struct SendSize {
    qsizetype datagramBytes = 0;  // the whole UDP payload
    qsizetype smbBytes = 0;       // its SMB message
    bool beyondSamba = false;
    bool beyondWindows = false;
};

namespace SendSizeLine {

// The size of the largest datagram a send of this panel content would write. The channel is the
// mailslot's (MailslotChannel::name()); an empty addressee list counts an empty addressee.
SendSize size(const QString& sender, const QString& addresseeList, qint16 kind,
              const QString& attachmentPath, const QString& text, const QString& channel);

// "Size in bytes: D/576 <106>, S/512 <107>", followed by which receivers will not get the
// message when a limit is passed.
QString text(const SendSize& size);

}  // namespace SendSizeLine
