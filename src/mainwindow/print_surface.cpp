#include "mainwindow/print_surface.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "errorreport/runtime_error.h"

PrintSurface::PrintSurface(QPagedPaintDevice& device, QString deviceName)
    : device_(device), deviceName_(std::move(deviceName)), font_(QStringLiteral("Arial")) {
    font_.setPointSizeF(10);
    keepMargins();
    if (!painter_.begin(&device_))
        fail(QStringLiteral("printing could not start"));
    painter_.setPen(Qt::black);
    fontChanged();
}

PrintSurface::~PrintSurface() {
    if (painter_.isActive())
        painter_.end();
}

// Paper margins narrower than the minimum (a printer's hardware margins often are) are widened.
void PrintSurface::keepMargins() {
    const QMarginsF margins = device_.pageLayout().margins(QPageLayout::Millimeter);
    const QMarginsF kept(
        std::max(margins.left(), kMinimumMarginMm), std::max(margins.top(), kMinimumMarginMm),
        std::max(margins.right(), kMinimumMarginMm), std::max(margins.bottom(), kMinimumMarginMm));
    if (kept != margins && !device_.setPageMargins(kept, QPageLayout::Millimeter))
        fail(QStringLiteral("the page margins could not be set"));
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

int PrintSurface::printableWidth() const {
    return static_cast<int>(std::floor(device_.width() * kTwipsPerInch / device_.logicalDpiX()));
}

QString PrintSurface::elided(const QString& text, double right) const {
    const double room = right - x_;
    if (metrics_->horizontalAdvance(text) <= room)
        return text;
    const QString dots = QStringLiteral("...");
    // The longest start of the text that fits with the dots; a character outside the basic plane
    // is never cut in half.
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (metrics_->horizontalAdvance(text.left(middle) + dots) <= room)
            low = middle;
        else
            high = middle - 1;
    }
    if (low > 0 && text.at(low - 1).isHighSurrogate())
        --low;
    if (low == 0)
        return metrics_->horizontalAdvance(dots) <= room ? dots : QString();
    return text.left(low).trimmed() + dots;
}

void PrintSurface::printLine(const QString& line, double right) {
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
    const QString shown = elided(line, std::min<double>(right, device_.width()));
    painter_.drawText(QPointF(x_, y_ + metrics_->ascent()), shown);
    // Measured only when the next text follows it on the line, not after a new x.
    keptText_ = shown;
}

void PrintSurface::printInColumn(const QString& text, int rightTwips) {
    printLine(text, toDeviceX(rightTwips));
}

void PrintSurface::printWrapped(const QString& text) {
    advancePastKeptText();
    const double left = x_;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : linesOf(text)) {
        if (paragraph.isEmpty()) {
            newLine();
            continue;
        }
        QTextLayout layout(paragraph, font_, &device_);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(device_.width() - left);
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            x_ = left;
            // The blanks where a line was broken are not printed.
            printLine(paragraph.mid(line.textStart(), line.textLength()).trimmed());
            newLine();
        }
    }
}

void PrintSurface::newLine() {
    keptText_.clear();
    x_ = 0;
    y_ += lineHeight();
}

QStringList PrintSurface::linesOf(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    lines.append(text.mid(start));
    return lines;
}

void PrintSurface::print(const QString& text, bool endLine) {
    const QStringList lines = linesOf(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            newLine();
        printLine(lines[i]);
    }
    if (endLine)
        newLine();
}

void PrintSurface::drawPicture(const QPixmap& picture, int widthTwips, int heightTwips) {
    if (picture.isNull())
        return;
    // A picture wider than the printable area is made smaller, keeping its proportions.
    const double width = toDeviceX(widthTwips);
    const double scale = width > device_.width() - x_ ? (device_.width() - x_) / width : 1.0;
    painter_.drawPixmap(QRectF(x_, y_, width * scale, toDeviceY(heightTwips) * scale), picture,
                        QRectF(picture.rect()));
}

void PrintSurface::endDoc() {
    if (!painter_.end())
        fail(QStringLiteral("the document could not be finished"));
}

void PrintSurface::fail(const QString& what) const {
    RunTimeError::raise(RunTimeErrorNumber::PrinterError,
                        QStringLiteral("Printer error: %1 on \"%2\".").arg(what, deviceName_));
}
