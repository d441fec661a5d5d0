#include "common/test_folder.h"

#include <QFile>
#include <QFileInfo>

#include "stores/application.h"

void PrintTo(const QString& value, std::ostream* out) {
    *out << '"' << value.toStdString() << '"';
}

void PrintTo(const QByteArray& value, std::ostream* out) {
    *out << '"' << value.toStdString() << '"';
}

TestFolder::TestFolder() {
    Application::setFolder(dir_.path());
    DialogSeam::clearShown();
}

TestFolder::~TestFolder() {
    DialogSeam::clearShown();
}

QString TestFolder::path(const QString& name) const {
    return dir_.path() + u'/' + name;
}

void TestFolder::write(const QString& name, const QByteArray& contents) const {
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
        throw std::runtime_error("cannot write test file");
    }
}

QByteArray TestFolder::read(const QString& name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestFolder::exists(const QString& name) const {
    return QFileInfo::exists(path(name));
}

std::vector<QString> shownMessageTexts() {
    std::vector<QString> texts;
    for (const DialogRecord& record : DialogSeam::shown()) {
        if (record.kind == DialogKind::MessageBox)
            texts.push_back(record.text);
    }
    return texts;
}
