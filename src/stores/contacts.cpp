#include "stores/contacts.h"

#include <cmath>

#include "errorreport/error_trap.h"
#include "errorreport/runtime_error.h"
#include "platform/ansi_case.h"
#include "platform/profile_file.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/number_text.h"
#include "stores/settings.h"

using pelimo::platform::ProfileBatch;
using pelimo::platform::ProfileReader;

ContactListData ContactList;

namespace {

const QString kSection = QString::fromLatin1(kUserSection);
const QString kModule = QStringLiteral("ModGlobal");

QString userFilePath() {
    return gApplicationFolder + QString::fromLatin1(kUserFileName);
}

// "UserName" + "001": the key of one field of the contact at `position`.
QString keyOf(const char* stem, int position) {
    return QString::fromLatin1(stem) + QStringLiteral("%1").arg(position, 3, 10, QLatin1Char('0'));
}

// Names can come from the network: a line break or NUL in a value would make lines or keys of
// its own in the file, so each becomes "?" when stored.
QString storedValue(QString value) {
    for (QChar& c : value) {
        if (c == u'\r' || c == u'\n' || c == u'\0')
            c = u'?';
    }
    return value;
}

void showApplicationMessage(const QString& text) {
    DialogSeam::messageBox(text, MsgBoxButtons::Ok, MsgBoxIcon::None,
                           QString::fromLatin1(kApplicationName));
}

enum class ContactField { UserName, ComputerName };

qint16 searchContact(const QString& name, ContactField field) {
    const QByteArray wanted = pelimo::platform::ansiLowerCase(name);
    qint16 found = 0;
    // The scan goes on after a match: the last matching position wins.
    for (int position = 1; position <= ContactList.Count; ++position) {
        const Contact& contact = ContactList[position];
        const QString& value =
            field == ContactField::UserName ? contact.UserName : contact.UserComputerName;
        if (pelimo::platform::ansiLowerCase(value) == wanted)
            found = static_cast<qint16>(position);
    }
    return found;
}

}  // namespace

Contact& ContactListData::operator[](int position) {
    if (position < 1 || position > kMaxContacts)
        RunTimeError::raise(RunTimeErrorNumber::SubscriptOutOfRange);
    return Slots[static_cast<std::size_t>(position - 1)];
}

const Contact& ContactListData::operator[](int position) const {
    if (position < 1 || position > kMaxContacts)
        RunTimeError::raise(RunTimeErrorNumber::SubscriptOutOfRange);
    return Slots[static_cast<std::size_t>(position - 1)];
}

void gFctLoadUserIni() {
    ErrorTrap trap(kModule, QStringLiteral("gFctLoadUserIni"));
    // A load never leaves an earlier table or a count outside 0 to 100 behind.
    trap.step([] { ContactStore::reset(); });
    const ProfileReader reader(userFilePath());
    double number = 0;
    trap.step([&] {
        number = NumberText::leadingNumber(
            reader.get(kSection, u"UserNumber", u"Error", kProfileBufferSize),
            NumberForm::WholeDigits);
    });
    if (number > kMaxContacts) {
        DialogSeam::messageBox(QStringLiteral("Too Much User"), MsgBoxButtons::Ok, MsgBoxIcon::None,
                               QStringLiteral("Information"));
        return;
    }
    if (!(number >= 1))
        return;  // a negative or unreadable count loads nothing
    const auto count = static_cast<int>(number);
    for (int position = 1; position <= count; ++position) {
        trap.step([&] {
            Contact& contact = ContactList[position];
            contact.UserName =
                reader.get(kSection, keyOf("UserName", position), u"", kProfileBufferSize);
            contact.UserComputerName =
                reader.get(kSection, keyOf("UserComputerName", position), u"", kProfileBufferSize);
            contact.UserGroupName =
                reader.get(kSection, keyOf("UserGroupName", position), u"", kProfileBufferSize);
            contact.UserPicturePath =
                reader.get(kSection, keyOf("UserPicturePath", position), u"", kProfileBufferSize);
            contact.UserSoundPath =
                reader.get(kSection, keyOf("UserSoundPath", position), u"", kProfileBufferSize);
            contact.Connected = false;
        });
    }
    ContactList.Count = static_cast<qint16>(count);
}

void gSaveUserIni() {
    bool saved = false;
    try {
        ProfileBatch batch(userFilePath());
        saved = batch.write(kSection, u"UserNumber", QString::number(ContactList.Count));
        const int count = std::clamp<int>(ContactList.Count, 0, kMaxContacts);
        for (int position = 1; saved && position <= count; ++position) {
            const Contact& contact = ContactList[position];
            batch.write(kSection, keyOf("UserName", position), storedValue(contact.UserName));
            batch.write(kSection, keyOf("UserComputerName", position),
                        storedValue(contact.UserComputerName));
            batch.write(kSection, keyOf("UserGroupName", position),
                        storedValue(contact.UserGroupName));
            batch.write(kSection, keyOf("UserPicturePath", position),
                        storedValue(contact.UserPicturePath));
            batch.write(kSection, keyOf("UserSoundPath", position),
                        storedValue(contact.UserSoundPath));
        }
        // All keys are saved in one replacement, so its failure is the failure of "UserNumber".
        saved = saved && batch.commit();
    } catch (...) {
        saved = false;
    }
    if (!saved)
        showApplicationMessage(QStringLiteral("Error Saving Contact Data !"));
}

bool gFctAddContact(const QString& userName, const QString& computerName,
                    const QString& picturePath, const QString& soundPath) {
    ErrorTrap trap(kModule, QStringLiteral("gFctAddContact"));
    if (ContactList.Count + 1 > kMaxContacts) {
        showApplicationMessage(QStringLiteral("Nombre de contact maximum atteint"));
        return false;
    }
    bool added = false;
    trap.step([&] {
        Contact contact;
        contact.UserName = userName;
        contact.UserComputerName = computerName;
        contact.UserPicturePath = picturePath;
        contact.UserSoundPath = soundPath;
        ContactList[ContactList.Count + 1] = std::move(contact);
        ++ContactList.Count;
        added = true;
    });
    return added;
}

bool gFctDeleteContact(qint16 position) {
    ErrorTrap trap(kModule, QStringLiteral("gFctDeleteContact"));
    if (ContactList.Count <= 0 || position < 1 || position > ContactList.Count)
        return false;
    bool deleted = false;
    trap.step([&] {
        for (int slot = position; slot < ContactList.Count; ++slot) {
            ContactList[slot] = std::move(ContactList[slot + 1]);
        }
        ContactList[ContactList.Count] = Contact{};
        --ContactList.Count;
        deleted = true;
    });
    return deleted;
}

qint16 gSearchContactWithUserName(const QString& userName) {
    ErrorTrap trap(kModule, QStringLiteral("gSearchContactWithUserName"));
    if (userName.isEmpty()) {
        DialogSeam::messageBox(QStringLiteral("Error, no user name"), MsgBoxButtons::Ok,
                               MsgBoxIcon::Exclamation, QStringLiteral("Attention"));
        return 0;
    }
    qint16 found = 0;
    trap.step([&] { found = searchContact(userName, ContactField::UserName); });
    return found;
}

qint16 gSearchContactWithComputerName(const QString& computerName) {
    if (computerName.isEmpty())
        return 0;
    try {
        return searchContact(computerName, ContactField::ComputerName);
    } catch (...) {
        return 0;
    }
}

void ContactStore::reset() {
    ContactList = ContactListData{};
}
