#include "addressbook/frmAddressBook.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "addressbook/detection_stop.h"
#include "addressbook/network_walk.h"
#include "addressbook/presence_detection.h"
#include "errorreport/error_trap.h"
#include "sound/wave_player.h"
#include "stores/application.h"
#include "stores/contacts.h"
#include "stores/file_operations.h"
#include "stores/language_box.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "ui/accessible_names.h"
#include "ui/artwork.h"
#include "ui/label_button.h"
#include "ui/label_button_hover.h"
#include "ui/label_button_tables.h"
#include "ui/modal_dialogs.h"
#include "ui/palette.h"
#include "ui/twips.h"
#include "ui/window_parts.h"

qint16 gAddressBookMode = 0;
qint16 gAddressBookPickedUser = 0;

namespace {

const QString kForm = QStringLiteral("frmAddressBook");
const QColor& kWindowColour = Palette::kBlue;
const QColor& kCardColour = Palette::kDarkBlue;
const QColor& kSelectedColour = Palette::kBand;
const QColor& kFlagSet = Palette::kGreen;
const QColor& kFlagUnset = Palette::kRed;

constexpr int kWindowWidth = 7785;
constexpr int kWindowHeight = 5775;
constexpr int kCommandTop = 450;
constexpr int kCardTops[frmAddressBook::kCards] = {1140, 2235, 3330, 4425};
constexpr qint64 kMaxPhotoBytes = 32000;

// Inside a card, in twips: captions, their values, the two flags and theirs, in columns that do
// not run into each other in any language shipped; three rows.
namespace CardLayout {
constexpr int kCaptionLeft = 1020;
constexpr int kCaptionWidth = 1620;
constexpr int kValueLeft = 2700;
constexpr int kValueWidth = 2160;
constexpr int kFlagLeft = 4875;
constexpr int kFlagWidth = 1500;
constexpr int kFlagValueLeft = 6375;
constexpr int kFlagValueWidth = 765;
constexpr int kRowTops[] = {45, 375, 660};
constexpr int kRowHeight = 240;
}  // namespace CardLayout

QLabel* caption(QWidget* parent, const QString& name, int left, int top, int width, int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    WindowParts::place(label, left, top, width, height);
    WindowParts::paint(label, kCardColour, Palette::kWhite, false);
    return label;
}

QString indexed(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

QString flagText(bool flag) {
    return flag ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace

ContactCard::ContactCard(QWidget* parent) : QFrame(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void ContactCard::setPhoto(const QPixmap& photo) {
    photo_ = photo;
    update();
}

void ContactCard::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawPixmap(0, 0, photo_);
}

void ContactCard::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    emit gotFocus();
}

void ContactCard::focusOutEvent(QFocusEvent* event) {
    QFrame::focusOutEvent(event);
    // A message box or another window taking the keyboard is no loss of focus within the window.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit lostFocus();
}

void ContactCard::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    QFrame::mousePressEvent(event);
}

void ContactCard::mouseDoubleClickEvent(QMouseEvent* event) {
    QFrame::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

frmAddressBook::frmAddressBook(QWidget* parent)
    : QDialog(parent),
      lblLabAddressBookTitle(
          WindowParts::titleLabel(this, "lblLabAddressBookTitle", kWindowWidth, 12)),
      commandBand(WindowParts::named(new QLabel(this), "Label2")),
      lblCmdSelect(WindowParts::commandLabel(this, "lblCmdSelect", 120, kCommandTop, 930, 570)),
      lblCmdDetectUser(
          WindowParts::commandLabel(this, "lblCmdDetectUser", 1335, kCommandTop, 975, 525)),
      lblCmdPhoto(WindowParts::commandLabel(this, "lblCmdPhoto", 2475, kCommandTop, 765, 570)),
      lblCmdSound(WindowParts::commandLabel(this, "lblCmdSound", 3270, kCommandTop, 765, 570)),
      lblCmdSoundListen(
          WindowParts::commandLabel(this, "lblCmdSoundListen", 4125, kCommandTop, 720, 540)),
      lblCmdDelete(WindowParts::commandLabel(this, "lblCmdDelete", 4860, kCommandTop, 870, 570)),
      lblCmdQuit(WindowParts::commandLabel(this, "lblCmdQuit", 6855, kCommandTop, 870, 570)),
      lblNobodyConnected(WindowParts::plainLabel(this, "lblNobodyConnected")),
      VScroll1(WindowParts::named(new QScrollBar(Qt::Vertical, this), "VScroll1")),
      picDefault(WindowParts::named(new QLabel(this), "picDefault")),
      lblLabInfo1(WindowParts::plainLabel(this, "lblLabInfo1")) {
    setObjectName(kForm);
    gAddressBookPickedUser = 0;
    setFixedSize(Twips::toPixels(kWindowWidth), Twips::toPixels(kWindowHeight));
    WindowParts::paint(this, kWindowColour, Palette::kWhite);
    setFont(WindowParts::arial(8));

    WindowParts::paint(lblLabAddressBookTitle, kWindowColour, Palette::kWhite, false);
    WindowParts::place(commandBand, 15, 390, 7770, 675);
    WindowParts::paint(commandBand, Palette::kBand, Palette::kWhite);
    for (LabelButton* command : {lblCmdSelect, lblCmdDetectUser, lblCmdPhoto, lblCmdSound,
                                 lblCmdSoundListen, lblCmdDelete, lblCmdQuit}) {
        command->setFocusPolicy(Qt::NoFocus);
        command->raise();
    }

    WindowParts::place(lblNobodyConnected, 75, 1230, 7380, 750);
    lblNobodyConnected->setAlignment(Qt::AlignCenter);
    lblNobodyConnected->setWordWrap(true);
    // The label's right end lies under the scroll bar: its lines wrap clear of it.
    lblNobodyConnected->setContentsMargins(8, 0, 12, 0);
    lblNobodyConnected->setFont(WindowParts::arial(12, true));
    WindowParts::paint(lblNobodyConnected, kWindowColour, Palette::kWhite, false);
    lblNobodyConnected->setText(QStringLiteral(
        "Nobody Connected ? Are you in Network ? Please press 'Connected ?' button..."));
    WindowParts::setLanguageText(lblNobodyConnected, Msg::NobodyConnected);

    for (int index = 0; index < kCards; ++index)
        buildCard(index);

    WindowParts::place(VScroll1, 7440, 1140, 345, 4275);
    VScroll1->setSingleStep(1);
    VScroll1->setPageStep(1);

    picDefault->setPixmap(Artwork::defaultContactPhoto());
    picDefault->hide();

    // Inside the window, clear of its left edge.
    WindowParts::place(lblLabInfo1, 120, 5520, kWindowWidth - 240, 255);
    WindowParts::paint(lblLabInfo1, kWindowColour, Palette::kWhite, false);

    connect(VScroll1, &QScrollBar::valueChanged, this, &frmAddressBook::VScroll1_Change);
    connect(lblCmdSelect, &LabelButton::clicked, this, &frmAddressBook::lblCmdSelect_Click);
    connect(lblCmdDetectUser, &LabelButton::clicked, this, &frmAddressBook::lblCmdDetectUser_Click);
    connect(lblCmdPhoto, &LabelButton::clicked, this, &frmAddressBook::lblCmdPhoto_Click);
    connect(lblCmdSound, &LabelButton::clicked, this, &frmAddressBook::lblCmdSound_Click);
    connect(lblCmdSoundListen, &LabelButton::clicked, this,
            &frmAddressBook::lblCmdSoundListen_Click);
    connect(lblCmdDelete, &LabelButton::clicked, this, &frmAddressBook::lblCmdDelete_Click);
    connect(lblCmdQuit, &LabelButton::clicked, this, &frmAddressBook::lblCmdQuit_Click);
    addDiagnosisCommand();
    LabelButtons::install(this, LabelButtonTables::addressBook());

    Form_Load();
}

frmAddressBook::~frmAddressBook() = default;

void frmAddressBook::buildCard(int index) {
    auto* card = new ContactCard(this);
    picUser[index] = card;
    card->setObjectName(indexed("picUser", index));
    card->setGeometry(Twips::rect(135, kCardTops[index], 7215, 1020));
    WindowParts::paint(card, kCardColour, Palette::kWhite, true);

    using namespace CardLayout;
    lblUserName[index] = caption(card, indexed("lblUserName", index), kCaptionLeft, kRowTops[0],
                                 kCaptionWidth, kRowHeight);
    auto* box = new QLineEdit(card);
    txtUserName[index] = box;
    box->setObjectName(indexed("txtUserName", index));
    box->setGeometry(Twips::rect(kValueLeft, 30, kValueWidth, 285));
    box->setFrame(false);
    WindowParts::paint(box, kCardColour, Palette::kWhite, true);
    box->installEventFilter(this);
    lblComputerName[index] = caption(card, indexed("lblComputerName", index), kCaptionLeft,
                                     kRowTops[1], kCaptionWidth, kRowHeight);
    lblComputerNameResult[index] = caption(card, indexed("lblComputerNameResult", index),
                                           kValueLeft, kRowTops[1], kValueWidth, kRowHeight);
    lblGroupName[index] = caption(card, indexed("lblGroupName", index), kCaptionLeft, kRowTops[2],
                                  kCaptionWidth, kRowHeight);
    lblGroupNameResult[index] = caption(card, indexed("lblGroupNameResult", index), kValueLeft,
                                        kRowTops[2], kValueWidth, kRowHeight);
    lblLabConnected[index] = caption(card, indexed("lblLabConnected", index), kFlagLeft,
                                     kRowTops[1], kFlagWidth, kRowHeight);
    lblLabConnectedResult[index] =
        caption(card, indexed("lblLabConnectedResult", index), kFlagValueLeft, kRowTops[1],
                kFlagValueWidth, kRowHeight);
    lblLabPelimoReady[index] = caption(card, indexed("lblLabPelimoReady", index), kFlagLeft,
                                       kRowTops[2], kFlagWidth, kRowHeight);
    lblLabPelimoReadyResult[index] =
        caption(card, indexed("lblLabPelimoReadyResult", index), kFlagValueLeft, kRowTops[2],
                kFlagValueWidth, kRowHeight);

    connect(card, &ContactCard::gotFocus, this, [this, index] { mSelectUser(index); });
    connect(card, &ContactCard::lostFocus, this, [this, index] { mDeSelectUser(index); });
    connect(card, &ContactCard::doubleClicked, this, [this, index] { picUser_DblClick(index); });
    connect(box, &QLineEdit::textEdited, this, [this, index] { txtUserName_Change(index); });
}

bool frmAddressBook::eventFilter(QObject* watched, QEvent* event) {
    for (int index = 0; index < kCards; ++index) {
        if (watched != txtUserName[index])
            continue;
        if (event->type() == QEvent::FocusIn) {
            mSelectUser(index);
        } else if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                mDeSelectUser(index);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmAddressBook::Form_Load() {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    mDisplayLanguage();
    mDisplayUser();
    mSelectedUser = 0;
}

void frmAddressBook::mDisplayLanguage() {
    ErrorTrap trap(kForm, QStringLiteral("mDisplayLanguage"));
    trap.step([&] { setWindowTitle(gFctGetMessage(Msg::AddressBookCaption)); });
    trap.step([&] { lblLabAddressBookTitle->setText(gFctGetMessage(Msg::AddressBookTitle)); });
    trap.step([&] { lblCmdDetectUser->setText(gFctGetMessage(Msg::Detect)); });
    trap.step([&] { lblCmdPhoto->setText(gFctGetMessage(Msg::Photo)); });
    trap.step([&] { lblCmdSound->setText(gFctGetMessage(Msg::Sound)); });
    trap.step([&] { lblCmdSoundListen->setText(gFctGetMessage(Msg::Listen)); });
    trap.step([&] { lblCmdDelete->setText(gFctGetMessage(Msg::Erase)); });
    trap.step([&] { lblCmdQuit->setText(gFctGetMessage(Msg::Quit)); });
    for (int index = 0; index < kCards; ++index) {
        trap.step([&] {
            lblUserName[index]->setText(gFctGetMessage(Msg::LocalName) + QStringLiteral(" *"));
        });
        trap.step([&] { lblComputerName[index]->setText(gFctGetMessage(Msg::ComputerName)); });
        trap.step([&] { lblGroupName[index]->setText(gFctGetMessage(Msg::Workgroup)); });
        trap.step([&] { lblLabConnected[index]->setText(gFctGetMessage(Msg::Connected)); });
        trap.step([&] { lblLabPelimoReady[index]->setText(gFctGetMessage(Msg::Ready)); });
    }
    trap.step([&] {
        lblCmdSelect->setText(
            gFctGetMessage(gAddressBookMode == kAddressBookPickMode ? Msg::Select : Msg::Ok));
    });
    trap.step([&] { AccessibleNames::apply(this, AccessibleNames::addressBook()); });
}

void frmAddressBook::fillCard(int index, int position) {
    const Contact& contact = ContactList[position];
    txtUserName[index]->setText(contact.UserName);
    lblComputerNameResult[index]->setText(QStringLiteral(": ") + contact.UserComputerName);
    lblGroupNameResult[index]->setText(QStringLiteral(": ") + contact.UserGroupName);
    lblLabPelimoReadyResult[index]->setText(QStringLiteral(": ") + flagText(contact.Ready));
    lblLabConnectedResult[index]->setText(QStringLiteral(": ") + flagText(contact.Connected));
    WindowParts::paint(lblLabPelimoReadyResult[index], kCardColour,
                       contact.Ready ? kFlagSet : kFlagUnset, false);
    WindowParts::paint(lblLabConnectedResult[index], kCardColour,
                       contact.Connected ? kFlagSet : kFlagUnset, false);
    picUser[index]->show();
    QPixmap photo;
    if (!contact.UserPicturePath.isEmpty())
        photo.load(contact.UserPicturePath);
    picUser[index]->setPhoto(photo.isNull() ? picDefault->pixmap() : photo);
}

void frmAddressBook::mDisplayUser() {
    const int count = std::clamp<int>(ContactList.Count, 0, kMaxContacts);
    lblLabInfo1->setText(QString::number(count) + QLatin1Char(' ') + gFctGetMessage(Msg::Contacts));
    if (count < kCards) {
        VScroll1->setRange(0, 0);
        VScroll1->setEnabled(false);
        for (int index = count; index < kCards; ++index)
            picUser[index]->hide();
        for (int index = 0; index < count; ++index)
            fillCard(index, index + 1);
        return;
    }
    // Lowering the maximum below the position moves it, which runs VScroll1_Change.
    VScroll1->setRange(0, count - kCards);
    VScroll1->setEnabled(true);
    const int position = VScroll1->value();
    for (int index = 0; index < kCards; ++index)
        fillCard(index, position + index + 1);
}

void frmAddressBook::setCardBackground(int index, const QColor& colour) {
    WindowParts::paint(picUser[index], colour, Palette::kWhite, true);
    WindowParts::paint(txtUserName[index], colour, Palette::kWhite, true);
}

void frmAddressBook::mSelectUser(int index) {
    ErrorTrap trap(kForm, QStringLiteral("mSelectUser"));
    trap.step([&] { setCardBackground(index, kSelectedColour); });
    trap.step([&] { mSelectedUser = static_cast<qint16>(VScroll1->value() + index + 1); });
}

void frmAddressBook::mDeSelectUser(int index) {
    setCardBackground(index, kCardColour);
    mSelectedUser = 0;
}

void frmAddressBook::txtUserName_Change(int index) {
    ErrorTrap trap(kForm, QStringLiteral("txtUserName_Change"));
    trap.step(
        [&] { ContactList[VScroll1->value() + index + 1].UserName = txtUserName[index]->text(); });
}

void frmAddressBook::VScroll1_Change() {
    mSelectedUser = 0;
    mDisplayUser();
}

void frmAddressBook::picUser_DblClick(int index) {
    mSelectUser(index);
    lblCmdSelect_Click();
}

void frmAddressBook::lblCmdSelect_Click() {
    if (busy())
        return;
    gAddressBookPickedUser = 0;
    if (gAddressBookMode == kAddressBookPickMode) {
        if (mSelectedUser == 0) {
            LanguageBox::show(Msg::NoContactSelected, MsgBoxButtons::Ok, MsgBoxIcon::Information);
            return;
        }
        gAddressBookPickedUser = mSelectedUser;
    }
    unload();
}

void frmAddressBook::lblCmdQuit_Click() {
    gAddressBookPickedUser = 0;
    if (busy()) {
        stopDetectionThenUnload();
        return;
    }
    unload();
}

void frmAddressBook::stopDetectionThenUnload() {
    unloadAfterDetection_ = true;
    DetectionStop::instance().request();
}

void frmAddressBook::lblCmdDelete_Click() {
    if (busy())
        return;
    if (mSelectedUser == 0) {
        LanguageBox::show(Msg::ContactDeleteNoSelection, MsgBoxButtons::Ok,
                          MsgBoxIcon::Information);
        return;
    }
    if (LanguageBox::show(Msg::ContactConfirmDelete, MsgBoxButtons::OkCancel, MsgBoxIcon::None) !=
        MsgBoxResult::Ok)
        return;
    if (!gFctDeleteContact(mSelectedUser))
        LanguageBox::show(Msg::ContactDeleteFailed, MsgBoxButtons::Ok, MsgBoxIcon::Exclamation);
    mDisplayUser();
}

void frmAddressBook::lblCmdPhoto_Click() {
    if (busy())
        return;
    ErrorTrap trap(kForm, QStringLiteral("lblCmdPhoto_Click"));
    if (mSelectedUser == 0) {
        LanguageBox::show(Msg::PhotoNoSelection, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        return;
    }
    QString chosen;
    trap.step([&] {
        chosen = DialogSeam::openFileName(gFctGetMessage(Msg::ChoosePhoto),
                                          gApplicationFolder + QStringLiteral("Picture"),
                                          QStringLiteral("Bmp (*.bmp)"));
    });
    if (chosen.isEmpty())
        return;
    if (gFctGetFileLength(chosen) > kMaxPhotoBytes) {
        LanguageBox::show(Msg::PhotoTooLarge, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        return;
    }
    trap.step([&] { ContactList[mSelectedUser].UserPicturePath = chosen; });
    trap.step([&] { mDisplayUser(); });
}

void frmAddressBook::lblCmdSound_Click() {
    if (busy())
        return;
    ErrorTrap trap(kForm, QStringLiteral("lblCmdSound_Click"));
    if (mSelectedUser == 0) {
        LanguageBox::show(Msg::SoundNoSelection, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        return;
    }
    QString chosen;
    trap.step([&] {
        chosen = DialogSeam::openFileName(gFctGetMessage(Msg::ChooseSound),
                                          gApplicationFolder + QStringLiteral("Sound"),
                                          QStringLiteral("wave (*.wav)"));
    });
    if (chosen.isEmpty())
        return;
    trap.step([&] { ContactList[mSelectedUser].UserSoundPath = chosen; });
    trap.step([&] { mDisplayUser(); });
}

void frmAddressBook::lblCmdSoundListen_Click() {
    if (busy())
        return;
    ErrorTrap trap(kForm, QStringLiteral("lblCmdSoundListen_Click"));
    if (mSelectedUser == 0) {
        LanguageBox::show(Msg::ListenNoSelection, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        return;
    }
    QString path;
    trap.step([&] { path = ContactList[mSelectedUser].UserSoundPath; });
    if (path.isEmpty()) {
        LanguageBox::show(Msg::NoSound, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        return;
    }
    bool played = false;
    trap.step([&] { played = gFctPlayWave(path); });
    if (!played) {
        gCloseWave();
        LanguageBox::show(Msg::SoundFailed, MsgBoxButtons::Ok, MsgBoxIcon::Exclamation);
    }
}

void frmAddressBook::lblCmdDetectUser_Click() {
    if (busy())
        return;
    detecting_ = true;
    DetectionStop::instance().clear();
    PresenceDetection::beginHearing();
    ErrorTrap trap(kForm, QStringLiteral("lblCmdDetectUser_Click"));
    trap.step([&] { setCursor(Qt::WaitCursor); });
    trap.step([&] { lblLabInfo1->clear(); });
    // Sent first, so that the answers of the running copies arrive while the network is walked.
    trap.step([&] { PresenceDetection::requestWorkgroupIdentification(); });
    trap.step([&] { gDetectComputersOnNetwork([this] { appendProgress(); }); });
    const QStringList heard = PresenceDetection::endHearing();
    if (DetectionStop::instance().requested()) {
        // Stopped: nothing half-walked is marked; what the receiver recorded stays.
    } else if (gNbFoundComputer == 0 && heard.isEmpty()) {
        LanguageBox::show(Msg::NothingFound, MsgBoxButtons::Ok, MsgBoxIcon::Exclamation);
    } else {
        trap.step([&] { PresenceDetection::markFoundComputers(heard); });
        trap.step([&] { mRequestPelimoIdentification(); });
    }
    trap.step([&] { unsetCursor(); });
    trap.step([&] { mDisplayUser(); });
    detecting_ = false;
    if (unloadAfterDetection_)
        unload();
}

void frmAddressBook::mRequestPelimoIdentification() {
    ErrorTrap trap(kForm, QStringLiteral("mRequestPelimoIdentification"));
    trap.step([&] { PresenceDetection::requestIdentifications([this] { appendProgress(); }); });
}

// One "|" more on the status line: the progress bar of a detection.
void frmAddressBook::appendProgress() {
    lblLabInfo1->setText(lblLabInfo1->text() + QLatin1Char('|'));
}

void frmAddressBook::mColorLabelAddressStop() {
    LabelButtons::runReset(this, "mColorLabelAddressStop");
}

void frmAddressBook::Form_Unload() {
    gSaveUserIni();
}

void frmAddressBook::unload() {
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    done(gAddressBookPickedUser != 0 ? QDialog::Accepted : QDialog::Rejected);
}

void frmAddressBook::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    if (busy()) {
        // The close box, or the program ending: the detection stops and the window unloads when
        // it has returned. What is in the table now is written at once, in case the program
        // ends before that.
        gAddressBookPickedUser = 0;
        stopDetectionThenUnload();
        gSaveUserIni();
        event->ignore();
        return;
    }
    // The close box is Quit.
    gAddressBookPickedUser = 0;
    unloaded_ = true;
    Form_Unload();
    event->accept();
}

void frmAddressBook::reject() {
    if (unloaded_) {
        QDialog::reject();
        return;
    }
    lblCmdQuit_Click();
}

void AddressBookWindow::show(QWidget* parent) {
    gAddressBookMode = kAddressBookBrowseMode;
    frmAddressBook window(parent);
    DialogSeam::execModal(&window);
}

qint16 AddressBookWindow::pickContact(QWidget* parent) {
    gAddressBookMode = kAddressBookPickMode;
    frmAddressBook window(parent);
    DialogSeam::execModal(&window);
    return gAddressBookPickedUser;
}
