// Test helpers: a private application folder per test, file helpers and printers for Qt values.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <ostream>

#include "seam/dialog_seam.h"

void PrintTo(const QString& value, std::ostream* out);
void PrintTo(const QByteArray& value, std::ostream* out);

// A temporary folder made the application folder for the test's lifetime; the dialog record
// starts empty.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    QString path(const QString& name = {}) const;  // folder + "/" + name
    void write(const QString& name, const QByteArray& contents) const;
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// The message boxes shown since the last clear, as their texts.
std::vector<QString> shownMessageTexts();
