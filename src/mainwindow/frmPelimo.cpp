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

#include "mainwindow/main_window_layout.h"
#include "mainwindow/send_rules.h"
#include "ui/artwork.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"
#include "ui/palette.h"
#include "ui/twips.h"
#include "ui/window_parts.h"

namespace Layout = MainWindowLayout;

namespace {

const QColor& kWindowColour = Palette::kLightBlue;
const QColor& kPanelColour = Palette::kBlue;
const QColor& kBandColour = Palette::kBand;
const QColor& kInfoLineColour = Palette::kLightGrey;
const QColor& kReadBoxColour = Palette::kGrey;
const QColor& kWhite = Palette::kWhite;
const QColor& kBlack = Palette::kBlack;

constexpr double kWindowPointSize = 8.0;
constexpr double kPanelTitlePointSize = 12.0;

using WindowParts::named;
using WindowParts::paint;
using WindowParts::place;
using WindowParts::plainLabel;

QLabel* panelTitle(QWidget* panel, const char* name) {
    QLabel* title =
        WindowParts::titleLabel(panel, name, Layout::Panel::kWidth, kPanelTitlePointSize);
    paint(title, kPanelColour, kWhite);
    return title;
}

QLabel* darkBand(QWidget* panel, const char* name) {
    QLabel* band = plainLabel(panel, name);
    place(band, Layout::Panel::kBand);
    paint(band, kBandColour, kWhite);
    return band;
}

LabelButton* command(QWidget* parent, const char* name, const Twips::Rect& at, const char* icon) {
    auto* button = named(new LabelButton(LabelButton::Look::Command, parent), name);
    place(button, at);
    if (icon != nullptr)
        button->setIcon(Artwork::picture(QString::fromLatin1(icon)));
    return button;
}

QWidget* panel(QWidget* parent, const char* name, int height) {
    auto* widget = named(new QWidget(parent), name);
    place(widget, {Layout::Panel::kLeft, Layout::Panel::kTop, Layout::Panel::kWidth, height});
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

QLineEdit* lineBox(QWidget* parent, const char* name, const Twips::Rect& at) {
    auto* box = named(new QLineEdit(parent), name);
    place(box, at);
    box->setFrame(false);
    return box;
}

}  // namespace

frmPelimo::frmPelimo(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmPelimo"));
    setWindowIcon(Artwork::windowIcon());
    setMouseTracking(true);
    // The controls' own font unless they set one: Arial 8 points.
    setFont(WindowParts::arial(kWindowPointSize));
    buildLayout();
    buildMenus();
    buildTimers();
    connectHandlers();
}

frmPelimo::~frmPelimo() = default;

void frmPelimo::buildLayout() {
    picClientArea = named(new QWidget(this), "picClientArea");
    picClientArea->setFixedSize(Twips::toPixels(Layout::kClientWidth),
                                Twips::toPixels(Layout::kClientHeight));
    picClientArea->setMouseTracking(true);
    paint(picClientArea, kWindowColour, kWhite);
    setCentralWidget(picClientArea);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    buildPanelBar();
    buildSendPanel();
    buildReadPanel();
    buildHistoricPanel();

    lblInfo1 = plainLabel(picClientArea, "lblInfo1");
    place(lblInfo1, Layout::kHistoryCount);
    paint(lblInfo1, kInfoLineColour, kBlack);
    lblInfo1->setIndent(Twips::toPixels(Layout::kTextPadding));
    lblDate = plainLabel(picClientArea, "lblDate");
    place(lblDate, Layout::kDate);
    paint(lblDate, kInfoLineColour, kBlack);
    lblDate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblDate->setIndent(Twips::toPixels(Layout::kTextPadding));

    picPrint = hiddenPicture(picClientArea, "picPrint", Artwork::kLetterhead);
    place(picPrint, Layout::kLetterhead);
}

void frmPelimo::buildPanelBar() {
    namespace Bar = Layout::PanelBar;
    picMenuBackground = plainLabel(picClientArea, "picMenuBackground");
    place(picMenuBackground, Bar::kBackground);
    picMenuBackground->setPixmap(Artwork::picture(QString::fromLatin1(Artwork::kPanelBar)));
    picMenuBackground->setMouseTracking(true);

    struct Entry {
        LabelButton*& icon;
        LabelButton*& text;
        const char* iconName;
        const char* textName;
        const char* picture;
        const Bar::Entry& at;
    };
    const Entry entries[] = {
        {lblMenuSendMessage2, lblMenuSendMessage, "lblMenuSendMessage2", "lblMenuSendMessage",
         "bar_send.png", Bar::kSendMessage},
        {lblMenuReadMessage2, lblMenuReadMessage, "lblMenuReadMessage2", "lblMenuReadMessage",
         "bar_read.png", Bar::kReadMessage},
        {lblMenuHistoric2, lblMenuHistoric, "lblMenuHistoric2", "lblMenuHistoric",
         "bar_history.png", Bar::kHistory},
        {lblMenuAddressBook2, lblMenuAddressBook, "lblMenuAddressBook2", "lblMenuAddressBook",
         "bar_addressbook.png", Bar::kAddressBook},
    };
    lblTagline = plainLabel(picClientArea, "lblTagline");
    place(lblTagline, Bar::kTagline);
    QFont italic = WindowParts::arial(kWindowPointSize);
    italic.setItalic(true);
    lblTagline->setFont(italic);
    paint(lblTagline, kPanelColour, QColor(255, 255, 255, 150), false);
    // The panel bar under it follows the mouse for the hover highlighting.
    lblTagline->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (const Entry& entry : entries) {
        entry.icon = named(new LabelButton(LabelButton::Look::Icon, picClientArea), entry.iconName);
        place(entry.icon, entry.at.icon);
        entry.icon->setIcon(Artwork::picture(QString::fromLatin1(entry.picture)));
        entry.text = named(new LabelButton(LabelButton::Look::Menu, picClientArea), entry.textName);
        place(entry.text, entry.at.text);
    }
}

void frmPelimo::buildSendPanel() {
    namespace Send = Layout::SendPanel;
    picSendMessage = panel(picClientArea, "picSendMessage", Layout::Panel::kHeight);
    lblLabSendTitle = panelTitle(picSendMessage, "lblLabSendTitle");
    Label2 = darkBand(picSendMessage, "Label2");

    lblCmdSendNow = command(picSendMessage, "lblCmdSendNow", Send::kSend, "cmd_send.png");
    lblCmdSendFavori =
        command(picSendMessage, "lblCmdSendFavori", Send::kFavorites, "cmd_favorite.png");
    lblCmdSendJoin = command(picSendMessage, "lblCmdSendJoin", Send::kAttach, "cmd_attach.png");
    lblCmdSendPrint = command(picSendMessage, "lblCmdSendPrint", Send::kPrint, "cmd_print.png");
    lblCmdSendDel = command(picSendMessage, "lblCmdSendDel", Send::kClear, "cmd_clear.png");
    lblCmdSendSelectUser =
        command(picSendMessage, "lblCmdSendSelectUser", Send::kSelectAddressee, nullptr);
    lblCmdSendSelectUser->setAlignment(Qt::AlignCenter);

    txtSendUserList = named(new QPlainTextEdit(picSendMessage), "txtSendUserList");
    place(txtSendUserList, Send::kAddressees);
    txtSendUserList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSendUserList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    paint(txtSendUserList, kWhite, kBlack);

    // The attachment row lies under the lower part of the message box, which covers it while
    // it is tall.
    lblLabSendFiles = plainLabel(picSendMessage, "lblLabSendFiles");
    place(lblLabSendFiles, Send::kAttachmentCaption);
    lblLabSendFiles->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    txtSendFiles = lineBox(picSendMessage, "txtSendFiles", Send::kAttachment);

    txtSendMessage = named(new LimitedTextBox(picSendMessage), "txtSendMessage");
    place(txtSendMessage, Send::kMessage);
    txtSendMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtSendMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The sunken frame of a text box shows where to type.
    txtSendMessage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    txtSendMessage->setLineWidth(2);
    paint(txtSendMessage, kPanelColour, kWhite);
    buildSendSizeLine();
}

void frmPelimo::buildReadPanel() {
    namespace Read = Layout::ReadPanel;
    picReadMessage = panel(picClientArea, "picReadMessage", Read::kHeight);
    lblLabReceiveTitle = panelTitle(picReadMessage, "lblLabReceiveTitle");
    Label9 = darkBand(picReadMessage, "Label9");

    lblLabReceiveAnswer =
        command(picReadMessage, "lblLabReceiveAnswer", Read::kReply, "cmd_reply.png");
    lblLabReceivePrint =
        command(picReadMessage, "lblLabReceivePrint", Read::kPrint, "cmd_print.png");
    lblLabReceiveSaveFile =
        command(picReadMessage, "lblLabReceiveSaveFile", Read::kSaveAttachment, "cmd_save.png");

    picReceivePhoto = plainLabel(picReadMessage, "picReceivePhoto");
    place(picReceivePhoto, Read::kPhoto);
    picReceivePhoto->setAlignment(Qt::AlignCenter);

    lblLabReceiveFrom = plainLabel(picReadMessage, "lblLabReceiveFrom");
    place(lblLabReceiveFrom, Read::kSender);
    lblLabReceiveSendTo = plainLabel(picReadMessage, "lblLabReceiveSendTo");
    place(lblLabReceiveSendTo, Read::kAddressees);
    for (QLabel* line : {lblLabReceiveFrom, lblLabReceiveSendTo})
        paint(line, kPanelColour, kWhite);
    lblLabReceiveDate = plainLabel(picReadMessage, "lblLabReceiveDate");
    place(lblLabReceiveDate, Read::kDate);
    paint(lblLabReceiveDate, kReadBoxColour, kBlack);
    lblLabReceiveDate->setIndent(Twips::toPixels(Layout::kTextPadding));

    lblLabReceiveFiles = plainLabel(picReadMessage, "lblLabReceiveFiles");
    place(lblLabReceiveFiles, Read::kAttachmentCaption);
    paint(lblLabReceiveFiles, kPanelColour, kWhite);
    txtReceiveFiles = lineBox(picReadMessage, "txtReceiveFiles", Read::kAttachment);
    txtReceiveFiles->setReadOnly(true);

    txtReceiveMessage = named(new QPlainTextEdit(picReadMessage), "txtReceiveMessage");
    place(txtReceiveMessage, Read::kMessage);
    txtReceiveMessage->setReadOnly(true);
    txtReceiveMessage->setFrameShape(QFrame::NoFrame);
    paint(txtReceiveMessage, kReadBoxColour, kBlack);
    picReceivePhoto->raise();
}

void frmPelimo::buildHistoricPanel() {
    namespace History = Layout::HistoryPanel;
    picHistoric = panel(picClientArea, "picHistoric", Layout::Panel::kHeight);
    Label5 = panelTitle(picHistoric, "Label5");
    Label6 = darkBand(picHistoric, "Label6");
    CmdHistoricRead = command(picHistoric, "CmdHistoricRead", History::kRead, "cmd_read.png");
    CmdHistoricDisplay = command(picHistoric, "CmdHistoricDisplay", History::kSort, "cmd_sort.png");
    CmdHistoricPrint = command(picHistoric, "CmdHistoricPrint", History::kPrint, "cmd_print.png");
    lblCmdDeleteHistoric =
        command(picHistoric, "lblCmdDeleteHistoric", History::kClear, "cmd_clear.png");

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
    txtSendMessage->resize(txtSendMessage->width(), Twips::toPixels(twips));
    placeSendSizeLine();
    placeAttachmentTabStop();
}

void frmPelimo::placeAttachmentTabStop() {
    // Tab stops on the attachment box only while the message box leaves it uncovered.
    const bool covered = txtSendMessage->geometry().bottom() >= txtSendFiles->y();
    txtSendFiles->setFocusPolicy(covered ? Qt::ClickFocus : Qt::StrongFocus);
}

void frmPelimo::setReceiveMessageHeight(int twips) {
    txtReceiveMessage->resize(txtReceiveMessage->width(), Twips::toPixels(twips));
}
