// The error report window: shows the current ErrorRecord as a six-line report that the user can
// copy or hand to the mail program, and closes on Resume so the failed procedure goes on.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmError : public QDialog {
    Q_OBJECT
public:
    explicit frmError(QWidget* parent = nullptr);

    // Hands a URL to the desktop; tests replace it.
    using UrlOpener = std::function<bool(const QUrl&)>;
    static void setUrlOpener(UrlOpener opener);

    // Shows a fresh report window for the current ErrorRecord, modally through the dialog seam.
    static void present();

public slots:
    void cmdsendMail_Click();
    void cmdResume_Click();

private:
    QLabel* lblErrorTitle;
    QLabel* lblToDo;
    QPlainTextEdit* txtError;
    QPushButton* cmdsendMail;
    QPushButton* cmdResume;

    void Form_Load();
};
