// Where the main window's controls lie, in twips of its design: the panel bar on the left, the
// three panels that take turns on the right, the information line along the foot.
#pragma once

#include "ui/twips.h"

namespace MainWindowLayout {

inline constexpr int kClientWidth = 8820;
inline constexpr int kClientHeight = 5505;
// Between a text and the edge of the strip or box it is written in.
inline constexpr int kTextPadding = 45;

// The information line: the history count, then the date and time up to the right edge.
inline constexpr int kInfoLineTop = 5235;
inline constexpr int kInfoLineHeight = 270;
inline constexpr int kDateLeft = 5640;
inline constexpr Twips::Rect kHistoryCount{0, kInfoLineTop, kDateLeft, kInfoLineHeight};
inline constexpr Twips::Rect kDate{kDateLeft, kInfoLineTop, kClientWidth - kDateLeft,
                                   kInfoLineHeight};
// The letterhead picture printed at the head of a page (never shown).
inline constexpr Twips::Rect kLetterhead{360, 4560, 5595, 600};

namespace PanelBar {

inline constexpr Twips::Rect kBackground{0, 0, 2970, kInfoLineTop};
inline constexpr Twips::Rect kTagline{150, 4830, 2700, 300};

// An entry of the bar: its picture, and its text to the right of it.
struct Entry {
    Twips::Rect icon;
    Twips::Rect text;
};
inline constexpr int kIconWidth = 885;
inline constexpr int kIconHeight = 690;
inline constexpr int kTextLeft = 1095;
inline constexpr int kTextWidth = 1875;
inline constexpr int kTextHeight = 255;
inline constexpr Entry kSendMessage{{210, 570, kIconWidth, kIconHeight},
                                    {kTextLeft, 795, kTextWidth, kTextHeight}};
inline constexpr Entry kReadMessage{{225, 1710, kIconWidth, kIconHeight},
                                    {kTextLeft, 1965, kTextWidth, kTextHeight}};
inline constexpr Entry kHistory{{225, 2865, kIconWidth, kIconHeight},
                                {kTextLeft, 3105, kTextWidth, kTextHeight}};
inline constexpr Entry kAddressBook{{225, 4005, kIconWidth, kIconHeight},
                                    {kTextLeft, 4215, kTextWidth, kTextHeight}};

}  // namespace PanelBar

// What the three panels share: their place right of the bar, the title strip at their top and
// the dark band of commands under it.
namespace Panel {

inline constexpr int kLeft = 2970;
inline constexpr int kTop = 75;
inline constexpr int kWidth = 5790;
inline constexpr int kHeight = 5085;
inline constexpr Twips::Rect kBand{0, 390, kWidth, 675};
inline constexpr int kCommandTop = 450;

}  // namespace Panel

namespace SendPanel {

inline constexpr Twips::Rect kSend{75, Panel::kCommandTop, 780, 570};
inline constexpr Twips::Rect kFavorites{1740, Panel::kCommandTop, 855, 570};
inline constexpr Twips::Rect kAttach{2625, Panel::kCommandTop, 855, 570};
inline constexpr Twips::Rect kPrint{3510, Panel::kCommandTop, 855, 570};
inline constexpr Twips::Rect kClear{4890, Panel::kCommandTop, 855, 570};
inline constexpr Twips::Rect kSelectAddressee{315, 1110, 1080, 495};
inline constexpr Twips::Rect kAddressees{1650, 1080, 4140, 555};
// The attachment row lies under the lower part of the message box.
inline constexpr Twips::Rect kAttachmentCaption{60, 4770, 1815, 255};
inline constexpr Twips::Rect kAttachment{1875, 4770, 3825, 270};
inline constexpr Twips::Rect kMessage{30, 1635, 5760, 3450};
// The message box's heights: it covers the attachment row while there is no attachment, and is
// a little shorter after a reply was started.
inline constexpr int kMessageHeight = 3420;
inline constexpr int kMessageHeightForReply = 3405;
inline constexpr int kMessageHeightWithAttachment = 3075;
// The size line at the foot of the message box: room for two lines of the small font, the
// warning beyond a limit wrapping onto the second.
inline constexpr int kSizeLineHeight = 390;

}  // namespace SendPanel

namespace ReadPanel {

inline constexpr int kHeight = 5160;
inline constexpr Twips::Rect kReply{90, Panel::kCommandTop, 915, 585};
inline constexpr Twips::Rect kPrint{1200, Panel::kCommandTop, 780, 570};
inline constexpr Twips::Rect kSaveAttachment{2190, Panel::kCommandTop, 810, 570};
inline constexpr Twips::Rect kPhoto{4830, 15, 960, 960};
// Three lines between the command band and the message box, none over the next.
inline constexpr Twips::Rect kSender{105, 1050, 5640, 210};
inline constexpr Twips::Rect kAddressees{105, 1260, 5640, 210};
inline constexpr Twips::Rect kDate{75, 1470, 5640, 225};
inline constexpr Twips::Rect kAttachmentCaption{75, 4770, 1815, 255};
inline constexpr Twips::Rect kAttachment{1890, 4770, 3825, 270};
inline constexpr Twips::Rect kMessage{45, 1695, 5700, 3405};
// The message box's heights without and with the attachment row under it.
inline constexpr int kMessageHeight = 3405;
inline constexpr int kMessageHeightWithAttachment = 3090;

}  // namespace ReadPanel

namespace HistoryPanel {

inline constexpr Twips::Rect kRead{150, Panel::kCommandTop, 675, 585};
inline constexpr Twips::Rect kSort{840, Panel::kCommandTop, 645, 585};
inline constexpr Twips::Rect kPrint{1515, Panel::kCommandTop, 825, 585};
inline constexpr Twips::Rect kClear{4890, Panel::kCommandTop, 825, 570};
inline constexpr Twips::Rect kGrid{120, 1080, 5655, 3975};
// Column widths in the order of the grid's columns.
inline constexpr int kColumnWidths[] = {380, 900, 2500, 900, 1900, 800};
inline constexpr int kRowHeight = 240;

}  // namespace HistoryPanel

}  // namespace MainWindowLayout
