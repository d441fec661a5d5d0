// A page device addressed as the printer object of the layouts: a print position in twips from
// the top left corner of the printable area, a current font, text that ends the line or keeps
// the position after it, pictures, and a new page whenever the next line would pass the bottom
// of the printable area. Failures raise run-time error 482 with what failed.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <optional>

class QPagedPaintDevice;

inline constexpr double kTwipsPerInch = 1440.0;

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
    // `endLine` the last line is ended too, else the position stays after the text.
    void print(const QString& text, bool endLine);
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
    void fontChanged();
    void advancePastKeptText();
    void printLine(const QString& line);
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
