// pelimo-browse: reads the SMB browse lists for the window process, which starts it for a
// detection. It takes one smb:// URL per line on its standard input and answers each with the
// listing (browse_protocol.h) on its standard output; it ends at the end of its input.
// libsmbclient may print to standard output: the protocol keeps the original descriptor and
// everything else written to standard output goes to standard error.
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <string>

#include "addressbook/browse_protocol.h"
#include "addressbook/smb_browser.h"

namespace {

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

// One line of standard input without its LF; false at the end of the input or for a line
// longer than the protocol allows.
bool readRequest(std::string& line) {
    line.clear();
    for (int c = std::getchar(); c != EOF; c = std::getchar()) {
        if (c == '\n')
            return true;
        if (static_cast<qsizetype>(line.size()) >= kMaxBrowseLine)
            return false;
        line.push_back(static_cast<char>(c));
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const int protocol = ::dup(STDOUT_FILENO);
    if (protocol < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 1;
    QCoreApplication app(argc, argv);
    std::string request;
    while (readRequest(request)) {
        const QString url = QString::fromUtf8(request.data(), qsizetype(request.size()));
        QByteArray answer;
        std::vector<SmbEntry> entries;
        QString error;
        if (!url.startsWith(QLatin1String("smb://"))) {
            answer = BrowseProtocol::errorLine(QStringLiteral("not an smb:// URL"));
        } else if (!SmbBrowser::list(url, entries, error)) {
            answer = BrowseProtocol::errorLine(error);
        } else {
            for (const SmbEntry& entry : entries)
                answer += BrowseProtocol::entryLine(entry);
            answer += BrowseProtocol::endLine();
        }
        if (!writeAll(protocol, answer))
            return 1;
    }
    return 0;
}
