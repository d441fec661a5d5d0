// The main window: the program itself. Start-up and shutdown, the three panels (send, read,
// history) switched from the panel bar, the menus and the tray icon, the receive loop that shows
// arriving messages, and the send panel. Controls carry the names of the window's design so the
// other windows and the tests reach them by name.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <optional>

#include "stores/decoded_message.h"

class DesktopNotifier;
class ErrorTrap;
class HistoryTableModel;
struct Letterhead;
class LabelButton;
class LimitedTextBox;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSystemTrayIcon;
class QTableView;
class QTimer;
class QWidget;
class StatusNotifierItem;

class frmPelimo : public QMainWindow {
    Q_OBJECT
public:
    explicit frmPelimo(QWidget* parent = nullptr);
    ~frmPelimo() override;

    // Whether the desktop has a system tray; tests replace it. Where there is none, minimising
    // leaves the window minimised instead of hiding it.
    using TrayAvailability = std::function<bool()>;
    static void setTrayAvailability(TrayAvailability availability);
    static bool isTrayAvailable();
    // Whether Qt's own tray icon may stand in for the StatusNotifierItem: only where no watcher
    // ran at start-up, so that it is the X11 tray's icon and never a second item.
    static bool isQtTrayUsable();

    // Called with the name of each start-up and shutdown step before it runs (tests watch the
    // order and make a step fail by throwing).
    using StepProbe = std::function<void(const QString& step)>;
    static void setStepProbe(StepProbe probe);

    // --- start-up, panels, tray and shutdown
    void Form_Load();
    void mInitInterface();
    void mDisplayLanguage();
    void mDisplayWindows();
    void mDisplayInfoNbHistoric();
    void mOpenWindowsTray();
    void TimerDateTime_Timer();
    // Runs the shutdown; with `askConfirmation` it first asks (language message 87) and returns
    // false when the user cancels. Runs once: later calls return true.
    bool Form_Unload(bool askConfirmation);
    // The end of the session or a termination signal: the shutdown without the question.
    void shutdownWithoutQuestion();
    bool isUnloaded() const { return unloaded_; }

    void lblMenuSendMessage_Click();
    void lblMenuSendMessage2_Click();
    void lblMenuReadMessage_Click();
    void lblMenuReadMessage2_Click();
    void lblMenuAddressBook_Click();
    void MenuQuit_Click();
    void MenuAide_Click();
    void MHideOpen_Click();
    void MHideQuit_Click();

    // Resets the highlighting of the panel bar's text entries.
    void mColorLabelMenuStop();

    // --- the favorites and preferences windows
    void lblCmdSendFavori_Click();
    void MenuSetting_Click();
    void MenuAbout_Click();
    void MHideAbout_Click();

    // --- receiving
    void TimerMailSlot_Timer();
    void TimerTestRead_Timer();
    void mDisplayMessage();
    void mAddMessageToHistoric();
    void lblLabReceiveFrom_Click();
    // At shutdown: every datagram still waiting is stored in the history (ordinary messages) or
    // dropped (identification kinds).
    void drainMailSlot();
    // The longest receive tick so far, in nanoseconds (for measurements).
    qint64 longestReceiveTickNs() const { return longestTickNs_; }
    void resetReceiveTickStatistics() { longestTickNs_ = 0; }

    // --- the tray icon as a StatusNotifierItem, where a desktop has a watcher for one
    void startStatusNotifierItem();
    StatusNotifierItem* statusItem() const { return statusItem_; }

    // --- "Why can't I reach it?" from the addressee box's context menu
    void connectAddresseeDiagnosis();
    // The computer the addressee item at `position` of the addressee box names; empty when the
    // item cannot be diagnosed (a workgroup wildcard, nothing typed).
    QString addresseeComputerAt(int position) const;

    // --- desktop notifications
    // Whether the user has the window in front: shown, not minimised and active.
    bool windowInFront() const;
    // Tells of `newest`, the last of the `messagesInTick` messages of a receive tick, in a desktop
    // notification (when the preference allows it).
    void notifyArrivals(const DecodedMessageData& newest, int messagesInTick);
    // The notification's actions: the window in front on the read panel with the notified
    // message; the same, then the reply to its sender.
    void openNotifiedMessage();
    void replyToNotifiedMessage();
    // The notifier, created with the first notification; nullptr before.
    DesktopNotifier* notifier() const { return notifier_; }

    // --- sending
    void lblCmdSendNow_Click();
    void mSendMessageGetMultiUserComputerName(const QString& ListMultiUser);
    void lblCmdSendDel_Click();
    void lblLabReceiveAnswer_Click();
    // Adds the user name of the contact at `Index` (1-based) to the addressee box; 0 shows
    // language message 88.
    void mAddUserToSendUserList(qint16 Index);
    // Opens the address book to pick a recipient.
    void lblCmdSendSelectUser_Click();
    // Recounts the size line from the panel's boxes.
    void displaySendSize();

    // --- history panel and printing
    void lblMenuHistoric_Click();
    void lblMenuHistoric2_Click();
    void mDisplayHistoric();
    void CmdHistoricRead_Click();
    void MSFlexGrid1_DblClick();
    // A click on a column heading sorts the rows by that column.
    void MSFlexGrid1_HeadingClick(int column);
    void CmdHistoricDisplay_Click();
    void MTriSender_Click();
    void MTriDate_Click();
    void lblCmdDeleteHistoric_Click();
    void MHide2DelOne_Click();
    void MHide2DelAll_Click();
    void lblLabReceivePrint_Click();
    void lblCmdSendPrint_Click();
    void CmdHistoricPrint_Click();
    // --- attachments
    void lblCmdSendJoin_Click();
    void txtSendFiles_LostFocus();
    void lblLabReceiveSaveFile_Click();

    // Resolved addressees of the last send: entry i (1-based) at mComputerNames[i - 1].
    qint32 mNbComputerName = 0;
    QStringList mComputerNames;

signals:
    // The shutdown has run; the program may end.
    void shutdownFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // --- controls of the window, reached from outside by their object names
    QWidget* picClientArea;
    QLabel* picMenuBackground;
    QLabel* lblTagline;  // under the panel bar's entries
    LabelButton* lblMenuSendMessage2;
    LabelButton* lblMenuReadMessage2;
    LabelButton* lblMenuHistoric2;
    LabelButton* lblMenuAddressBook2;
    LabelButton* lblMenuSendMessage;
    LabelButton* lblMenuReadMessage;
    LabelButton* lblMenuHistoric;
    LabelButton* lblMenuAddressBook;
    QLabel* lblInfo1;
    QLabel* lblDate;
    QLabel* picPrint;

    // send panel
    QWidget* picSendMessage;
    QLabel* lblLabSendTitle;
    QLabel* Label2;
    LabelButton* lblCmdSendNow;
    LabelButton* lblCmdSendFavori;
    LabelButton* lblCmdSendJoin;
    LabelButton* lblCmdSendPrint;
    LabelButton* lblCmdSendDel;
    LabelButton* lblCmdSendSelectUser;
    QPlainTextEdit* txtSendUserList;
    LimitedTextBox* txtSendMessage;
    QLabel* lblLabSendFiles;
    QLineEdit* txtSendFiles;
    // The size line at the foot of the message box.
    QLabel* lblLabSendSize;

    // read panel
    QWidget* picReadMessage;
    QLabel* lblLabReceiveTitle;
    QLabel* Label9;
    LabelButton* lblLabReceiveAnswer;
    LabelButton* lblLabReceivePrint;
    LabelButton* lblLabReceiveSaveFile;
    QLabel* picReceivePhoto;
    QLabel* lblLabReceiveFrom;
    QLabel* lblLabReceiveSendTo;
    QLabel* lblLabReceiveDate;
    QPlainTextEdit* txtReceiveMessage;
    QLabel* lblLabReceiveFiles;
    QLineEdit* txtReceiveFiles;

    // history panel
    QWidget* picHistoric;
    QLabel* Label5;
    QLabel* Label6;
    LabelButton* CmdHistoricRead;
    LabelButton* CmdHistoricDisplay;
    LabelButton* CmdHistoricPrint;
    LabelButton* lblCmdDeleteHistoric;
    QTableView* MSFlexGrid1;
    HistoryTableModel* MSFlexGrid1Model;
    QLabel* picMessRead;
    QLabel* picMessNoRead;
    QLabel* picMessfileRead;
    QLabel* picMessfileNoRead;

    // menus
    QMenu* MenuFile;
    QAction* MenuSetting;
    QAction* MenuQuit;
    QMenu* MenuHelp;
    QAction* MenuAide;
    QAction* MenuAbout;
    QMenu* MHide;
    QAction* MHideAbout;
    QAction* MHideOpen;
    QAction* MHideQuit;
    QMenu* MTri;
    QAction* MTriSender;
    QAction* MTriDate;
    QMenu* MHide2;
    QAction* MHide2DelOne;
    QAction* MHide2DelAll;

    QSystemTrayIcon* trayIcon = nullptr;

    QTimer* TimerMailSlot;
    QTimer* TimerDateTime;
    QTimer* TimerTestRead;

    // ModGlobal's tray start-up creates and shows the tray icon.
    friend void gDisplayIconTray(frmPelimo* form);

    void buildLayout();
    void buildPanelBar();
    void buildSendPanel();
    void buildSendSizeLine();
    void placeSendSizeLine();
    void buildReadPanel();
    void buildHistoricPanel();
    void buildMenus();
    void buildTimers();
    void connectHandlers();
    void connectKeyboard();
    // Gives the focus to the first box of the panel shown.
    void focusCurrentPanel();
    void connectAttachmentHandlers();
    void Form_Resize();
    void showDefaultPhoto();
    // Handles the datagram just scanned (entry MessageCount); an ordinary message is stored and
    // becomes `newest`. `live` false (shutdown): identification datagrams are dropped.
    void takeNewestDatagram(ErrorTrap& trap, bool live, std::optional<DecodedMessageData>& newest);
    void setSendMessageHeight(int twips);
    void placeAttachmentTabStop();
    void setReceiveMessageHeight(int twips);
    void emptySendPanel();
    void buildHistoricGrid();
    void connectHistoricHandlers();
    // The entry number shown in the history grid's current row; 0 for none.
    qint32 currentHistoryNumber() const;
    Letterhead letterheadForPrinting() const;
    // Runs one named step of start-up or shutdown in `trap`.
    template <class Statement>
    void runStep(ErrorTrap& trap, const char* name, Statement&& statement);

    bool unloaded_ = false;
    bool receiving_ = false;  // a tick of the receive loop is running
    qint64 longestTickNs_ = 0;
    quint64 lostShown_ = 0;  // lost datagrams the count line tells of
    DesktopNotifier* notifier_ = nullptr;
    StatusNotifierItem* statusItem_ = nullptr;
    // Chooses the icon shown (the item, else the X11 tray's) and brings back a window hidden in
    // a tray that went away.
    void trayChanged();
    DecodedMessageData notifiedMessage_;
};

// ModGlobal: shows the tray icon of `form`.
void gDisplayIconTray(frmPelimo* form);
