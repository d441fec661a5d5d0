#include "mainwindow/print_surface.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <cmath>

#include "errorreport/runtime_error.h"

PrintSurface::PrintSurface(QPagedPaintDevice& device, QString deviceName)
    : device_(device), deviceName_(std::move(deviceName)), font_(QStringLiteral("Arial")) {
    font_.setPointSizeF(10);
    if (!painter_.begin(&device_))
        fail(QStringLiteral("printing could not start"));
    painter_.setPen(Qt::black);
    fontChanged();
}

PrintSurface::~PrintSurface() {
    if (painter_.isActive())
        painter_.end();
}

double PrintSurface::toDeviceX(int twips) const {
    return twips * device_.logicalDpiX() / kTwipsPerInch;
}

double PrintSurface::toDeviceY(int twips) const {
    return twips * device_.logicalDpiY() / kTwipsPerInch;
}

void PrintSurface::setX(int twips) {
    keptText_.clear();
    x_ = toDeviceX(twips);
}

void PrintSurface::setY(int twips) {
    y_ = toDeviceY(twips);
}

int PrintSurface::x() {
    advancePastKeptText();
    return static_cast<int>(std::lround(x_ * kTwipsPerInch / device_.logicalDpiX()));
}

int PrintSurface::y() const {
    return static_cast<int>(std::lround(y_ * kTwipsPerInch / device_.logicalDpiY()));
}

void PrintSurface::setFont(const QString& family, double pointSize) {
    font_.setFamily(family);
    font_.setPointSizeF(pointSize);
    fontChanged();
}

void PrintSurface::setBold(bool bold) {
    font_.setBold(bold);
    fontChanged();
}

void PrintSurface::setItalic(bool italic) {
    font_.setItalic(italic);
    fontChanged();
}

void PrintSurface::fontChanged() {
    // The advance of a kept text is measured in the font it was printed with.
    advancePastKeptText();
    painter_.setFont(font_);
    metrics_.emplace(font_, &device_);
}

void PrintSurface::advancePastKeptText() {
    if (keptText_.isEmpty())
        return;
    x_ += metrics_->horizontalAdvance(keptText_);
    keptText_.clear();
}

double PrintSurface::lineHeight() const {
    return metrics_->lineSpacing();
}

void PrintSurface::printLine(const QString& line) {
    advancePastKeptText();
    if (line.isEmpty())
        return;
    const double height = lineHeight();
    // A line that would pass the bottom of the printable area goes to a new page.
    if (y_ > 0 && y_ + height > device_.height()) {
        if (!device_.newPage())
            fail(QStringLiteral("page %1 could not be started").arg(pages_ + 1));
        ++pages_;
        y_ = 0;
    }
    painter_.drawText(QPointF(x_, y_ + metrics_->ascent()), line);
    // Measured only when the next text follows it on the line, not after a new x.
    keptText_ = line;
}

void PrintSurface::newLine() {
    keptText_.clear();
    x_ = 0;
    y_ += lineHeight();
}

void PrintSurface::print(const QString& text, bool endLine) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        printLine(text.mid(start, i - start));
        newLine();
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    printLine(text.mid(start));
    if (endLine)
        newLine();
}

void PrintSurface::drawPicture(const QPixmap& picture, int widthTwips, int heightTwips) {
    if (picture.isNull())
        return;
    painter_.drawPixmap(QRectF(x_, y_, toDeviceX(widthTwips), toDeviceY(heightTwips)), picture,
                        QRectF(picture.rect()));
}

void PrintSurface::endDoc() {
    if (!painter_.end())
        fail(QStringLiteral("the document could not be finished"));
}

void PrintSurface::fail(const QString& what) const {
    gRaiseError(RunTimeErrorNumber::PrinterError,
                QStringLiteral("Printer error: %1 on \"%2\".").arg(what, deviceName_));
}
