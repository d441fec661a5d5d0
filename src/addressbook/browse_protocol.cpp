#include "addressbook/browse_protocol.h"

#include <QUrl>
#include <utility>

namespace {

constexpr char kEntryTag = 'E';
constexpr char kEndTag = '.';
constexpr char kErrorTag = '!';
constexpr char kSeparator = '\t';
// What an entry line carries at most, so that it stays within kMaxBrowseLine once encoded (a
// character takes at most 12 bytes: four UTF-8 bytes, each as %XX).
constexpr qsizetype kMaxEntryName = 64;
constexpr qsizetype kMaxEntryComment = 256;

QByteArray encoded(const QString& text) {
    return QUrl::toPercentEncoding(text);
}

QString decoded(QByteArrayView text) {
    return QUrl::fromPercentEncoding(text.toByteArray());
}

bool onlyDigitsAndDots(const QString& name) {
    for (const QChar c : name) {
        if (!c.isDigit() && c != u'.')
            return false;
    }
    return true;
}

}  // namespace

bool BrowseProtocol::isBrowsableNetworkName(const QString& name) {
    if (name.isEmpty() || name.size() > kMaxNetbiosName || onlyDigitsAndDots(name))
        return false;
    static const QString kMeaningful = QStringLiteral("\\/:@*?\"<>|%");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || kMeaningful.contains(c))
            return false;
    }
    return true;
}

QString BrowseProtocol::smbUrl(const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("smb://");
    if (!BrowseProtocol::isBrowsableNetworkName(name))
        return QString();
    return QStringLiteral("smb://") + QString::fromLatin1(encoded(name));
}

QByteArray BrowseProtocol::entryLine(const SmbEntry& entry) {
    QByteArray line;
    line += kEntryTag;
    line += kSeparator + QByteArray::number(entry.type) + kSeparator +
            encoded(entry.name.left(kMaxEntryName)) + kSeparator +
            encoded(entry.comment.left(kMaxEntryComment)) + '\n';
    return line;
}

QByteArray BrowseProtocol::endLine() {
    return QByteArray(1, kEndTag) + '\n';
}

QByteArray BrowseProtocol::errorLine(const QString& reason) {
    return QByteArray(1, kErrorTag) + kSeparator + encoded(reason.left(kMaxEntryComment)) + '\n';
}

BrowseReplyReader::State BrowseReplyReader::feed(QByteArrayView bytes) {
    while (state_ == State::Reading && !bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        const QByteArrayView part = end < 0 ? bytes : bytes.first(end);
        if (pending_.size() + part.size() > kMaxBrowseLine) {
            breakWith("line too long");
            break;
        }
        pending_ += part;
        if (end < 0)
            break;
        bytes = bytes.sliced(end + 1);
        const QByteArray line = std::exchange(pending_, QByteArray());
        takeLine(line);
    }
    return state_;
}

void BrowseReplyReader::takeLine(QByteArrayView line) {
    const QList<QByteArray> fields = line.toByteArray().split(kSeparator);
    const QByteArray& tag = fields.front();
    if (tag.size() == 1 && tag[0] == kEndTag && fields.size() == 1) {
        state_ = State::Ended;
    } else if (tag.size() == 1 && tag[0] == kErrorTag && fields.size() == 2) {
        reason_ = decoded(fields[1]);
        state_ = State::Failed;
    } else if (tag.size() == 1 && tag[0] == kEntryTag && fields.size() == 4) {
        bool number = false;
        const uint type = fields[1].toUInt(&number);
        if (!number)
            return breakWith("entry type is no number");
        if (static_cast<int>(entries_.size()) >= kMaxBrowseEntries)
            return breakWith("too many entries");
        entries_.push_back({type, decoded(fields[2]), decoded(fields[3])});
    } else {
        breakWith("unknown line");
    }
}

void BrowseReplyReader::breakWith(const char* what) {
    state_ = State::Broken;
    reason_ = QString::fromLatin1(what);
    pending_.clear();
}
