// The two printed layouts: one message, and the list of every history entry. Both start with the
// letterhead picture at the top left corner of the page and use Arial; labels are language texts.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

#include "stores/decoded_message.h"
#include "stores/history_file.h"

class PrintSurface;

// The letterhead and its size in twips.
struct Letterhead {
    QPixmap picture;
    QSize twips;
};

// The text up to its first CR LF pair; a lone CR or LF does not end it.
QString mFctTruncateStringAtFirstLineFeed(const QString& text);

namespace PrintLayouts {

// A stored "dd/mm/yyyy" date as "DD/MM/YYYY" and a stored "hh:mm:ss" time as "HH:MM"; a value
// in another form is printed as stored.
QString printedDate(const QString& storedDate);
QString printedTime(const QString& storedTime);

}  // namespace PrintLayouts

// Prints `message`: sender, addressee, date lines, then its text line by line, each wrapped at the
// right margin; ends the document.
void gFctMessagePrint(PrintSurface& printer, const Letterhead& letterhead,
                      const DecodedMessageData& message);

// Prints the title, the column heads and one line per entry of `history`, on as many pages as it
// needs; a value wider than its column is cut with "...", the first line of the text wraps in the
// last column. Ends the document.
void gFctHistoriquePrint(PrintSurface& printer, const Letterhead& letterhead,
                         const HistoryListData& history);
