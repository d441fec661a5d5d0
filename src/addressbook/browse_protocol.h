// The SMB browse lists are read by a helper process of their own (pelimo-browse), so that the
// SMB1 setting browsing needs, and whatever a browse server makes libsmbclient do, stay out of
// the window process. This is the line protocol between the two and the rules for the names put
// into the helper's smb:// URLs.
//
// Window -> helper, on its standard input: one smb:// URL per line.
// Helper -> window, on its standard output, for each URL in order: one line per entry
//   "E" TAB type TAB name TAB comment   (name and comment percent-encoded)
// then "." when the listing ended, or "!" TAB reason (percent-encoded) when it could not be
// opened. Every line ends with LF and is at most kMaxBrowseLine bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

inline constexpr qsizetype kMaxBrowseLine = 4096;
// Entries of one listing taken from the helper; the walk's own caps bound the rest.
inline constexpr int kMaxBrowseEntries = 1024;
// The longest name a NetBIOS name service knows.
inline constexpr qsizetype kMaxNetbiosName = 15;

struct SmbEntry {
    unsigned int type = 0;  // SMBC_WORKGROUP, SMBC_SERVER, SMBC_FILE_SHARE...
    QString name;
    QString comment;
};

namespace BrowseProtocol {

// Whether a workgroup or server name from a browse list may be browsed: 1 to 15 characters,
// none that a URL or a path gives a meaning to (\ / : @ * ? " < > | % and control characters),
// and not made only of digits and dots (an address, never taken from the network).
bool isBrowsableNetworkName(const QString& name);

// "smb://" for the root of the network (empty name), else "smb://" + the name percent-encoded;
// empty when the name may not be browsed.
QString smbUrl(const QString& name);

QByteArray entryLine(const SmbEntry& entry);
QByteArray endLine();
QByteArray errorLine(const QString& reason);

}  // namespace BrowseProtocol

// Reads the helper's answer to one URL from the bytes as they arrive.
class BrowseReplyReader {
public:
    enum class State { Reading, Ended, Failed, Broken };

    // Takes the bytes read; returns the state after them. Bytes after the answer's last line are
    // left unread (the helper answers one URL at a time).
    State feed(QByteArrayView bytes);

    State state() const { return state_; }
    const std::vector<SmbEntry>& entries() const { return entries_; }
    // Failed: the helper's reason; Broken: what was wrong with its output.
    const QString& reason() const { return reason_; }

private:
    void takeLine(QByteArrayView line);
    void breakWith(const char* what);

    State state_ = State::Reading;
    QByteArray pending_;
    std::vector<SmbEntry> entries_;
    QString reason_;
};
