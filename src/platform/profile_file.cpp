#include "platform/profile_file.h"

#include <QFileInfo>

#include "platform/ansi_codec.h"
#include "platform/atomic_file.h"

namespace pelimo::platform {
namespace {

constexpr QByteArrayView kCrLf = "\r\n";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

QByteArrayView trimmed(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QString folded(QByteArrayView name) {
    return ansiToUnicode(trimmed(name)).toCaseFolded();
}
QString folded(QStringView name) {
    return name.trimmed().toString().toCaseFolded();
}

// The name of a section header line ("[name]"), or nothing for any other line.
std::optional<QByteArrayView> sectionName(QByteArrayView line) {
    const QByteArrayView text = trimmed(line);
    if (text.isEmpty() || text[0] != '[')
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    return close < 0 ? text.sliced(1) : text.sliced(1, close - 1);
}

// The key of a "key=value" line, or nothing when the line has no "=".
std::optional<QByteArrayView> keyOf(QByteArrayView line) {
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return line.first(equals);
}

QByteArray valueOf(QByteArrayView line) {
    QByteArrayView value = trimmed(line.sliced(line.indexOf('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.sliced(1, value.size() - 2);
    }
    const qsizetype nul = value.indexOf('\0');  // the value ends at a terminating zero
    return (nul < 0 ? value : value.first(nul)).toByteArray();
}

// Cuts to bufferSize - 1 bytes, as the caller's buffer would.
QString fromBuffer(QByteArrayView bytes, int bufferSize) {
    const qsizetype limit = bufferSize > 0 ? bufferSize - 1 : 0;
    return ansiToUnicode(bytes.first(std::min(bytes.size(), limit)));
}

}  // namespace

ProfileDocument::ProfileDocument(QByteArrayView contents) {
    qsizetype pos = 0;
    while (pos < contents.size()) {
        qsizetype end = pos;
        while (end < contents.size() && contents[end] != '\n' && contents[end] != '\r')
            ++end;
        Line line{contents.sliced(pos, end - pos).toByteArray(), {}};
        if (end < contents.size()) {
            const bool crLf =
                contents[end] == '\r' && end + 1 < contents.size() && contents[end + 1] == '\n';
            line.ending = contents.sliced(end, crLf ? 2 : 1).toByteArray();
        }
        pos = end + line.ending.size();
        addLine(line);
    }
}

void ProfileDocument::addLine(const Line& line) {
    if (const auto name = sectionName(line.text)) {
        const QString key = folded(*name);
        if (!sectionIndex_.contains(key))
            sectionIndex_.insert(key, static_cast<int>(sections_.size()));
        sections_.push_back(Section{{line}, {}});
        return;
    }
    if (sections_.empty()) {
        preamble_.push_back(line);
        return;
    }
    Section& section = sections_.back();
    if (const auto key = keyOf(line.text)) {
        const QString name = folded(*key);
        if (!section.keyLine.contains(name)) {
            section.keyLine.insert(name, static_cast<int>(section.lines.size()));
        }
    }
    section.lines.push_back(line);
}

std::optional<QByteArray> ProfileDocument::find(QStringView section, QStringView key) const {
    const auto sectionIt = sectionIndex_.constFind(folded(section));
    if (sectionIt == sectionIndex_.constEnd())
        return std::nullopt;
    const Section& found = sections_[*sectionIt];
    const auto keyIt = found.keyLine.constFind(folded(key));
    if (keyIt == found.keyLine.constEnd())
        return std::nullopt;
    return valueOf(found.lines[*keyIt].text);
}

void ProfileDocument::ensureEnding(std::vector<Line>& lines) {
    if (!lines.empty() && lines.back().ending.isEmpty())
        lines.back().ending = kCrLf.toByteArray();
}

void ProfileDocument::set(QStringView section, QStringView key, QStringView value) {
    const QByteArray keyBytes = unicodeToAnsi(key.trimmed());
    const QByteArray valueBytes = unicodeToAnsi(value);
    const auto sectionIt = sectionIndex_.constFind(folded(section));
    if (sectionIt == sectionIndex_.constEnd()) {
        if (sections_.empty()) {
            ensureEnding(preamble_);
        } else {
            ensureEnding(sections_.back().lines);
        }
        addLine({'[' + unicodeToAnsi(section.trimmed()) + ']', kCrLf.toByteArray()});
        addLine({keyBytes + '=' + valueBytes, kCrLf.toByteArray()});
        return;
    }
    Section& found = sections_[*sectionIt];
    const QString foldedKey = folded(key);
    if (const auto keyIt = found.keyLine.constFind(foldedKey); keyIt != found.keyLine.constEnd()) {
        Line& line = found.lines[*keyIt];
        // Keep the key as it is spelled in the file; only the value changes.
        line.text = trimmed(*keyOf(line.text)).toByteArray() + '=' + valueBytes;
        if (line.ending.isEmpty() && &line != &found.lines.back())
            line.ending = kCrLf.toByteArray();
        return;
    }
    // A new key goes after the section's last non-blank line, before any separating blank lines.
    auto insertAt = static_cast<int>(found.lines.size());
    while (insertAt > 1 && trimmed(found.lines[insertAt - 1].text).isEmpty())
        --insertAt;
    Line& previous = found.lines[insertAt - 1];
    if (previous.ending.isEmpty())
        previous.ending = kCrLf.toByteArray();
    found.lines.insert(found.lines.begin() + insertAt,
                       Line{keyBytes + '=' + valueBytes, kCrLf.toByteArray()});
    for (int& line : found.keyLine) {
        if (line >= insertAt)
            ++line;
    }
    found.keyLine.insert(foldedKey, insertAt);
}

QByteArray ProfileDocument::contents() const {
    QByteArray out;
    auto append = [&out](const std::vector<Line>& lines) {
        for (const Line& line : lines) {
            out += line.text;
            out += line.ending;
        }
    };
    append(preamble_);
    for (const Section& section : sections_)
        append(section.lines);
    return out;
}

QString getPrivateProfileString(QStringView section, QStringView key, QStringView defaultValue,
                                int bufferSize, const QString& path) {
    return ProfileReader(path).get(section, key, defaultValue, bufferSize);
}

bool writePrivateProfileString(QStringView section, QStringView key, QStringView value,
                               const QString& path) {
    ProfileBatch batch(path);
    return batch.write(section, key, value) && batch.commit();
}

ProfileReader::ProfileReader(const QString& path) {
    if (auto bytes = readWholeFile(path)) {
        found_ = true;
        document_ = ProfileDocument(*bytes);
    }
}

QString ProfileReader::get(QStringView section, QStringView key, QStringView defaultValue,
                           int bufferSize) const {
    if (const auto value = document_.find(section, key))
        return fromBuffer(*value, bufferSize);
    QStringView fallback = defaultValue;
    while (!fallback.isEmpty() && fallback.back() == u' ')
        fallback.chop(1);
    return fromBuffer(unicodeToAnsi(fallback), bufferSize);
}

ProfileBatch::ProfileBatch(QString path) : path_(std::move(path)) {
    if (!QFileInfo::exists(path_))
        return;
    if (auto bytes = readWholeFile(path_)) {
        document_ = ProfileDocument(*bytes);
    } else {
        readable_ = false;  // never overwrite a file we could not read
    }
}

bool ProfileBatch::write(QStringView section, QStringView key, QStringView value) {
    if (!readable_)
        return false;
    document_.set(section, key, value);
    return true;
}

bool ProfileBatch::commit(QString* error) {
    if (!readable_) {
        if (error)
            *error = QStringLiteral("The file could not be read");
        return false;
    }
    return replaceFileAtomically(path_, document_.contents(), error);
}

}  // namespace pelimo::platform
