#include "stores/language_file.h"

#include <cmath>

#include "platform/profile_file.h"
#include "seam/dialog_seam.h"
#include "stores/data_file_search.h"
#include "stores/number_text.h"
#include "stores/settings.h"

LanguageTableData LanguageTable;

namespace {

// The largest number a five-character value can name; higher messages could never be asked for.
constexpr int kHighestMessageNumber = 99999;
// A value of more characters than this is a literal text, not a message number.
constexpr qsizetype kMessageNumberWidth = 5;

QString messageKey(int number) {
    return QStringLiteral("%1").arg(number, 5, 10, QLatin1Char('0'));
}

}  // namespace

const QString* LanguageTableData::message(int number) const {
    if (number < 1 || number > count())
        return nullptr;
    return &Messages[number - 1];
}

void gLoadLanguageFile(const QString& path) {
    if (path.isEmpty()) {
        DialogSeam::messageBox(QStringLiteral("Invalid language file"), MsgBoxButtons::Ok,
                               MsgBoxIcon::Critical, QStringLiteral("Information"));
        return;
    }
    const pelimo::platform::ProfileReader reader(DataFiles::languageFilePath(path));
    const QString section = QString::fromLatin1(kLanguageSection);
    const double declared = NumberText::leadingNumber(
        reader.get(section, QString::fromLatin1(kLanguageCountKey), u"error", kProfileBufferSize),
        NumberForm::WholeDigits);
    // Without a usable count the table stays as it was (empty at start-up).
    if (!(declared >= 1))
        return;
    const int count = static_cast<int>(std::min<double>(declared, kHighestMessageNumber));
    QStringList messages;
    messages.reserve(count);
    for (int number = 1; number <= count; ++number) {
        QString text = reader.get(section, messageKey(number),
                                  QString::fromLatin1(kMessageMissingText), kProfileBufferSize);
        gDecodeLineBreaks(text);
        messages.append(std::move(text));
    }
    LanguageTable.Messages = std::move(messages);
}

QString gFctGetMessage(QString& value) {
    const double number = NumberText::leadingNumber(value, NumberForm::Decimal);
    if (value.size() > kMessageNumberWidth || number == 0) {
        gDecodeLineBreaks(value);
        return value;
    }
    // A fractional number names the nearest message, halves going to the even one.
    const double rounded = std::nearbyint(number);
    if (!std::isfinite(rounded) || rounded < 1 || rounded > LanguageTable.count()) {
        return QString::fromLatin1(kMessageUnavailableText);
    }
    return *LanguageTable.message(static_cast<int>(rounded));
}

QString gFctGetMessage(const QString& value) {
    QString copy = value;
    return gFctGetMessage(copy);
}

QString gFctGetMessage(int value) {
    QString text = QString::number(value);
    return gFctGetMessage(text);
}

void LanguageStore::reset() {
    LanguageTable = LanguageTableData{};
}
