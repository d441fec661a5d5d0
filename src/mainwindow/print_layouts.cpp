#include "mainwindow/print_layouts.h"

#include <QDate>
#include <QTime>

#include "errorreport/error_trap.h"
#include "mainwindow/display_text.h"
#include "mainwindow/print_surface.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"

namespace {

const QString kArial = QStringLiteral("Arial");
constexpr int kMessageValueX = 1500;
constexpr int kTitleX = 150;
constexpr int kAddresseeColumnX = 1500;
constexpr int kDateColumnX = 3000;
constexpr int kTextColumnX = 5000;
// Between a cut column and the next one.
constexpr int kColumnGap = 90;

QString label(int number) {
    return DisplayText::singleLine(gFctGetMessage(number)) + u':';
}

void pageHead(PrintSurface& printer, const Letterhead& letterhead) {
    printer.setX(0);
    printer.setY(0);
    printer.drawPicture(letterhead.picture, letterhead.twips.width(), letterhead.twips.height());
    printer.setY(printer.y() + letterhead.twips.height());
}

void emptyLines(PrintSurface& printer, int lines) {
    for (int i = 0; i < lines; ++i)
        printer.newLine();
}

// Prints `text` in the column from `x` to `nextX`, cut with "..." when it is wider; the position
// stays after it.
void cell(PrintSurface& printer, int x, int nextX, const QString& text) {
    printer.setX(x);
    printer.printInColumn(text, nextX - kColumnGap);
}

}  // namespace

QString mFctTruncateStringAtFirstLineFeed(const QString& text) {
    QString result;
    ErrorTrap trap(QStringLiteral("ModGlobal"),
                   QStringLiteral("mFctTruncateStringAtFirstLineFeed"));
    trap.step([&] {
        const qsizetype end = text.indexOf(QStringLiteral("\r\n"));
        result = end < 0 ? text : text.left(end);
    });
    return result;
}

QString PrintLayouts::printedDate(const QString& storedDate) {
    const QDate date = QDate::fromString(storedDate, QStringLiteral("d/M/yyyy"));
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : storedDate;
}

QString PrintLayouts::printedTime(const QString& storedTime) {
    QTime time = QTime::fromString(storedTime, QStringLiteral("h:m:s"));
    if (!time.isValid())
        time = QTime::fromString(storedTime, QStringLiteral("h:m"));
    return time.isValid() ? time.toString(QStringLiteral("hh:mm")) : storedTime;
}

void gFctMessagePrint(PrintSurface& printer, const Letterhead& letterhead,
                      const DecodedMessageData& message) {
    pageHead(printer, letterhead);
    emptyLines(printer, 2);
    printer.setFont(kArial, 10);
    const std::pair<int, QString> lines[] = {
        {Msg::Sender, message.Sender},
        {Msg::Addressee, message.Addressee},
        {Msg::Date, PrintLayouts::printedDate(message.ReceivedDate) + QStringLiteral(" - ") +
                        PrintLayouts::printedTime(message.ReceivedTime)},
    };
    for (const auto& [number, value] : lines) {
        printer.setX(0);
        printer.setBold(true);
        printer.print(label(number), false);
        printer.setBold(false);
        // A label longer than its column (in some languages) pushes its value to the right.
        const int labelEnd = printer.x();
        printer.setX(labelEnd + kColumnGap > kMessageValueX ? labelEnd + kColumnGap
                                                            : kMessageValueX);
        printer.printWrapped(DisplayText::singleLine(value));
    }
    emptyLines(printer, 1);
    printer.setX(0);
    printer.setBold(true);
    printer.print(label(Msg::MessageText), true);
    emptyLines(printer, 1);
    printer.setBold(false);
    printer.setX(0);
    printer.printWrapped(DisplayText::multiLine(message.Text));
    emptyLines(printer, 1);
    printer.endDoc();
}

void gFctHistoriquePrint(PrintSurface& printer, const Letterhead& letterhead,
                         const HistoryListData& history) {
    pageHead(printer, letterhead);
    printer.setFont(kArial, 12);
    emptyLines(printer, 1);
    printer.setX(kTitleX);
    printer.setItalic(true);
    printer.print(DisplayText::singleLine(gFctGetMessage(Msg::HistoryPanel)), true);
    printer.setItalic(false);
    printer.setFont(kArial, 9);
    emptyLines(printer, 2);

    printer.setBold(true);
    cell(printer, 0, kAddresseeColumnX, label(Msg::Sender));
    cell(printer, kAddresseeColumnX, kDateColumnX, label(Msg::Addressee));
    cell(printer, kDateColumnX, kTextColumnX, label(Msg::Date));
    printer.setX(kTextColumnX);
    printer.print(label(Msg::MessageText), true);
    emptyLines(printer, 1);
    printer.setBold(false);

    for (qint32 i = 1; i <= history.Count; ++i) {
        const HistoryEntry& entry = history[i];
        cell(printer, 0, kAddresseeColumnX, DisplayText::singleLine(entry.Sender));
        cell(printer, kAddresseeColumnX, kDateColumnX, DisplayText::singleLine(entry.Addressee));
        cell(printer, kDateColumnX, kTextColumnX,
             DisplayText::singleLine(PrintLayouts::printedDate(entry.ReceivedDate) + u' ' +
                                     PrintLayouts::printedTime(entry.ReceivedTime)));
        printer.setX(kTextColumnX);
        // Only the first line, wrapped in its column; a lone line break left in it is shown as a
        // blank.
        printer.printWrapped(
            DisplayText::singleLine(mFctTruncateStringAtFirstLineFeed(entry.Text)));
    }
    emptyLines(printer, 1);
    printer.endDoc();
}
