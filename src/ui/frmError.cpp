#include "ui/frmError.h"

#include <QDesktopServices>
#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "errorreport/error_record.h"
#include "errorreport/error_trap.h"
#include "errorreport/runtime_error.h"
#include "ui/accessible_names.h"
#include "ui/modal_dialogs.h"

namespace {

frmError::UrlOpener& urlOpener() {
    static frmError::UrlOpener opener = [](const QUrl& url) {
        return QDesktopServices::openUrl(url);
    };
    return opener;
}

}  // namespace

frmError::frmError(QWidget* parent)
    : QDialog(parent),
      lblErrorTitle(new QLabel(QStringLiteral("An error occur..."), this)),
      lblToDo(new QLabel(this)),
      txtError(new QPlainTextEdit(this)),
      cmdsendMail(new QPushButton(QStringLiteral("Send by Mail"), this)),
      cmdResume(new QPushButton(QStringLiteral("Resume"), this)) {
    setObjectName(QStringLiteral("frmError"));
    setWindowTitle(QStringLiteral("Pelimo Error Trap"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(480, 330);

    lblErrorTitle->setObjectName(QStringLiteral("lblErrorTitle"));
    QFont titleFont = lblErrorTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(12);
    lblErrorTitle->setFont(titleFont);
    lblErrorTitle->setGeometry(12, 8, 456, 24);

    lblToDo->setObjectName(QStringLiteral("lblToDo"));
    lblToDo->setWordWrap(true);
    lblToDo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblToDo->setGeometry(12, 36, 456, 84);

    txtError->setObjectName(QStringLiteral("txtError"));
    txtError->setGeometry(12, 124, 456, 150);
    txtError->setLineWrapMode(QPlainTextEdit::NoWrap);

    cmdsendMail->setObjectName(QStringLiteral("cmdsendMail"));
    cmdsendMail->setGeometry(12, 286, 140, 30);
    cmdResume->setObjectName(QStringLiteral("cmdResume"));
    cmdResume->setGeometry(328, 286, 140, 30);
    cmdResume->setDefault(true);

    connect(cmdsendMail, &QPushButton::clicked, this, &frmError::cmdsendMail_Click);
    connect(cmdResume, &QPushButton::clicked, this, &frmError::cmdResume_Click);
    AccessibleNames::apply(this, AccessibleNames::errorReport());
    Form_Load();
}

void frmError::setUrlOpener(UrlOpener opener) {
    urlOpener() = std::move(opener);
}

void frmError::Form_Load() {
    setWindowFlag(Qt::WindowStaysOnTopHint);
    lblToDo->setText(
        QStringLiteral("What to do ?This error is not classic, so help us to maintain Pelimo by "
                       "sending us this Report OR contact your network manager.\r\n"
                       "Want to send this report later? just copy text below and send it to : ") +
        QString::fromLatin1(kSupportAddress));
    // The box holds exactly the six report lines; it keeps line ends as LF.
    QString report = ErrorReport::build(ErrorRecord, QDateTime::currentDateTime());
    txtError->setPlainText(report.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void frmError::cmdsendMail_Click() {
    // The report as it stands in the box, with its CR LF line ends back.
    QString report = txtError->toPlainText();
    report.replace(u'\n', QStringLiteral("\r\n"));
    try {
        urlOpener()(QUrl(ErrorReport::mailUrl(report), QUrl::StrictMode));
    } catch (const std::exception&) {
        DialogSeam::messageBox(QStringLiteral("You can't send mail, sorry"), MsgBoxButtons::Ok,
                               MsgBoxIcon::None, QStringLiteral("Information"));
    }
}

void frmError::cmdResume_Click() {
    accept();
}

void frmError::present() {
    frmError window;
    DialogSeam::execModal(&window);
}
