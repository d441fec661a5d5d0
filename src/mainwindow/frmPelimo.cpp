// The window and its controls, placed at the twips of the window's design.
#include "mainwindow/frmPelimo.h"

#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTimer>

#include "mainwindow/send_rules.h"
#include "ui/artwork.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"
#include "ui/palette.h"
#include "ui/twips.h"
#include "ui/window_parts.h"

namespace {

const QColor& kWindowColour = Palette::kLightBlue;
const QColor& kPanelColour = Palette::kBlue;
const QColor& kBandColour = Palette::kBand;
const QColor& kInfoLineColour = Palette::kLightGrey;
const QColor& kReadBoxColour = Palette::kGrey;
const QColor& kWhite = Palette::kWhite;
const QColor& kBlack = Palette::kBlack;

// Design sizes in twips.
constexpr int kClientWidth = 8820;
constexpr int kClientHeight = 5505;
constexpr int kPanelBarWidth = 2970;
constexpr int kPanelLeft = 2970;
constexpr int kPanelTop = 75;
constexpr int kPanelWidth = 5790;
constexpr int kPanelHeight = 5085;
constexpr int kReadPanelHeight = 5160;
constexpr int kInfoLineTop = 5235;
constexpr int kTitleHeight = 390;
constexpr int kBandTop = 390;
constexpr int kBandHeight = 675;
constexpr int kCommandTop = 450;
constexpr int kSendMessageDesignHeight = 3450;
constexpr int kReceiveMessageDesignHeight = 3405;
constexpr double kWindowPointSize = 8.0;
// Between a text and the edge of the strip or box it is written in.
constexpr int kTextPadding = 45;

using WindowParts::named;
using WindowParts::paint;
using WindowParts::place;
using WindowParts::plainLabel;

QLabel* panelTitle(QWidget* panel, const char* name) {
    QLabel* title = plainLabel(panel, name);
    place(title, 0, 0, kPanelWidth, kTitleHeight);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(12);
    font.setBold(true);
    title->setFont(font);
    title->setIndent(gTwipsToPixels(120));
    paint(title, kPanelColour, kWhite);
    return title;
}

QLabel* darkBand(QWidget* panel, const char* name) {
    QLabel* band = plainLabel(panel, name);
    place(band, 0, kBandTop, kPanelWidth, kBandHeight);
    paint(band, kBandColour, kWhite);
    return band;
}

LabelButton* command(QWidget* parent, const char* name, int left, int top, int width, int height,
                     const char* icon) {
    auto* button = named(new LabelButton(LabelButton::Look::Command, parent), name);
    place(button, left, top, width, height);
    if (icon != nullptr)
        button->setIcon(Artwork::picture(QString::fromLatin1(icon)));
    return button;
}

QWidget* panel(QWidget* parent, const char* name, int height) {
    auto* widget = named(new QWidget(parent), name);
    place(widget, kPanelLeft, kPanelTop, kPanelWidth, height);
    paint(widget, kPanelColour, kWhite);
    widget->setMouseTracking(true);
    return widget;
}

QLabel* hiddenPicture(QWidget* parent, const char* name, const char* picture) {
    QLabel* label = plainLabel(parent, name);
    label->setPixmap(Artwork::picture(QString::fromLatin1(picture)));
    label->hide();
    return label;
}

QLineEdit* lineBox(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* box = named(new QLineEdit(parent), name);
    place(box, left, top, width, height);
    box->setFrame(false);
    return box;
}

}  // namespace

frmPelimo::frmPelimo(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmPelimo"));
    setWindowIcon(Artwork::windowIcon());
    setMouseTracking(true);
    // The controls' own font unless they set one: Arial 8 points.
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(kWindowPointSize);
    setFont(font);
    buildLayout();
    buildMenus();
    buildTimers();
    connectHandlers();
}

frmPelimo::~frmPelimo() = default;

void frmPelimo::buildLayout() {
    picClientArea = named(new QWidget(this), "picClientArea");
    picClientArea->setFixedSize(gTwipsToPixels(kClientWidth), gTwipsToPixels(kClientHeight));
    picClientArea->setMouseTracking(true);
    paint(picClientArea, kWindowColour, kWhite);
    setCentralWidget(picClientArea);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    buildPanelBar();
    buildSendPanel();
    buildReadPanel();
    buildHistoricPanel();

    lblInfo1 = plainLabel(picClientArea, "lblInfo1");
    place(lblInfo1, 0, kInfoLineTop, 5640, 270);
    paint(lblInfo1, kInfoLineColour, kBlack);
    lblInfo1->setIndent(gTwipsToPixels(kTextPadding));
    lblDate = plainLabel(picClientArea, "lblDate");
    place(lblDate, 5640, kInfoLineTop, kClientWidth - 5640, 270);
    paint(lblDate, kInfoLineColour, kBlack);
    lblDate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblDate->setIndent(gTwipsToPixels(kTextPadding));

    picPrint = hiddenPicture(picClientArea, "picPrint", Artwork::kLetterhead);
    place(picPrint, 360, 4560, 5595, 600);
}

void frmPelimo::buildPanelBar() {
    picMenuBackground = plainLabel(picClientArea, "picMenuBackground");
    place(picMenuBackground, 0, 0, kPanelBarWidth, kInfoLineTop);
    picMenuBackground->setPixmap(Artwork::picture(QString::fromLatin1(Artwork::kPanelBar)));
    picMenuBackground->setMouseTracking(true);

    struct Entry {
        LabelButton*& icon;
        LabelButton*& text;
        const char* iconName;
        const char* textName;
        const char* picture;
        int iconLeft;
        int iconTop;
        int textTop;
    };
    const Entry entries[] = {
        {lblMenuSendMessage2, lblMenuSendMessage, "lblMenuSendMessage2", "lblMenuSendMessage",
         "bar_send.png", 210, 570, 795},
        {lblMenuReadMessage2, lblMenuReadMessage, "lblMenuReadMessage2", "lblMenuReadMessage",
         "bar_read.png", 225, 1710, 1965},
        {lblMenuHistoric2, lblMenuHistoric, "lblMenuHistoric2", "lblMenuHistoric",
         "bar_history.png", 225, 2865, 3105},
        {lblMenuAddressBook2, lblMenuAddressBook, "lblMenuAddressBook2", "lblMenuAddressBook",
         "bar_addressbook.png", 225, 4005, 4215},
    };
    lblTagline = plainLabel(picClientArea, "lblTagline");
    place(lblTagline, 150, 4830, 2700, 300);
    QFont italic(QStringLiteral("Arial"));
    italic.setPointSizeF(kWindowPointSize);
    italic.setItalic(true);
    lblTagline->setFont(italic);
    WindowParts::paint(lblTagline, kPanelColour, QColor(255, 255, 255, 150), false);
    // The panel bar under it follows the mouse for the hover highlighting.
    lblTagline->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (const Entry& entry : entries) {
        entry.icon = named(new LabelButton(LabelButton::Look::Icon, picClientArea), entry.iconName);
        place(entry.icon, entry.iconLeft, entry.iconTop, 885, 690);
        entry.icon->setIcon(Artwork::picture(QString::fromLatin1(entry.picture)));
        entry.text = named(new LabelButton(LabelButton::Look::Menu, picClientArea), entry.textName);
        place(entry.text, 1095, entry.textTop, 1875, 255);
    }
}

void frmPelimo::buildSendPanel() {
    picSendMessage = panel(picClientArea, "picSendMessage", kPanelHeight);
    lblLabSendTitle = panelTitle(picSendMessage, "lblLabSendTitle");
    Label2 = darkBand(picSendMessage, "Label2");

    lblCmdSendNow =
        command(picSendMessage, "lblCmdSendNow", 75, kCommandTop, 780, 570, "cmd_send.png");
    lblCmdSendFavori = command(picSendMessage, "lblCmdSendFavori", 1740, kCommandTop, 855, 570,
                               "cmd_favorite.png");
    lblCmdSendJoin =
        command(picSendMessage, "lblCmdSendJoin", 2625, kCommandTop, 855, 570, "cmd_attach.png");
    lblCmdSendPrint =
        command(picSendMessage, "lblCmdSendPrint", 3510, kCommandTop, 855, 570, "cmd_print.png");
    lblCmdSendDel =
        command(picSendMessage, "lblCmdSendDel", 4890, kCommandTop, 855, 570, "cmd_clear.png");
    lblCmdSendSelectUser =
        command(picSendMessage, "lblCmdSendSelectUser", 315, 1110, 1080, 495, nullptr);
    lblCmdSendSelectUser->setAlignment(Qt::AlignCenter);

    txtSendUserList = named(new QPlainTextEdit(picSendMessage), "txtSendUserList");
    place(txtSendUserList, 1650, 1080, 4140, 555);
    txtSendUserList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSendUserList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    paint(txtSendUserList, kWhite, kBlack);

    // The attachment row lies under the lower part of the message box, which covers it while
    // it is tall.
    lblLabSendFiles = plainLabel(picSendMessage, "lblLabSendFiles");
    place(lblLabSendFiles, 60, 4770, 1815, 255);
    lblLabSendFiles->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    txtSendFiles = lineBox(picSendMessage, "txtSendFiles", 1875, 4770, 3825, 270);

    txtSendMessage = named(new LimitedTextBox(picSendMessage), "txtSendMessage");
    place(txtSendMessage, 30, 1635, 5760, kSendMessageDesignHeight);
    txtSendMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtSendMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The sunken frame of a text box shows where to type.
    txtSendMessage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    txtSendMessage->setLineWidth(2);
    paint(txtSendMessage, kPanelColour, kWhite);
    buildSendSizeLine();
}

void frmPelimo::buildReadPanel() {
    picReadMessage = panel(picClientArea, "picReadMessage", kReadPanelHeight);
    lblLabReceiveTitle = panelTitle(picReadMessage, "lblLabReceiveTitle");
    Label9 = darkBand(picReadMessage, "Label9");

    lblLabReceiveAnswer =
        command(picReadMessage, "lblLabReceiveAnswer", 90, kCommandTop, 915, 585, "cmd_reply.png");
    lblLabReceivePrint =
        command(picReadMessage, "lblLabReceivePrint", 1200, kCommandTop, 780, 570, "cmd_print.png");
    lblLabReceiveSaveFile = command(picReadMessage, "lblLabReceiveSaveFile", 2190, kCommandTop, 810,
                                    570, "cmd_save.png");

    picReceivePhoto = plainLabel(picReadMessage, "picReceivePhoto");
    place(picReceivePhoto, 4830, 15, 960, 960);
    picReceivePhoto->setAlignment(Qt::AlignCenter);

    // Three lines between the command band and the message box, none over the next.
    lblLabReceiveFrom = plainLabel(picReadMessage, "lblLabReceiveFrom");
    place(lblLabReceiveFrom, 105, 1050, 5640, 210);
    lblLabReceiveSendTo = plainLabel(picReadMessage, "lblLabReceiveSendTo");
    place(lblLabReceiveSendTo, 105, 1260, 5640, 210);
    for (QLabel* line : {lblLabReceiveFrom, lblLabReceiveSendTo})
        paint(line, kPanelColour, kWhite);
    lblLabReceiveDate = plainLabel(picReadMessage, "lblLabReceiveDate");
    place(lblLabReceiveDate, 75, 1470, 5640, 225);
    paint(lblLabReceiveDate, kReadBoxColour, kBlack);
    lblLabReceiveDate->setIndent(gTwipsToPixels(kTextPadding));

    lblLabReceiveFiles = plainLabel(picReadMessage, "lblLabReceiveFiles");
    place(lblLabReceiveFiles, 75, 4770, 1815, 255);
    paint(lblLabReceiveFiles, kPanelColour, kWhite);
    txtReceiveFiles = lineBox(picReadMessage, "txtReceiveFiles", 1890, 4770, 3825, 270);
    txtReceiveFiles->setReadOnly(true);

    txtReceiveMessage = named(new QPlainTextEdit(picReadMessage), "txtReceiveMessage");
    place(txtReceiveMessage, 45, 1695, 5700, kReceiveMessageDesignHeight);
    txtReceiveMessage->setReadOnly(true);
    txtReceiveMessage->setFrameShape(QFrame::NoFrame);
    paint(txtReceiveMessage, kReadBoxColour, kBlack);
    picReceivePhoto->raise();
}

void frmPelimo::buildHistoricPanel() {
    picHistoric = panel(picClientArea, "picHistoric", kPanelHeight);
    Label5 = panelTitle(picHistoric, "Label5");
    Label6 = darkBand(picHistoric, "Label6");
    CmdHistoricRead =
        command(picHistoric, "CmdHistoricRead", 150, kCommandTop, 675, 585, "cmd_read.png");
    CmdHistoricDisplay =
        command(picHistoric, "CmdHistoricDisplay", 840, kCommandTop, 645, 585, "cmd_sort.png");
    CmdHistoricPrint =
        command(picHistoric, "CmdHistoricPrint", 1515, kCommandTop, 825, 585, "cmd_print.png");
    lblCmdDeleteHistoric =
        command(picHistoric, "lblCmdDeleteHistoric", 4890, kCommandTop, 825, 570, "cmd_clear.png");

    buildHistoricGrid();

    picMessRead = hiddenPicture(picHistoric, "picMessRead", Artwork::kMessRead);
    picMessNoRead = hiddenPicture(picHistoric, "picMessNoRead", Artwork::kMessNoRead);
    picMessfileRead = hiddenPicture(picHistoric, "picMessfileRead", Artwork::kMessFileRead);
    picMessfileNoRead = hiddenPicture(picHistoric, "picMessfileNoRead", Artwork::kMessFileNoRead);
}

void frmPelimo::buildTimers() {
    TimerMailSlot = named(new QTimer(this), "TimerMailSlot");
    TimerMailSlot->setInterval(100);
    TimerDateTime = named(new QTimer(this), "TimerDateTime");
    TimerDateTime->setInterval(1000);
    TimerTestRead = named(new QTimer(this), "TimerTestRead");
    TimerTestRead->setInterval(3000);
}

void frmPelimo::setSendMessageHeight(int twips) {
    txtSendMessage->resize(txtSendMessage->width(), gTwipsToPixels(twips));
    placeSendSizeLine();
    placeAttachmentTabStop();
}

void frmPelimo::placeAttachmentTabStop() {
    // Tab stops on the attachment box only while the message box leaves it uncovered.
    const bool covered = txtSendMessage->geometry().bottom() >= txtSendFiles->y();
    txtSendFiles->setFocusPolicy(covered ? Qt::ClickFocus : Qt::StrongFocus);
}

void frmPelimo::setReceiveMessageHeight(int twips) {
    txtReceiveMessage->resize(txtReceiveMessage->width(), gTwipsToPixels(twips));
}
