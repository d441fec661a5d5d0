#include "main_window_fixture.h"

#include <unistd.h>
#include <QFile>
#include <QLabel>
#include <QTest>

#include "platform/ansi_codec.h"
#include "platform/local_mailslot.h"
#include "platform/mailslot_transport_config.h"
#include "sound/wave_player.h"
#include "stores/contacts.h"
#include "stores/history_file.h"
#include "stores/language_file.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"

namespace {

class RecordingWaveDevice final : public WaveDevice {
public:
    explicit RecordingWaveDevice(std::shared_ptr<RecordedSounds> sounds)
        : sounds_(std::move(sounds)) {}
    bool open(const QString& path) override {
        sounds_->opened.append(path);
        return true;
    }
    bool play() override {
        ++sounds_->played;
        return true;
    }
    void close() override {}

private:
    std::shared_ptr<RecordedSounds> sounds_;
};

int gChannelCounter = 0;

QByteArray crlfLines(const QStringList& lines) {
    return pelimo::platform::unicodeToAnsi(lines.join(QStringLiteral("\r\n")) +
                                           QStringLiteral("\r\n"));
}

}  // namespace

QImage shownImage(const QLabel* label) {
    return label->pixmap().toImage();
}

MainWindowTest::MainWindowTest() {
    resetAllModules();
    channel_ = QStringLiteral("pmtest%1x%2").arg(::getpid()).arg(++gChannelCounter);
    MailslotChannel::setTransportConfig(pelimo::platform::MailslotTransportConfig::offline());
    WavePlayer::setDevice(std::make_unique<RecordingWaveDevice>(sounds_));
    frmPelimo::setTrayAvailability([this] { return trayAvailable_; });
    writeSettings(0, 1, 0);
    constexpr int kMessages = 219;
    QStringList language{QStringLiteral("[Langage]"),
                         QStringLiteral("NbMessage=%1").arg(kMessages)};
    for (int i = 1; i <= kMessages; ++i)
        language.append(QStringLiteral("%1=T%2").arg(i, 5, 10, QChar(u'0')).arg(i));
    folder_.write(QStringLiteral("orglng.lng"), crlfLines(language));
}

MainWindowTest::~MainWindowTest() {
    window_.reset();
    resetAllModules();
    frmPelimo::setTrayAvailability([] { return false; });
}

void MainWindowTest::writeSettings(int openWindows, int playSound, int minimizedWindows) {
    folder_.write(
        QStringLiteral("Settings.ini"),
        crlfLines({QStringLiteral("[Setting]"), QStringLiteral("OpenWindows=%1").arg(openWindows),
                   QStringLiteral("PlaySound=%1").arg(playSound),
                   QStringLiteral("MinimizedWindows=%1").arg(minimizedWindows),
                   QStringLiteral("MessageChannel=") + channel_}));
}

void MainWindowTest::writeContacts(const std::vector<QStringList>& contacts) {
    QStringList lines{QStringLiteral("[UserSetting]"),
                      QStringLiteral("UserNumber=%1").arg(contacts.size())};
    int position = 0;
    for (const QStringList& contact : contacts) {
        const QString n = QStringLiteral("%1").arg(++position, 3, 10, QChar(u'0'));
        lines << QStringLiteral("UserName") + n + u'=' + contact.value(0)
              << QStringLiteral("UserComputerName") + n + u'=' + contact.value(1)
              << QStringLiteral("UserGroupName") + n + u'='
              << QStringLiteral("UserPicturePath") + n + u'=' + contact.value(2)
              << QStringLiteral("UserSoundPath") + n + u'=' + contact.value(3);
    }
    folder_.write(QStringLiteral("User.dat"), crlfLines(lines));
}

void MainWindowTest::writeHistory(const std::vector<qint16>& states) {
    QByteArray contents;
    int n = 0;
    for (const qint16 state : states) {
        ++n;
        HistoryEntry entry;
        entry.Kind = (state == kStateReadWithAttachment || state == kStateUnreadWithAttachment)
                         ? kKindAttachment
                         : kKindPlain;
        entry.Sender = QStringLiteral("PC%1").arg(n);
        entry.Addressee = QStringLiteral("ME");
        entry.Text = QStringLiteral("Text %1").arg(n);
        entry.ReceivedDate = QStringLiteral("01/02/2024");
        entry.ReceivedTime = QStringLiteral("10:00:00");
        if (entry.Kind == kKindAttachment)
            entry.AttachmentPath = QStringLiteral("\\\\PC\\share\\f.txt");
        entry.State = state;
        contents += HistoryFormat::entryBytes(entry);
    }
    folder_.write(QString::fromLatin1(kHistoryFileName), contents);
}

frmPelimo& MainWindowTest::start() {
    window_ = std::make_unique<frmPelimo>();
    window_->Form_Load();
    window_->show();
    return *window_;
}

void MainWindowTest::deliver(const QByteArray& sender, const QByteArray& addressee,
                             const QByteArray& payload) {
    QByteArray datagram = sender;
    datagram.append('\0').append(addressee).append('\0').append(payload).append('\0');
    pelimo::platform::LocalMailslotWriter writer;
    ASSERT_EQ(writer.sendNow(channel_.toLatin1(), datagram),
              pelimo::platform::MailslotDelivery::Delivered);
}

void MainWindowTest::receive(const QByteArray& sender, const QByteArray& addressee,
                             const QByteArray& payload) {
    const qint32 before = gStructureMailslotControl.MessageCount;
    deliver(sender, addressee, payload);
    ASSERT_TRUE(QTest::qWaitFor(
        [before] { return gStructureMailslotControl.MessageCount > before; }, 5000));
    // The tick that read it has also handled it; let queued window work run.
    QCoreApplication::processEvents();
}

QString MainWindowTest::writePicture(const QString& name, const QColor& colour) const {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder_.path(name);
    image.save(path, "BMP");
    return path;
}

int MainWindowTest::reportsShown() const {
    int reports = 0;
    for (const DialogRecord& record : DialogSeam::shown()) {
        if (record.kind == DialogKind::Report)
            ++reports;
    }
    return reports;
}
