// Reading printed PDF files back with poppler's tools.
#pragma once

#include <QString>
#include <QStringList>

// The text of `pdf` laid out as printed (pdftotext -layout); pages end with a form feed.
QString gPdfText(const QString& pdf);

// Its page count (pdfinfo), 0 when it cannot be read.
int gPdfPages(const QString& pdf);

// The lines of `text` that contain `part`.
QStringList gLinesWith(const QString& text, const QString& part);
