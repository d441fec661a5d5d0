// Where the history keeps its texts in memory: the bytes the file holds (Windows-1252), in blocks
// that never move, and a pool in which each distinct short text (a sender, an addressee, a date)
// is kept once. A history of years is mostly the same few names and dates.
#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <cstddef>
#include <memory>
#include <vector>

// Bytes handed out from large blocks; nothing is freed before clear(), and nothing moves.
class HistoryByteBlocks {
public:
    // Room for `size` bytes, uninitialised.
    char* allocate(std::size_t size);
    void clear();

private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;
    std::size_t left_ = 0;
};

// Distinct texts, each numbered once; number 0 is the empty text.
class HistoryTextPool {
public:
    HistoryTextPool();

    // The number of `bytes`, added when new.
    quint32 intern(QByteArrayView bytes);
    QByteArrayView text(quint32 id) const;
    void clear();

private:
    struct Text {
        const char* data;
        quint32 size;
        quint32 hash;
    };
    void grow();

    HistoryByteBlocks bytes_;
    std::vector<Text> texts_;
    // Open addressing: id + 1 of the text whose hash leads here, 0 for a free place.
    std::vector<quint32> places_;
};

// The history file as it was loaded, kept open: the messages of loaded entries are read from it
// when they are shown, sorted, printed or rewritten, and take no memory of the process meanwhile.
// A file replaced or deleted since keeps its bytes for the descriptor; a file cut by another
// program reads short, which the reader reports.
class HistoryFileBytes {
public:
    HistoryFileBytes() = default;
    HistoryFileBytes(HistoryFileBytes&& other) noexcept;
    HistoryFileBytes& operator=(HistoryFileBytes&& other) noexcept;
    ~HistoryFileBytes();

    // Takes over the open file `fd`.
    void adopt(int fd);
    // `length` bytes at `offset`; false when they cannot be read whole. The view stays valid
    // until the next read.
    bool read(quint64 offset, quint32 length, QByteArrayView& bytes) const;

private:
    void close();

    int fd_ = -1;
    // The part of the file read last: reading entries in file order reads the file in few calls.
    mutable std::vector<char> window_;
    mutable quint64 windowAt_ = 0;
    mutable std::size_t windowSize_ = 0;
};
