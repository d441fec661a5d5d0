// A page device addressed as the printer object of the layouts: a print position in twips from
// the top left corner of the printable area, a current font, text that ends the line or keeps
// the position after it, pictures, and a new page whenever the next line would pass the bottom
// of the printable area. The printable area keeps at least kMinimumMarginMm from every edge of the
// paper, and no text passes its right edge. Failures raise run-time error 482 with what failed.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <limits>
#include <optional>

class QPagedPaintDevice;

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kMinimumMarginMm = 10.0;

class PrintSurface {
public:
    // Starts painting on `device`; `deviceName` names it in failure texts.
    PrintSurface(QPagedPaintDevice& device, QString deviceName);
    ~PrintSurface();
    PrintSurface(const PrintSurface&) = delete;
    PrintSurface& operator=(const PrintSurface&) = delete;

    void setX(int twips);
    void setY(int twips);
    int x();  // in twips
    int y() const;

    void setFont(const QString& family, double pointSize);
    void setBold(bool bold);
    void setItalic(bool italic);

    // Prints `text` at the position. Each line break in it starts a new line at x = 0; with
    // `endLine` the last line is ended too, else the position stays after the text. A line too
    // long for the rest of the line is cut with "...".
    void print(const QString& text, bool endLine);
    // Prints one line of `text` cut with "..." where it would reach `rightTwips` (a column's
    // right side, never beyond the printable width); the position stays after it.
    void printInColumn(const QString& text, int rightTwips);
    // Prints `text` wrapped between the position's x and the right edge, breaking between words,
    // or inside a word longer than the width; its own line breaks start new lines too. Every line
    // starts at that x and the last one is ended.
    void printWrapped(const QString& text);
    // The width of the printable area in twips.
    int printableWidth() const;
    // Ends the current line: x = 0, y one line lower.
    void newLine();
    // Draws `picture` scaled to the given size with its top left corner at the position.
    void drawPicture(const QPixmap& picture, int widthTwips, int heightTwips);
    // Ends the document; the pages go to the device.
    void endDoc();

    int pageCount() const { return pages_; }

private:
    double toDeviceX(int twips) const;
    double toDeviceY(int twips) const;
    double lineHeight() const;
    void keepMargins();
    QString elided(const QString& text, double right) const;
    void fontChanged();
    void advancePastKeptText();
    // Prints one line at the position, cut with "..." where it would pass `right` (device units)
    // or the printable width.
    void printLine(const QString& line, double right = std::numeric_limits<double>::max());
    // The lines of `text` between its line breaks (CR LF, CR or LF).
    static QStringList linesOf(const QString& text);
    [[noreturn]] void fail(const QString& what) const;

    QPagedPaintDevice& device_;
    QString deviceName_;
    QPainter painter_;
    QFont font_;
    std::optional<QFontMetricsF> metrics_;
    QString keptText_;  // the last text printed on the line, not yet measured
    double x_ = 0;      // device units
    double y_ = 0;
    int pages_ = 1;
};
