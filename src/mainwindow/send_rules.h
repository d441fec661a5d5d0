// What the send panel checks before a message goes out, and how the attached file's path is
// turned into the network path the addressee can read.
#pragma once

#include "stores/language_messages.h"

#include <QString>

// The longest message text, counted as the text box counts it (a line break is two characters).
inline constexpr int kMaxMessageLength = 424;

inline constexpr char kAccessDeniedWarning[] = "[Access Denied: Need Admin Priviledges]";
inline constexpr char kNotSharedWarning[] = "[Selected file not on shared device.]";

namespace SendRules {

// The language message that refuses the send, checked in this order: an empty text (57), a text
// longer than 424 characters (59), an empty addressee list (58); 0 when the send may go on.
int refusal(const QString& messageText, const QString& addresseeList);

}  // namespace SendRules

struct AttachmentConversion {
    QString path;     // the network path to send; empty when the message must not go
    QString warning;  // why not, naming the file; empty when `path` is set
};

namespace SendRules {

// Converts the typed path of the attached file. A path typed as "\\server\share\..." goes as it
// is. A local path goes as its network path; when it has none (no share or SMB mount holds it)
// or the typed path is no usable path at all, the warning names the file and says that it must
// lie in a shared folder or on a network drive (and that rights were missing, when the shares
// could not all be read).
AttachmentConversion convertAttachment(const QString& typedPath);

}  // namespace SendRules
