// The preferences kept in "Settings.ini" and the "||" line-break codec of one-line stores.
#pragma once

#include <QString>
#include <QtGlobal>

struct SettingsData {
    qint16 OpenWindows = 0;
    qint16 PlaySound = 0;
    qint16 MinimizedWindows = 0;
    QString FileLanguage;
    QString MessageChannel;
    double IdentificationSendDelay = 0.0;
    QString Signup;  // real CR LF line breaks
    // 1: a desktop notification tells of messages that arrive while the window is not in front.
    qint16 Notifications = 0;
};

// One per process; zero and empty until loaded.
extern SettingsData Settings;

inline constexpr char kSettingsFileName[] = "Settings.ini";
inline constexpr char kSettingsSection[] = "Setting";
inline constexpr int kProfileBufferSize = 1024;

// Fills Settings from gApplicationFolder + "Settings.ini"; missing keys take their defaults,
// a value that does not convert leaves its field as it was. Never creates the file.
void gLoadSettingsIni();

// Writes all seven keys in one atomic replacement; a failure shows "Error Saving Setting Data !".
void gSaveSettingsIni();

// "||" -> CR LF, in place.
void gDecodeLineBreaks(QString& text);
// CR LF, a lone CR and a lone LF -> "||", in place.
void gEncodeLineBreaks(QString& text);

namespace SettingsStore {

void reset();

}  // namespace SettingsStore
