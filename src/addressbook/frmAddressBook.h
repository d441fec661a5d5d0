// The address book window: the contacts as cards of four with a scroll bar, renaming, photo and
// sound, listening, deleting, presence detection and, opened from the send panel, picking one
// contact. Every change goes to ContactList; "User.dat" is written once, when the window unloads.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QPixmap>
#include <QtGlobal>
#include <array>

class LabelButton;
class QLabel;
class QLineEdit;
class QScrollBar;

inline constexpr qint16 kAddressBookPickMode = 1;
inline constexpr qint16 kAddressBookBrowseMode = 2;

// Set by the opener before showing the window.
extern qint16 gAddressBookMode;
// The position of the contact picked, 0 for none; read by the opener after the window closed.
extern qint16 gAddressBookPickedUser;

// One card (picUser): draws its photo from its top-left corner and can take the focus.
class ContactCard : public QFrame {
    Q_OBJECT
public:
    explicit ContactCard(QWidget* parent = nullptr);
    void setPhoto(const QPixmap& photo);
    const QPixmap& photo() const { return photo_; }

signals:
    void gotFocus();
    void lostFocus();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPixmap photo_;
};

class frmAddressBook : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCards = 4;

    explicit frmAddressBook(QWidget* parent = nullptr);
    ~frmAddressBook() override;

    qint16 mSelectedUser = 0;

    void mDisplayLanguage();
    void mDisplayUser();
    void mSelectUser(int index);
    void mDeSelectUser(int index);
    void txtUserName_Change(int index);
    void VScroll1_Change();
    void picUser_DblClick(int index);
    void lblCmdSelect_Click();
    void lblCmdQuit_Click();
    void lblCmdDelete_Click();
    void lblCmdPhoto_Click();
    void lblCmdSound_Click();
    void lblCmdSoundListen_Click();
    void lblCmdDetectUser_Click();
    void mRequestPelimoIdentification();
    void mColorLabelAddressStop();
    // Opens "Why can't I reach it?" for the selected contact's computer.
    void diagnoseSelectedContact();

    bool isDetecting() const { return detecting_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* lblLabAddressBookTitle;
    QLabel* commandBand;
    LabelButton* lblCmdSelect;
    LabelButton* lblCmdDetectUser;
    LabelButton* lblCmdPhoto;
    LabelButton* lblCmdSound;
    LabelButton* lblCmdSoundListen;
    LabelButton* lblCmdDelete;
    LabelButton* lblCmdQuit;
    QLabel* lblNobodyConnected;
    std::array<ContactCard*, kCards> picUser{};
    std::array<QLineEdit*, kCards> txtUserName{};
    std::array<QLabel*, kCards> lblUserName{};
    std::array<QLabel*, kCards> lblComputerName{};
    std::array<QLabel*, kCards> lblGroupName{};
    std::array<QLabel*, kCards> lblLabConnected{};
    std::array<QLabel*, kCards> lblLabPelimoReady{};
    std::array<QLabel*, kCards> lblComputerNameResult{};
    std::array<QLabel*, kCards> lblGroupNameResult{};
    std::array<QLabel*, kCards> lblLabConnectedResult{};
    std::array<QLabel*, kCards> lblLabPelimoReadyResult{};
    QScrollBar* VScroll1;
    QLabel* picDefault;
    QLabel* lblLabInfo1;
    LabelButton* lblCmdDiagnose = nullptr;

    void Form_Load();
    void Form_Unload();
    void buildCard(int index);
    void addDiagnosisCommand();
    void fillCard(int index, int position);
    void setCardBackground(int index, const QColor& colour);
    void appendProgress();
    void unload();
    // Commands wait while a detection runs: its event processing must not reenter the window.
    bool busy() const { return detecting_; }
    // Quit or a close while a detection runs: the detection is stopped and the window unloads
    // once it has returned.
    void stopDetectionThenUnload();

    bool unloaded_ = false;
    bool detecting_ = false;
    bool unloadAfterDetection_ = false;
};

namespace AddressBookWindow {

// The two openers of the main window: browse mode, and pick mode returning the position picked
// (0 for none).
void show(QWidget* parent);
qint16 pickContact(QWidget* parent);

}  // namespace AddressBookWindow
