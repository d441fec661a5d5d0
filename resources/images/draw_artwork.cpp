// Draws the program's pictures into a folder: the panel bar background, the panel bar and
// command icons, the window icon (also in the icon theme's sizes, under hicolor/), the four
// history state icons, the default contact photo, the letterhead, the two logos of the About
// panel and the label-buttons' pointing-hand cursor. Build the target pelimo-draw-artwork and run
// it with resources/images.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>

namespace {

const QColor kNavy(20, 30, 82);
const QColor kWindowBlue(66, 83, 157);
const QColor kPanelBlue(38, 60, 153);
const QColor kOrange(255, 144, 48);
const QColor kWhite(255, 255, 255);
const QColor kPaper(246, 241, 226);
const QColor kInk(40, 40, 48);

using Drawing = std::function<void(QPainter&)>;

QString gOutputFolder;
int gFailures = 0;

void save(const char* name, int width, int height, const Drawing& draw,
          QImage::Format format = QImage::Format_ARGB32) {
    QImage image(width, height, format);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
    }
    const QString path = gOutputFolder + u'/' + QString::fromLatin1(name);
    QDir().mkpath(QFileInfo(path).path());
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++gFailures;
    }
}

QPen pen(const QColor& colour, double width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// An envelope in the rectangle; `open` draws the flap up with a letter showing.
void envelope(QPainter& p, const QRectF& r, const QColor& body, const QColor& line, bool open) {
    p.setPen(pen(line, std::max(1.0, r.width() / 16)));
    if (open) {
        QPolygonF flap;
        flap << r.topLeft() + QPointF(0, r.height() * 0.35)
             << QPointF(r.center().x(), r.top() - r.height() * 0.1)
             << r.topRight() + QPointF(0, r.height() * 0.35);
        p.setBrush(body.darker(115));
        p.drawPolygon(flap);
        p.setBrush(kWhite);
        p.drawRect(QRectF(r.left() + r.width() * 0.15, r.top() + r.height() * 0.05, r.width() * 0.7,
                          r.height() * 0.6));
        p.setBrush(body);
        QPolygonF front;
        front << r.topLeft() + QPointF(0, r.height() * 0.35)
              << QPointF(r.center().x(), r.top() + r.height() * 0.7)
              << r.topRight() + QPointF(0, r.height() * 0.35) << r.bottomRight() << r.bottomLeft();
        p.drawPolygon(front);
        return;
    }
    p.setBrush(body);
    p.drawRect(r);
    p.drawPolyline(QPolygonF() << r.topLeft() << QPointF(r.center().x(), r.top() + r.height() * 0.6)
                               << r.topRight());
}

void paperclip(QPainter& p, const QRectF& r, const QColor& colour) {
    p.setPen(pen(colour, std::max(1.2, r.width() / 7)));
    p.setBrush(Qt::NoBrush);
    QPainterPath clip;
    const double w = r.width();
    clip.moveTo(r.left() + w * 0.7, r.top() + r.height() * 0.3);
    clip.lineTo(r.left() + w * 0.7, r.bottom() - w * 0.35);
    clip.arcTo(QRectF(r.left() + w * 0.1, r.bottom() - w * 0.7, w * 0.6, w * 0.6), 0, -180);
    clip.lineTo(r.left() + w * 0.1, r.top() + w * 0.3);
    clip.arcTo(QRectF(r.left() + w * 0.1, r.top(), w * 0.45, w * 0.45), 180, -180);
    clip.lineTo(r.left() + w * 0.55, r.bottom() - w * 0.4);
    p.drawPath(clip);
}

void printer(QPainter& p, const QRectF& r, const QColor& line) {
    p.setPen(pen(line, 1.4));
    p.setBrush(kWhite);
    p.drawRect(QRectF(r.left() + r.width() * 0.25, r.top(), r.width() * 0.5, r.height() * 0.4));
    p.setBrush(QColor(200, 205, 220));
    p.drawRoundedRect(QRectF(r.left(), r.top() + r.height() * 0.35, r.width(), r.height() * 0.4), 2,
                      2);
    p.setBrush(kWhite);
    p.drawRect(QRectF(r.left() + r.width() * 0.2, r.top() + r.height() * 0.6, r.width() * 0.6,
                      r.height() * 0.4));
    p.setBrush(kOrange);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(r.right() - r.width() * 0.15, r.top() + r.height() * 0.48), 1.2, 1.2);
}

void person(QPainter& p, const QRectF& r, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const double w = r.width();
    p.drawEllipse(QRectF(r.left() + w * 0.3, r.top(), w * 0.4, w * 0.4));
    QPainterPath shoulders;
    shoulders.addRoundedRect(
        QRectF(r.left() + w * 0.1, r.top() + w * 0.45, w * 0.8, r.height() - w * 0.45), w * 0.3,
        w * 0.3);
    p.drawPath(shoulders);
}

void arrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& colour,
           double width) {
    p.setPen(pen(colour, width));
    p.drawLine(from, to);
    const QLineF shaft(to, from);
    const double head = width * 2.4;
    QLineF left = shaft;
    left.setLength(head);
    left.setAngle(shaft.angle() + 35);
    QLineF right = shaft;
    right.setLength(head);
    right.setAngle(shaft.angle() - 35);
    p.drawLine(left);
    p.drawLine(right);
}

void panelBar() {
    save("panel_bar.png", 198, 349, [](QPainter& p) {
        QLinearGradient sky(0, 0, 198, 349);
        sky.setColorAt(0, kNavy);
        sky.setColorAt(0.55, kPanelBlue.darker(130));
        sky.setColorAt(1, kWindowBlue);
        p.fillRect(0, 0, 198, 349, sky);
        // A soft glow behind the name and a sweep down the bar.
        QRadialGradient glow(QPointF(40, 10), 150);
        glow.setColorAt(0, QColor(255, 255, 255, 60));
        glow.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(0, 0, 198, 349, glow);
        QPainterPath sweep;
        sweep.moveTo(0, 349);
        sweep.cubicTo(60, 250, 140, 200, 198, 40);
        sweep.lineTo(198, 349);
        sweep.closeSubpath();
        p.fillPath(sweep, QColor(255, 255, 255, 18));

        QFont name(QStringLiteral("DejaVu Sans"));
        name.setPixelSize(22);
        name.setBold(true);
        name.setItalic(true);
        p.setFont(name);
        p.setPen(kWhite);
        p.drawText(QRectF(10, 4, 180, 30), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Pelimo"));
        p.setPen(pen(kOrange, 2));
        p.drawLine(QPointF(12, 33), QPointF(120, 33));

        // A faint plate behind each entry of the bar.
        for (const int top : {38, 114, 191, 267}) {
            p.setPen(QPen(QColor(255, 255, 255, 40), 1));
            p.setBrush(QColor(255, 255, 255, 22));
            p.drawRoundedRect(QRectF(8, top - 2, 184, 50), 9, 9);
        }
        // The tagline under the entries is a label of the window, in the interface's language.
    });
}

void barIcons() {
    save("bar_send.png", 40, 40, [](QPainter& p) {
        envelope(p, QRectF(3, 12, 28, 20), kPaper, kInk, false);
        arrow(p, QPointF(20, 30), QPointF(37, 8), kOrange, 3);
    });
    save("bar_read.png", 40, 40, [](QPainter& p) {
        envelope(p, QRectF(5, 14, 30, 22), kPaper, kInk, true);
        p.setPen(pen(QColor(90, 110, 190), 1.4));
        for (const double y : {11.0, 15.0})
            p.drawLine(QPointF(13, y), QPointF(27, y));
    });
    save("bar_history.png", 40, 40, [](QPainter& p) {
        p.setPen(pen(kInk, 1.5));
        for (int i = 2; i >= 0; --i) {
            p.setBrush(kPaper.darker(100 + i * 8));
            p.drawRect(QRectF(6 + i * 3, 6 + i * 3, 22, 26));
        }
        p.setBrush(kWhite);
        p.drawEllipse(QRectF(18, 18, 19, 19));
        p.setPen(pen(kOrange, 2));
        p.drawLine(QPointF(27.5, 27.5), QPointF(27.5, 21));
        p.drawLine(QPointF(27.5, 27.5), QPointF(32, 29));
    });
    save("bar_addressbook.png", 40, 40, [](QPainter& p) {
        p.setPen(pen(kInk, 1.5));
        p.setBrush(QColor(170, 60, 40));
        p.drawRoundedRect(QRectF(7, 4, 26, 32), 3, 3);
        p.setBrush(kPaper);
        p.drawRect(QRectF(11, 7, 20, 26));
        person(p, QRectF(14, 10, 14, 18), kPanelBlue);
        p.setPen(pen(kOrange, 2));
        for (const double y : {10.0, 18.0, 26.0})
            p.drawLine(QPointF(5, y), QPointF(9, y));
    });
}

void commandIcons() {
    save("cmd_send.png", 20, 20, [](QPainter& p) {
        QPolygonF plane;
        plane << QPointF(1, 9) << QPointF(19, 2) << QPointF(13, 18) << QPointF(9, 12);
        p.setPen(pen(kWhite, 1.3));
        p.setBrush(QColor(255, 255, 255, 60));
        p.drawPolygon(plane);
        p.setPen(pen(kOrange, 1.3));
        p.drawLine(QPointF(9, 12), QPointF(19, 2));
    });
    save("cmd_favorite.png", 20, 20, [](QPainter& p) {
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double radius = i % 2 == 0 ? 9 : 3.8;
            const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
            star << QPointF(10 + radius * std::cos(angle), 10.5 + radius * std::sin(angle));
        }
        p.setPen(pen(kWhite, 1));
        p.setBrush(kOrange);
        p.drawPolygon(star);
    });
    save("cmd_attach.png", 20, 20, [](QPainter& p) { paperclip(p, QRectF(5, 1, 10, 18), kWhite); });
    save("cmd_print.png", 20, 20, [](QPainter& p) { printer(p, QRectF(1, 2, 18, 16), kInk); });
    save("cmd_clear.png", 20, 20, [](QPainter& p) {
        p.setPen(pen(kWhite, 1.3));
        p.setBrush(QColor(255, 255, 255, 40));
        p.drawRect(QRectF(3, 3, 12, 15));
        p.setPen(pen(kOrange, 2.4));
        p.drawLine(QPointF(9, 9), QPointF(18, 18));
        p.drawLine(QPointF(18, 9), QPointF(9, 18));
    });
    save("cmd_reply.png", 20, 20, [](QPainter& p) {
        p.setPen(pen(kWhite, 2));
        p.setBrush(Qt::NoBrush);
        QPainterPath curve;
        curve.moveTo(18, 17);
        curve.cubicTo(18, 8, 12, 6, 4, 7);
        p.drawPath(curve);
        p.setPen(pen(kOrange, 2));
        p.drawLine(QPointF(4, 7), QPointF(9, 2));
        p.drawLine(QPointF(4, 7), QPointF(9, 12));
    });
    save("cmd_save.png", 20, 20, [](QPainter& p) {
        p.setPen(pen(kWhite, 1.3));
        p.setBrush(QColor(70, 90, 170));
        p.drawRoundedRect(QRectF(2, 2, 16, 16), 2, 2);
        p.setBrush(kWhite);
        p.drawRect(QRectF(5, 2, 10, 6));
        p.setBrush(kOrange);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(5, 11, 10, 7));
    });
    save("cmd_read.png", 20, 20,
         [](QPainter& p) { envelope(p, QRectF(2, 7, 16, 11), kPaper, kInk, true); });
    save("cmd_sort.png", 20, 20, [](QPainter& p) {
        arrow(p, QPointF(6, 18), QPointF(6, 3), kWhite, 1.6);
        arrow(p, QPointF(14, 2), QPointF(14, 17), kOrange, 1.6);
    });
}

void windowIcon() {
    const Drawing icon = [](QPainter& p) {
        QLinearGradient tile(0, 0, 64, 64);
        tile.setColorAt(0, kWindowBlue.lighter(120));
        tile.setColorAt(1, kNavy);
        p.setPen(Qt::NoPen);
        p.setBrush(tile);
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
        envelope(p, QRectF(10, 20, 40, 28), kPaper, kInk, false);
        arrow(p, QPointF(34, 44), QPointF(56, 12), kOrange, 4);
    };
    save("pelimo.png", 64, 64, icon);
    // The desktop menu's icon theme sizes, drawn from the same 64-unit picture.
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QByteArray name = "hicolor/" + QByteArray::number(size) + 'x' +
                                QByteArray::number(size) + "/apps/pelimo.png";
        save(name.constData(), size, size, [&icon, size](QPainter& p) {
            p.scale(size / 64.0, size / 64.0);
            icon(p);
        });
    }
}

void stateIcons() {
    const QColor unread(255, 214, 90);
    const QColor read(205, 205, 205);
    save("mess_read.png", 16, 11,
         [&](QPainter& p) { envelope(p, QRectF(1, 3, 13, 7.5), read, kInk, true); });
    save("mess_noread.png", 16, 11,
         [&](QPainter& p) { envelope(p, QRectF(1, 1, 14, 9), unread, kInk, false); });
    save("messfile_read.png", 16, 11, [&](QPainter& p) {
        envelope(p, QRectF(0.5, 3, 11, 7.5), read, kInk, true);
        paperclip(p, QRectF(11, 0.5, 4.5, 10), QColor(60, 60, 160));
    });
    save("messfile_noread.png", 16, 11, [&](QPainter& p) {
        envelope(p, QRectF(0.5, 1, 11.5, 9), unread, kInk, false);
        paperclip(p, QRectF(11, 0.5, 4.5, 10), QColor(60, 60, 160));
    });
}

void defaultPhoto() {
    save(
        "default_photo.bmp", 64, 64,
        [](QPainter& p) {
            QLinearGradient backdrop(0, 0, 0, 64);
            backdrop.setColorAt(0, QColor(200, 208, 228));
            backdrop.setColorAt(1, QColor(140, 152, 190));
            p.fillRect(0, 0, 64, 64, backdrop);
            person(p, QRectF(10, 10, 44, 60), QColor(88, 100, 140));
            p.setPen(QPen(QColor(60, 70, 110), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(1, 1, 62, 62));
        },
        QImage::Format_RGB32);
}

void letterhead() {
    save("letterhead.png", 373, 40, [](QPainter& p) {
        p.fillRect(0, 0, 373, 40, kWhite);
        QLinearGradient band(0, 0, 373, 0);
        band.setColorAt(0, kNavy);
        band.setColorAt(1, kWindowBlue);
        p.fillRect(QRectF(0, 0, 373, 30), band);
        p.fillRect(QRectF(0, 30, 373, 3), kOrange);
        QFont name(QStringLiteral("DejaVu Sans"));
        name.setPixelSize(20);
        name.setBold(true);
        name.setItalic(true);
        p.setFont(name);
        p.setPen(kWhite);
        p.drawText(QRectF(40, 0, 200, 30), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Pelimo"));
        envelope(p, QRectF(8, 8, 22, 15), kPaper, kInk, false);
    });
}

void aboutLogos() {
    save("about_logo.png", 172, 37, [](QPainter& p) {
        envelope(p, QRectF(3, 8, 30, 21), kPaper, kInk, false);
        arrow(p, QPointF(22, 27), QPointF(38, 6), kOrange, 3);
        QFont name(QStringLiteral("DejaVu Sans"));
        name.setPixelSize(26);
        name.setBold(true);
        name.setItalic(true);
        p.setFont(name);
        p.setPen(kWhite);
        p.drawText(QRectF(44, 0, 128, 32), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Pelimo"));
        p.setPen(pen(kOrange, 2));
        p.drawLine(QPointF(46, 33), QPointF(166, 33));
    });
    save("about_banner.png", 373, 40, [](QPainter& p) {
        QLinearGradient band(0, 0, 373, 0);
        band.setColorAt(0, kNavy);
        band.setColorAt(0.6, kPanelBlue);
        band.setColorAt(1, kWindowBlue);
        p.fillRect(QRectF(0, 0, 373, 40), band);
        p.fillRect(QRectF(0, 0, 373, 2), kOrange);
        // Envelopes flying from one computer of the network to the next.
        for (int i = 0; i < 5; ++i) {
            const double left = 14 + i * 72;
            p.setPen(pen(QColor(255, 255, 255, 170), 1.2));
            p.setBrush(QColor(255, 255, 255, 30));
            p.drawRoundedRect(QRectF(left, 12, 22, 15), 2, 2);
            p.drawLine(QPointF(left + 6, 31), QPointF(left + 16, 31));
            if (i < 4) {
                envelope(p, QRectF(left + 34, 14, 14, 9), kPaper, kInk, false);
                p.setPen(QPen(kOrange, 1.2, Qt::DotLine));
                p.drawLine(QPointF(left + 24, 19), QPointF(left + 33, 19));
                p.drawLine(QPointF(left + 49, 19), QPointF(left + 70, 19));
            }
        }
    });
}

// The label-buttons' cursor: a hand pointing up, white with a black outline, the tip of the
// index finger at the hot spot (13, 5).
void pointingHand() {
    save("hand_cursor.png", 32, 32, [](QPainter& p) {
        QPainterPath hand;
        hand.addRoundedRect(QRectF(10.5, 3.5, 5.5, 17), 2.75, 2.75);  // index finger
        hand.addRoundedRect(QRectF(15.5, 11.5, 4.5, 10), 2.25, 2.25);
        hand.addRoundedRect(QRectF(19.5, 12.5, 4.5, 9), 2.25, 2.25);
        hand.addRoundedRect(QRectF(23.5, 14, 4, 8), 2, 2);
        hand.addRoundedRect(QRectF(10.5, 16, 17, 11), 4, 4);  // palm
        QPainterPath thumb;
        thumb.addRoundedRect(QRectF(-3, -2.25, 9, 4.5), 2.25, 2.25);
        hand += QTransform().translate(8.5, 20).rotate(40).map(thumb);
        hand = hand.simplified();
        p.setPen(QPen(QColor(0, 0, 0), 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(kWhite);
        p.drawPath(hand);
        // The folds between the fingers and the cuff.
        p.setPen(QPen(QColor(0, 0, 0), 0.9));
        for (const double x : {16.0, 20.0, 24.0})
            p.drawLine(QPointF(x, 15), QPointF(x, 19));
        p.setPen(Qt::NoPen);
        p.setBrush(kPanelBlue);
        p.drawRect(QRectF(12.5, 27.5, 13, 3.5));
    });
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    gOutputFolder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(gOutputFolder);
    panelBar();
    barIcons();
    commandIcons();
    windowIcon();
    stateIcons();
    defaultPhoto();
    letterhead();
    aboutLogos();
    pointingHand();
    return gFailures == 0 ? 0 : 1;
}
