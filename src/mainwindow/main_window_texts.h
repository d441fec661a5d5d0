// The numbers of the language messages the main window shows.
#pragma once

namespace MainWindowText {

inline constexpr int ReceivedFrom = 1;  // "From" before the sender
inline constexpr int Reply = 2;         // reply button
inline constexpr int AddressedTo = 3;   // "Send to" before the addressee
inline constexpr int SendTo = 3;        // addressee chooser; addressee caption
inline constexpr int SendNow = 4;
inline constexpr int Favorites = 5;
inline constexpr int Attach = 6;  // attach button and attachment caption
inline constexpr int Print = 7;
inline constexpr int Clear = 8;  // clear / delete buttons
inline constexpr int Quit = 13;
inline constexpr int SaveAttachment = 17;
inline constexpr int HistoryRead = 24;
inline constexpr int HistorySort = 25;
inline constexpr int Preferences = 26;
inline constexpr int Help = 28;
inline constexpr int SendPanel = 46;
inline constexpr int ReadPanel = 47;
inline constexpr int HistoryPanel = 48;
inline constexpr int AddressBook = 49;
inline constexpr int About = 50;
inline constexpr int MessagesCounted = 54;  // after the total of the count line
inline constexpr int UnreadCounted = 55;    // after the unread count
inline constexpr int BoxTitle = 56;         // title of most message boxes
inline constexpr int EmptyMessage = 57;
inline constexpr int NoAddressee = 58;
inline constexpr int MessageTooLong = 59;
inline constexpr int NoComputerName = 81;
inline constexpr int ConfirmClear = 86;
inline constexpr int ConfirmQuit = 87;
inline constexpr int NoContactPicked = 88;
inline constexpr int SortBySender = 92;
inline constexpr int SortByDate = 93;
inline constexpr int FlashTitle = 96;
inline constexpr int MessageSent = 98;
inline constexpr int OpenWindow = 99;
inline constexpr int DeleteOne = 100;
inline constexpr int DeleteAll = 101;
inline constexpr int AnotherCopyRunning = 102;  // a second copy on the same folder
// The size line of the send panel.
inline constexpr int SizeInBytes = 105;
inline constexpr int SizeForSamba = 106;
inline constexpr int SizeForWindows = 107;
inline constexpr int SizeSambaMisses = 108;
inline constexpr int SizeNeitherReceives = 109;
inline constexpr int DatagramsLost = 132;  // after the count of messages lost on arrival
inline constexpr int Tagline = 220;        // under the panel bar

}  // namespace MainWindowText
