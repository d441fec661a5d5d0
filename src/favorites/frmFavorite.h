// The favorites window: the library of predefined messages. The user picks a file, may edit its
// text, write and save new ones, delete one, and either takes the text shown (it then replaces the
// text of the message being written) or leaves without taking anything.
#pragma once

#include <QDialog>
#include <QString>

class LabelButton;
class LimitedTextBox;
class QLabel;
class QListWidget;

// The text taken by lblCmdSelectionner; empty when the window was left without taking one.
extern QString gFavoriteText;
// Transfer buffer between the text box and the text files.
extern QString gFavoriteFileText;

inline constexpr int kFavoriteMaxLength = 32000;

class frmFavorite : public QDialog {
    Q_OBJECT
public:
    explicit frmFavorite(QWidget* parent = nullptr);

    void Form_Load();
    void mDisplayLanguage();
    void mInitInterface();
    void mInitFavorisDirectory();
    // Loads the file selected in the list: 1 when a text was loaded, else 0.
    int mFileSelectClick();
    void File1_Click();
    void File1_DblClick();
    void lblCmdSelectionner_Click();
    void lblCmdNouveau_Click();
    void lblCmdEnregistrer_Click();
    // Deletes the file whose text is shown, after a question.
    void deleteFavorite();
    void lblCmdQuit_Click();
    void mColorLabelFavoriteStop();

    // Full path of the file whose text is shown; empty for a new message.
    const QString& favoriteFileName() const { return mFavoriteFileName; }

private:
    QLabel* lblLabSendTitle;
    QLabel* Label2;
    QLabel* lblLabInfo1;
    QListWidget* File1;
    LimitedTextBox* txtFavoris;
    LabelButton* lblCmdSelectionner;
    LabelButton* lblCmdNouveau;
    LabelButton* lblCmdEnregistrer;
    LabelButton* lblCmdSupprimer;
    LabelButton* lblCmdQuit;

    QString mFavoriteFileName;
};

namespace FavoriteWindow {

// Empties the globals of the window.
void reset();

}  // namespace FavoriteWindow
