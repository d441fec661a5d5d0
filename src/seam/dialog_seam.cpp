#include "seam/dialog_seam.h"

#include <cstdio>
#include <deque>

namespace DialogSeam {
namespace {

struct SeamState {
    std::unique_ptr<DialogBackend> backend;
    bool scripted = false;
    std::deque<DialogAnswer> answers;
    std::vector<DialogRecord> shown;
};

SeamState& state() {
    static SeamState seam;
    return seam;
}

// Without a backend (command-line tools) a message goes to the error stream.
void printToConsole(const DialogRecord& request) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(request.title), qPrintable(request.text));
}

}  // namespace

MsgBoxResult defaultButton(MsgBoxButtons buttons) {
    switch (buttons) {
        case MsgBoxButtons::Ok:
        case MsgBoxButtons::OkCancel:
            return MsgBoxResult::Ok;
        case MsgBoxButtons::AbortRetryIgnore:
            return MsgBoxResult::Abort;
        case MsgBoxButtons::YesNoCancel:
        case MsgBoxButtons::YesNo:
            return MsgBoxResult::Yes;
        case MsgBoxButtons::RetryCancel:
            return MsgBoxResult::Retry;
    }
    return MsgBoxResult::Ok;
}

void record(const DialogRecord& request) {
    state().shown.push_back(request);
}

std::optional<DialogAnswer> takeAnswer() {
    auto& answers = state().answers;
    if (answers.empty())
        return std::nullopt;
    DialogAnswer answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

MsgBoxResult messageBox(const QString& text, MsgBoxButtons buttons, MsgBoxIcon icon,
                        const QString& title) {
    const DialogRecord request{.kind = DialogKind::MessageBox,
                               .title = title,
                               .text = text,
                               .buttons = buttons,
                               .icon = icon};
    if (state().scripted) {
        record(request);
        const auto answer = takeAnswer();
        if (answer && answer->act)
            answer->act(nullptr);  // what happens while the box is open
        return answer ? answer->button : defaultButton(buttons);
    }
    if (state().backend)
        return state().backend->messageBox(request);
    printToConsole(request);
    return defaultButton(buttons);
}

namespace {

QString fileDialog(DialogKind kind, const QString& title, const QString& directory,
                   const QString& filter) {
    const DialogRecord request{
        .kind = kind, .title = title, .directory = directory, .filter = filter};
    if (state().scripted) {
        record(request);
        const auto answer = takeAnswer();
        return answer ? answer->fileName : QString();
    }
    if (!state().backend)
        return {};
    return kind == DialogKind::OpenFile ? state().backend->openFileName(request)
                                        : state().backend->saveFileName(request);
}

}  // namespace

QString openFileName(const QString& title, const QString& directory, const QString& filter) {
    return fileDialog(DialogKind::OpenFile, title, directory, filter);
}

QString saveFileName(const QString& title, const QString& directory, const QString& filter) {
    return fileDialog(DialogKind::SaveFile, title, directory, filter);
}

void showReport(const QString& windowName, const QString& title, const QString& text) {
    const DialogRecord request{
        .kind = DialogKind::Report, .title = title, .text = text, .window = windowName};
    if (state().scripted) {
        record(request);
        takeAnswer();
        return;
    }
    if (state().backend) {
        state().backend->showReport(request);
        return;
    }
    printToConsole(request);
}

bool askCredentials(const QString& title, const QString& text, const QStringList& fieldLabels,
                    QString& user, QString& password) {
    const DialogRecord request{
        .kind = DialogKind::Credentials, .title = title, .text = text, .fields = fieldLabels};
    if (state().scripted) {
        record(request);
        const auto answer = takeAnswer();
        if (!answer || !answer->accepted)
            return false;
        user = answer->userName;
        password = answer->password;
        return true;
    }
    return state().backend && state().backend->credentials(request, user, password);
}

void setBackend(std::unique_ptr<DialogBackend> backend) {
    state().backend = std::move(backend);
}
void setScripted(bool scripted) {
    state().scripted = scripted;
}
bool isScripted() {
    return state().scripted;
}
void pushAnswer(DialogAnswer answer) {
    state().answers.push_back(std::move(answer));
}
void pushButton(MsgBoxResult button) {
    pushAnswer(DialogAnswer{.button = button});
}
std::size_t pendingAnswers() {
    return state().answers.size();
}
const std::vector<DialogRecord>& shown() {
    return state().shown;
}

void clearShown() {
    state().shown.clear();
    state().answers.clear();
}

}  // namespace DialogSeam
