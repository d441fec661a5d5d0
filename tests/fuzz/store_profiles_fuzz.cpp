// Loads any bytes as a language file and as a contacts file through the stores, then checks the
// results: messages are whole texts without "||", at most 100 contacts are loaded, and saving and
// reloading the contacts gives the same table.
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/contacts.h"
#include "stores/language_file.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// Values that a load changes again after a save, as on Windows: one that starts and ends with the
// same quote loses it, one with blanks at an end loses them.
bool changesWhenReloaded(const QString& value) {
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; };
    return (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front()) ||
           (!value.isEmpty() && (blank(value.front()) || blank(value.back())));
}

bool writeFile(const QString& path, QByteArrayView bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    DialogSeam::setScripted(true);
    DialogSeam::clearShown();
    Application::setFolder(folder.path());
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const QString language = folder.filePath(QStringLiteral("fuzz.lng"));
    check(writeFile(language, bytes));
    LanguageStore::reset();
    gLoadLanguageFile(language);
    check(LanguageTable.count() <= 99999);
    for (int number = 0; number <= std::min(LanguageTable.count() + 1, 300); ++number) {
        const QString text = gFctGetMessage(number);
        check(!text.contains(QStringLiteral("||")));
        check(text.size() <= 2 * 1023);
    }

    const QString contacts = gApplicationFolder + QString::fromLatin1(kUserFileName);
    check(writeFile(contacts, bytes));
    ContactStore::reset();
    gFctLoadUserIni();
    check(ContactList.Count >= 0 && ContactList.Count <= kMaxContacts);
    const ContactListData loaded = ContactList;
    gSaveUserIni();
    ContactStore::reset();
    gFctLoadUserIni();
    check(ContactList.Count == loaded.Count);
    for (int position = 1; position <= loaded.Count; ++position) {
        const Contact& before = loaded[position];
        const Contact& after = ContactList[position];
        for (const auto field :
             {&Contact::UserName, &Contact::UserComputerName, &Contact::UserGroupName,
              &Contact::UserPicturePath, &Contact::UserSoundPath}) {
            check(changesWhenReloaded(before.*field) || before.*field == after.*field);
        }
    }
    return 0;
}
