// Texts the main window takes from datagrams, the history and the send panel: any bytes, read as
// Windows-1252, go through the display cleaners, the arrival date line and the addressee list
// splitting, whose promises are checked.
#include <cstdint>
#include <cstdlib>

#include "mainwindow/addressee_list.h"
#include "mainwindow/display_text.h"
#include "mainwindow/message_dates.h"
#include "platform/ansi_codec.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool isControl(QChar c) {
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = pelimo::platform::ansiToUnicode(bytes);

    const QString line = DisplayText::singleLine(text);
    check(line.size() == text.size());
    for (const QChar c : line)
        check(!isControl(c));

    const QString box = DisplayText::multiLine(text);
    check(box.size() <= text.size());
    for (const QChar c : box)
        check(c == u'\n' || c == u'\t' || !isControl(c));

    const qsizetype cut = text.indexOf(u' ');
    const QString dateLine =
        MessageDates::arrivalDateLine(text.left(cut < 0 ? text.size() : cut), text.mid(cut + 1));
    check(dateLine.endsWith(text.mid(cut + 1)));

    const QStringList items = Addressees::split(text);
    check(!items.isEmpty());
    check(items.size() <= text.count(u';') + 1);
    for (const QString& item : items) {
        check(!item.contains(u';'));
        check(item == item.trimmed());
    }
    const QStringList extended =
        Addressees::split(Addressees::append(text, QStringLiteral("NAME")));
    check(extended.last() == QStringLiteral("NAME"));
    return 0;
}
