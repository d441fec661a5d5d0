// Reading printed PDF files back with poppler's tools.
#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

// The text of `pdf` laid out as printed (pdftotext -layout); pages end with a form feed.
QString pdfText(const QString& pdf);

// Its page count (pdfinfo), 0 when it cannot be read.
int pdfPages(const QString& pdf);

// The lines of `text` that contain `part`.
QStringList linesWith(const QString& text, const QString& part);

// The words of `pdf` with their boxes in points from the top left corner of their page
// (pdftotext -bbox), and each page's size.
struct PdfWord {
    int page = 0;  // from 0
    QRectF box;
    QString text;
};
struct PdfLayout {
    QList<QSizeF> pages;
    QList<PdfWord> words;
};
PdfLayout pdfWords(const QString& pdf);

// The words lying less than `millimetres` from an edge of their page, as "word (x, y)".
QStringList wordsOutsideMargins(const PdfLayout& layout, double millimetres);
