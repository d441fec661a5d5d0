// What the send panel checks before a message goes out, and how the attached file's path is
// turned into the network path the addressee can read.
#pragma once

#include <QString>

// The longest message text, counted as the text box counts it (a line break is two characters).
inline constexpr int kMaxMessageLength = 424;

inline constexpr char kAccessDeniedWarning[] = "[Access Denied: Need Admin Priviledges]";
inline constexpr char kNotSharedWarning[] = "[Selected file not on shared device.]";

// The language message that refuses the send, checked in this order: an empty text (57), a text
// longer than 424 characters (59), an empty addressee list (58); 0 when the send may go on.
int gFctSendRefusal(const QString& messageText, const QString& addresseeList);

struct AttachmentConversion {
    QString path;     // the network path to send; empty when the file is on no shared device
    QString warning;  // one of the two bracketed warnings, or empty
};

// Converts the typed local path of the attached file. The result equal to the typed path
// (without regard to case) means the file is on no shared device: the warning says whether the
// shares could not be read for lack of rights, and no path is sent.
AttachmentConversion gConvertAttachment(const QString& typedPath);
