// Initialisation ("profile") files with the semantics of GetPrivateProfileStringA and
// WritePrivateProfileStringA: case-insensitive sections and keys, the first match wins, a value is
// the text after the first "=" with blanks and one pair of enclosing quotes removed, untouched
// lines are kept byte for byte, written lines end in CR LF. Files are Windows-1252 text.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace pelimo::platform {

// The parsed lines of one profile file, editable in memory.
class ProfileDocument {
public:
    ProfileDocument() = default;
    explicit ProfileDocument(QByteArrayView contents);

    // The raw value of the first `key` in the first `section`, before any buffer cut;
    // nothing when the section or the key is missing.
    std::optional<QByteArray> find(QStringView section, QStringView key) const;

    // Changes the value in place, or adds the key at the end of its section, or adds the section
    // at the end of the document.
    void set(QStringView section, QStringView key, QStringView value);

    QByteArray contents() const;

private:
    struct Line {
        QByteArray text;    // without its line end
        QByteArray ending;  // "\r\n", "\n", "\r" or empty for a last line without one
    };
    struct Section {
        std::vector<Line> lines;      // the header line first
        QHash<QString, int> keyLine;  // folded key -> index of its first line
    };

    void addLine(const Line& line);
    static void ensureEnding(std::vector<Line>& lines);

    std::vector<Line> preamble_;  // lines before the first section header
    std::vector<Section> sections_;
    QHash<QString, int> sectionIndex_;  // folded name -> first section of that name
};

// GetPrivateProfileStringA: the value of `key` in `section` of the file at `path`, cut to
// `bufferSize` - 1 bytes, or `defaultValue` (trailing blanks removed, also cut) when the file,
// the section or the key is missing.
QString getPrivateProfileString(QStringView section, QStringView key, QStringView defaultValue,
                                int bufferSize, const QString& path);

// WritePrivateProfileStringA: sets one value and replaces the file atomically; false when the file
// cannot be read or written (the old file then stays as it was).
bool writePrivateProfileString(QStringView section, QStringView key, QStringView value,
                               const QString& path);

// A file parsed once for a series of reads.
class ProfileReader {
public:
    explicit ProfileReader(const QString& path);
    bool fileFound() const { return found_; }
    QString get(QStringView section, QStringView key, QStringView defaultValue,
                int bufferSize) const;

private:
    ProfileDocument document_;
    bool found_ = false;
};

// A series of writes kept in memory and saved with one atomic file replacement.
class ProfileBatch {
public:
    explicit ProfileBatch(QString path);
    // False when the existing file could not be read; commit() then fails too.
    bool write(QStringView section, QStringView key, QStringView value);
    bool commit(QString* error = nullptr);

private:
    QString path_;
    ProfileDocument document_;
    bool readable_ = true;
};

}  // namespace pelimo::platform
