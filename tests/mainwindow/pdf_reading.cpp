#include "pdf_reading.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

QString pdfText(const QString& pdf) {
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

int pdfPages(const QString& pdf) {
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                   QRegularExpression::MultilineOption);
    const auto match = pages.match(run(QStringLiteral("pdfinfo"), {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QStringList linesWith(const QString& text, const QString& part) {
    QStringList found;
    for (const QString& line : text.split(u'\n')) {
        if (line.contains(part))
            found.append(line);
    }
    return found;
}

namespace {

QString unescaped(QString text) {
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    return text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}

}  // namespace

PdfLayout pdfWords(const QString& pdf) {
    const QString html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const QRegularExpression item(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|"
                       "<word xMin=\"([\\d.-]+)\" yMin=\"([\\d.-]+)\" xMax=\"([\\d.-]+)\" "
                       "yMax=\"([\\d.-]+)\">([^<]*)</word>"));
    PdfLayout layout;
    for (auto it = item.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        if (!match.captured(1).isEmpty()) {
            layout.pages.append(QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()));
            continue;
        }
        const QPointF topLeft(match.captured(3).toDouble(), match.captured(4).toDouble());
        const QPointF bottomRight(match.captured(5).toDouble(), match.captured(6).toDouble());
        layout.words.append({static_cast<int>(layout.pages.size()) - 1,
                             QRectF(topLeft, bottomRight), unescaped(match.captured(7))});
    }
    return layout;
}

QStringList wordsOutsideMargins(const PdfLayout& layout, double millimetres) {
    const double margin = millimetres * 72.0 / 25.4;
    // pdftotext's boxes include the font's ascent and descent; half a point of rounding is allowed.
    constexpr double kTolerance = 0.5;
    QStringList outside;
    for (const PdfWord& word : layout.words) {
        const QSizeF page = layout.pages.value(word.page);
        const QRectF inside(margin, margin, page.width() - 2 * margin, page.height() - 2 * margin);
        if (!inside.adjusted(-kTolerance, -kTolerance, kTolerance, kTolerance).contains(word.box)) {
            outside.append(QStringLiteral("%1 (%2, %3)")
                               .arg(word.text)
                               .arg(word.box.x(), 0, 'f', 1)
                               .arg(word.box.y(), 0, 'f', 1));
        }
    }
    return outside;
}
