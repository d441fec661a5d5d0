// The address book's contacts: a fixed table of 100 slots numbered from 1, loaded from "User.dat"
// at start-up and written back when the address book window closes.
#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

struct Contact {
    QString UserName;
    QString UserComputerName;
    QString UserGroupName;
    QString UserPicturePath;
    QString UserSoundPath;
    bool Connected = false;  // seen on the network; never stored
    bool Ready = false;      // answered an identification; never stored
};

inline constexpr int kMaxContacts = 100;
inline constexpr char kUserFileName[] = "User.dat";
inline constexpr char kUserSection[] = "UserSetting";

struct ContactListData {
    qint16 Count = 0;
    std::array<Contact, kMaxContacts> Slots;

    // Slot `position` (1 to 100); a position outside the table raises run-time error 9.
    Contact& operator[](int position);
    const Contact& operator[](int position) const;
};

// One per process.
extern ContactListData ContactList;

// Fills ContactList from gApplicationFolder + "User.dat". A count of 101 or more shows
// "Too Much User" and loads nothing; a missing file or a count below 1 loads nothing.
void gFctLoadUserIni();

// Writes "UserNumber" and the five keys of each contact in one atomic replacement of the file;
// keys of higher positions already in the file stay. A failure shows "Error Saving Contact Data !".
void gSaveUserIni();

// Adds a contact at the end; false (after "Nombre de contact maximum atteint") when the table is
// full.
bool gFctAddContact(const QString& userName, const QString& computerName,
                    const QString& picturePath, const QString& soundPath);

// Removes the contact at `position` (1 to count), moving the later ones down; false when the
// table is empty or the position is outside it.
bool gFctDeleteContact(qint16 position);

// The highest position whose user name equals `userName` without regard to case (Windows-1252
// lower case), 0 for none. An empty name shows "Error, no user name" and gives 0.
qint16 gSearchContactWithUserName(const QString& userName);

// The same for the computer name; an empty name gives 0 without a message.
qint16 gSearchContactWithComputerName(const QString& computerName);

namespace ContactStore {

// Empties the table (count 0, every slot cleared).
void reset();

}  // namespace ContactStore
