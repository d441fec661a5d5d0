// The addressee box's context menu offers "Why can't I reach it?" for the addressee under the
// pointer: its contact's computer, or the name as typed.
#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>

#include "diagnosis/diagnosis_dialog.h"
#include "mainwindow/addressee_list.h"
#include "mainwindow/frmPelimo.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"

namespace {}  // namespace

QString frmPelimo::addresseeComputerAt(int position) const {
    const QString list = txtSendUserList->toPlainText();
    const QStringList items = Addressees::split(list);
    const QString item = items.value(list.left(position).count(u';'));
    if (item.isEmpty())
        return {};
    qint32 count = 0;
    QStringList computers;
    Addressees::resolve(item, count, computers);
    return Reachability::diagnosableName(computers.value(0));
}

void frmPelimo::connectAddresseeDiagnosis() {
    txtSendUserList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(txtSendUserList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = txtSendUserList->createStandardContextMenu(at);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->setObjectName(QStringLiteral("mnuAddressee"));
        const QString computer =
            addresseeComputerAt(txtSendUserList->cursorForPosition(at).position());
        menu->addSeparator();
        const QString caption = gFctGetMessage(Msg::Diagnosis).replace(u'&', QStringLiteral("&&"));
        QAction* diagnose = menu->addAction(
            computer.isEmpty() ? caption : QStringLiteral("%1 (%2)").arg(caption, computer));
        diagnose->setObjectName(QStringLiteral("mnuAddresseeDiagnose"));
        diagnose->setEnabled(!computer.isEmpty());
        connect(diagnose, &QAction::triggered, this,
                [this, computer] { DiagnosisDialog::open(this, computer); });
        menu->popup(txtSendUserList->viewport()->mapToGlobal(at));
    });
}
