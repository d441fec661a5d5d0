#include "stores/settings.h"

#include <cmath>

#include "platform/profile_file.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/number_text.h"

using pelimo::platform::ProfileBatch;
using pelimo::platform::ProfileReader;

SettingsData Settings;

namespace {

const QString kSection = QString::fromLatin1(kSettingsSection);
constexpr char kNotificationsKey[] = "Notifications";

QString settingsPath() {
    return gApplicationFolder + QString::fromLatin1(kSettingsFileName);
}

void loadSwitch(const ProfileReader& reader, const char* key, qint16& field) {
    const QString value = reader.get(kSection, QString::fromLatin1(key), u"1", kProfileBufferSize);
    if (const auto number =
            NumberText::toInt16(NumberText::leadingNumber(value, NumberForm::WholeDigits))) {
        field = *number;
    }
}

}  // namespace

void gLoadSettingsIni() {
    const ProfileReader reader(settingsPath());
    loadSwitch(reader, "OpenWindows", Settings.OpenWindows);
    loadSwitch(reader, "PlaySound", Settings.PlaySound);
    loadSwitch(reader, "MinimizedWindows", Settings.MinimizedWindows);
    Settings.FileLanguage =
        reader.get(kSection, u"FileLanguage", gApplicationFolder + QStringLiteral("orglng.lng"),
                   kProfileBufferSize);
    Settings.MessageChannel =
        reader.get(kSection, u"MessageChannel", u"pelimo", kProfileBufferSize);
    const double delay = NumberText::leadingNumber(
        reader.get(kSection, u"IdentificationSendDelay", u"0.150", kProfileBufferSize),
        NumberForm::Decimal);
    if (std::isfinite(delay))
        Settings.IdentificationSendDelay = delay;
    Settings.Signup = reader.get(kSection, u"Signup", u"", kProfileBufferSize);
    gDecodeLineBreaks(Settings.Signup);
    loadSwitch(reader, kNotificationsKey, Settings.Notifications);
}

void gSaveSettingsIni() {
    ProfileBatch batch(settingsPath());
    QString signup = Settings.Signup;
    gEncodeLineBreaks(signup);
    const bool firstWritten =
        batch.write(kSection, u"OpenWindows", NumberText::format(Settings.OpenWindows));
    batch.write(kSection, u"PlaySound", NumberText::format(Settings.PlaySound));
    batch.write(kSection, u"MinimizedWindows", NumberText::format(Settings.MinimizedWindows));
    batch.write(kSection, u"FileLanguage", Settings.FileLanguage);
    batch.write(kSection, u"MessageChannel", Settings.MessageChannel);
    batch.write(kSection, u"IdentificationSendDelay",
                NumberText::format(Settings.IdentificationSendDelay));
    batch.write(kSection, u"Signup", signup);
    // The notification switch is stored once it was turned off, so a file that never had it
    // keeps the seven keys it always had.
    const QString notifications = QString::fromLatin1(kNotificationsKey);
    if (Settings.Notifications != 1 ||
        ProfileReader(settingsPath()).get(kSection, notifications, u"\x01", kProfileBufferSize) !=
            QStringLiteral("\x01")) {
        batch.write(kSection, notifications, NumberText::format(Settings.Notifications));
    }
    // The keys are saved together, so the first key's failure is the failure of the save.
    if (!firstWritten || !batch.commit()) {
        DialogSeam::messageBox(QStringLiteral("Error Saving Setting Data !"), MsgBoxButtons::Ok,
                               MsgBoxIcon::None, QString::fromLatin1(kApplicationName));
    }
}

void gDecodeLineBreaks(QString& text) {
    text.replace(QStringLiteral("||"), QStringLiteral("\r\n"));
}

void gEncodeLineBreaks(QString& text) {
    // A text box may hold LF or CR alone as its line breaks: written raw they would cut the
    // one-line value, so every form of line break is stored as "||".
    text.replace(QStringLiteral("\r\n"), QStringLiteral("||"));
    text.replace(u'\r', QStringLiteral("||"));
    text.replace(u'\n', QStringLiteral("||"));
}

void SettingsStore::reset() {
    Settings = {};
}
