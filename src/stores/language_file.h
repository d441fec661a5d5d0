// The numbered user-interface texts of the language file chosen in the preferences.
#pragma once

#include <QString>
#include <QStringList>

inline constexpr char kLanguageSection[] = "Langage";
inline constexpr char kLanguageCountKey[] = "NbMessage";
inline constexpr char kDefaultLanguageFileName[] = "orglng.lng";
inline constexpr char kLanguageFolderName[] = "Language";
// Every shipped language file words at least messages 1 to this number (the first set of texts;
// the later ones are checked by their names in language_messages.h).
inline constexpr int kLanguageMessageCount = 101;

inline constexpr char kMessageMissingText[] = "Error";
inline constexpr char kMessageUnavailableText[] = "Error Getting Message";

struct LanguageTableData {
    // Element 1 to N; empty until a file with at least one message was loaded.
    QStringList Messages;

    int count() const { return static_cast<int>(Messages.size()); }
    // Message `number` (1 to count()); nothing outside.
    const QString* message(int number) const;
};

// One per process.
extern LanguageTableData LanguageTable;

// Replaces LanguageTable by the messages of the file at `path`; "||" in a text becomes CR LF.
// An empty path shows "Invalid language file" and keeps the table. A path where no file exists is
// looked for by its file name (gFctLanguageFilePath). A file without a usable "NbMessage" keeps
// the table as it was.
void gLoadLanguageFile(const QString& path);

// A message number gives its text ("Error Getting Message" when there is none). A value whose
// text form is longer than 5 characters or whose leading number is 0 is a literal text: its "||"
// become CR LF, in `value` itself, and that text is the result.
QString gFctGetMessage(int value);
QString gFctGetMessage(QString& value);
QString gFctGetMessage(const QString& value);

// Empties LanguageTable.
void gResetLanguageTable();
