// A main window started in a private application folder: its own language file ("T1" to
// "T219"), its own message channel, a transport that never reaches the network, a sound device
// that only records, and a system tray whose presence the test chooses.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

#include "common/module_reset.h"
#include "common/test_folder.h"
#include "common/window_part.h"
#include "mainwindow/frmPelimo.h"

// The sound device of the tests: records what was opened and played.
struct RecordedSounds {
    QStringList opened;
    int played = 0;
};

// The head of a playable wave file: RIFF/WAVE with a PCM format chunk (mono, 8 kHz, 16 bits).
inline QByteArray pcmWaveHeader() {
    return QByteArray(
        "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0", 36);
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest();
    ~MainWindowTest() override;

    // Settings.ini with the test's channel and these switches.
    void writeSettings(int openWindows, int playSound, int minimizedWindows);
    // User.dat with contacts given as {user name, computer name, picture path, sound path}.
    void writeContacts(const std::vector<QStringList>& contacts);
    // Histo.dat with entries of the given states (sender "PC<n>", text "Text <n>").
    void writeHistory(const std::vector<qint16>& states);

    // Creates the window, runs its start-up and shows it.
    frmPelimo& start();

    // Writes one datagram's three fields straight into the window's local mailslot.
    void deliver(const QByteArray& sender, const QByteArray& addressee, const QByteArray& payload);
    // Delivers and waits until the receive loop has taken it.
    void receive(const QByteArray& sender, const QByteArray& addressee, const QByteArray& payload);

    // A picture file of one colour, for contact photos.
    QString writePicture(const QString& name, const QColor& colour) const;

    // Report windows shown through the dialog seam.
    int reportsShown() const;

    TestFolder folder_;
    QString channel_;
    bool trayAvailable_ = false;
    std::shared_ptr<RecordedSounds> sounds_ = std::make_shared<RecordedSounds>();
    std::unique_ptr<frmPelimo> window_;
};

// The image a label shows.
QImage shownImage(const QLabel* label);
