// The history panel: the grid over HistoryList, reading an entry, sorting and deleting.
#include <QAction>
#include <QCursor>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <iterator>
#include <utility>

#include "errorreport/error_trap.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/history_table_model.h"
#include "mainwindow/main_window_layout.h"
#include "mainwindow/panel_state.h"
#include "seam/dialog_seam.h"
#include "stores/history_file.h"
#include "stores/language_box.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "stores/number_text.h"
#include "ui/label_button.h"
#include "ui/twips.h"

namespace {

constexpr char kCannotDeleteHistory[] = "error, can't erase historic messages.";

namespace Layout = MainWindowLayout::HistoryPanel;
static_assert(std::size(Layout::kColumnWidths) == HistoryColumn::Count);

}  // namespace

void frmPelimo::buildHistoricGrid() {
    MSFlexGrid1Model = new HistoryTableModel(this);
    MSFlexGrid1Model->setObjectName(QStringLiteral("MSFlexGrid1Model"));
    MSFlexGrid1 = new QTableView(picHistoric);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setGeometry(Twips::rect(Layout::kGrid));
    MSFlexGrid1->setModel(MSFlexGrid1Model);
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFlexGrid1->setWordWrap(false);
    MSFlexGrid1->setSortingEnabled(false);
    // A white grid with black text, whatever the panel's colours.
    QPalette colours = MSFlexGrid1->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::black);
    MSFlexGrid1->setPalette(colours);
    // Fixed row heights and column widths: the view never measures its 100 000 rows.
    QHeaderView* rows = MSFlexGrid1->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(Twips::toPixels(Layout::kRowHeight));
    QHeaderView* columns = MSFlexGrid1->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setStretchLastSection(false);
    columns->setHighlightSections(false);
    columns->setSectionsClickable(true);
    for (int column = 0; column < HistoryColumn::Count; ++column)
        MSFlexGrid1->setColumnWidth(column, Twips::toPixels(Layout::kColumnWidths[column]));
}

void frmPelimo::connectHistoricHandlers() {
    connect(lblMenuHistoric, &LabelButton::clicked, this, &frmPelimo::lblMenuHistoric_Click);
    connect(lblMenuHistoric2, &LabelButton::clicked, this, &frmPelimo::lblMenuHistoric2_Click);
    connect(CmdHistoricRead, &LabelButton::clicked, this, &frmPelimo::CmdHistoricRead_Click);
    connect(CmdHistoricDisplay, &LabelButton::clicked, this, &frmPelimo::CmdHistoricDisplay_Click);
    connect(CmdHistoricPrint, &LabelButton::clicked, this, &frmPelimo::CmdHistoricPrint_Click);
    connect(lblCmdDeleteHistoric, &LabelButton::clicked, this,
            &frmPelimo::lblCmdDeleteHistoric_Click);
    connect(MSFlexGrid1, &QAbstractItemView::doubleClicked, this, &frmPelimo::MSFlexGrid1_DblClick);
    connect(MSFlexGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &frmPelimo::MSFlexGrid1_HeadingClick);
    connect(MTriSender, &QAction::triggered, this, &frmPelimo::MTriSender_Click);
    connect(MTriDate, &QAction::triggered, this, &frmPelimo::MTriDate_Click);
    connect(MHide2DelOne, &QAction::triggered, this, &frmPelimo::MHide2DelOne_Click);
    connect(MHide2DelAll, &QAction::triggered, this, &frmPelimo::MHide2DelAll_Click);
    connect(lblLabReceivePrint, &LabelButton::clicked, this, &frmPelimo::lblLabReceivePrint_Click);
    connect(lblCmdSendPrint, &LabelButton::clicked, this, &frmPelimo::lblCmdSendPrint_Click);
}

void frmPelimo::lblMenuHistoric_Click() {
    lblMenuHistoric2_Click();
    mDisplayInfoNbHistoric();
}

void frmPelimo::lblMenuHistoric2_Click() {
    mDisplayHistoric();
    gCurrentPanel = kPanelHistoric;
    mDisplayWindows();
}

void frmPelimo::mDisplayHistoric() {
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("mDisplayHistoric"));
    trap.step([this] {
        MSFlexGrid1Model->setStateIcons({picMessRead->pixmap(), picMessNoRead->pixmap(),
                                         picMessfileRead->pixmap(), picMessfileNoRead->pixmap()});
    });
    trap.step([this] {
        MSFlexGrid1Model->rebuild({QString(), gFctGetMessage(Msg::Sender),
                                   gFctGetMessage(Msg::MessageText), gFctGetMessage(Msg::Addressee),
                                   gFctGetMessage(Msg::Date), gFctGetMessage(Msg::Number)});
    });
    // The newest entry is current, so reading without a click opens it.
    trap.step([this] {
        const int last = MSFlexGrid1Model->rowCount() - 1;
        if (last < 0)
            return;
        MSFlexGrid1->setCurrentIndex(MSFlexGrid1Model->index(last, HistoryColumn::State));
        MSFlexGrid1->scrollToBottom();
    });
}

qint32 frmPelimo::currentHistoryNumber() const {
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (!current.isValid())
        return 0;
    const QString shown =
        MSFlexGrid1Model->index(current.row(), HistoryColumn::Number).data().toString();
    return static_cast<qint32>(NumberText::leadingNumber(shown, NumberForm::WholeDigits));
}

void frmPelimo::CmdHistoricRead_Click() {
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("CmdHistoricRead_Click"));
    qint32 n = 0;
    trap.step([this, &n] { n = currentHistoryNumber(); });
    if (n == 0)
        return;
    trap.step([n] {
        const HistoryEntry entry = std::as_const(HistoryList)[n];
        DecodedMessage.Sender = entry.Sender;
        DecodedMessage.Addressee = entry.Addressee;
        DecodedMessage.Text = entry.Text;
        DecodedMessage.ReceivedDate = entry.ReceivedDate;
        DecodedMessage.ReceivedTime = entry.ReceivedTime;
        DecodedMessage.AttachmentPath = entry.AttachmentPath;
        DecodedMessage.Kind = kKindPlain;
    });
    trap.step([n] {
        const qint16 state =
            DecodedMessage.AttachmentPath.isEmpty() ? kStateRead : kStateReadWithAttachment;
        DecodedMessage.State = state;
        HistoryList.setState(n, state);
    });
    trap.step([this] { mDisplayMessage(); });
    trap.step([this] {
        gCurrentPanel = kPanelRead;
        mDisplayWindows();
    });
    trap.step([this] { mDisplayInfoNbHistoric(); });
}

void frmPelimo::MSFlexGrid1_DblClick() {
    CmdHistoricRead_Click();
}

void frmPelimo::MSFlexGrid1_HeadingClick(int column) {
    MSFlexGrid1Model->sortByColumn(column);
}

void frmPelimo::CmdHistoricDisplay_Click() {
    MTri->popup(QCursor::pos());
}

void frmPelimo::MTriSender_Click() {
    MSFlexGrid1Model->sortBySender();
}

void frmPelimo::MTriDate_Click() {
    MSFlexGrid1Model->sortByArrival();
}

void frmPelimo::lblCmdDeleteHistoric_Click() {
    if (HistoryList.Count == 0) {
        LanguageBox::show(Msg::NothingToDelete, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        return;
    }
    MHide2->popup(QCursor::pos());
}

void frmPelimo::MHide2DelOne_Click() {
    const qint32 n = currentHistoryNumber();
    if (n == 0)
        return;
    gDeleteHistoricMessage(n);
    // The rows keep their order; the row below the removed one becomes current.
    MSFlexGrid1Model->removeEntry(n);
    // The count line would otherwise still count the removed entry.
    mDisplayInfoNbHistoric();
}

void frmPelimo::MHide2DelAll_Click() {
    if (LanguageBox::show(Msg::ConfirmDeleteAll, MsgBoxButtons::OkCancel, MsgBoxIcon::None) !=
        MsgBoxResult::Ok) {
        return;
    }
    if (gFctDeleteHistoricFile() != 1) {
        LanguageBox::showText(QString::fromLatin1(kCannotDeleteHistory), MsgBoxButtons::Ok,
                              MsgBoxIcon::Exclamation);
        return;
    }
    gLoadHistoric();
    mDisplayHistoric();
    mDisplayInfoNbHistoric();
}
