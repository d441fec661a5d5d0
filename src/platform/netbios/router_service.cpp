#include "platform/netbios/router_service.h"

#include <unistd.h>

#include <cerrno>
#include <functional>
#include <thread>

#include "platform/netbios/router_client.h"
#include "platform/udp_port_holder.h"

namespace pelimo::platform {
namespace {

constexpr std::chrono::milliseconds kIdleCheck{200};

// Whether a router to be trusted listens under `prefix` with a name `wanted` accepts.
bool anotherRouterListens(const QByteArray& prefix,
                          const std::function<bool(const QByteArray&)>& wanted = {}) {
    RouterClient::Outcome outcome;
    const int fd = connectToTrustedRouter(prefix, outcome, wanted);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

}  // namespace

RouterService::RouterService(MailslotTransportConfig config, NetbiosIdentity identity,
                             QByteArray program)
    : config_(std::move(config)),
      identity_(std::move(identity)),
      program_(std::move(program)),
      hub_(std::make_shared<RouterHub>(routerSocketPrefix(config_.datagramPort), identity_)) {}

RouterService::~RouterService() {
    // The hub first: no program hands the sender anything more.
    hub_->stop();
    intake_.reset();
    sender_.reset();
}

int RouterService::start() {
    const QByteArray prefix = routerSocketPrefix(config_.datagramPort);
    if (anotherRouterListens(prefix))
        return EADDRINUSE;
    if (const int error = hub_->listen(); error != 0)
        return error;
    // Two routers started at the same moment: the one with the smaller name serves.
    const QByteArray& own = hub_->socketName();
    if (anotherRouterListens(prefix, [&own](const QByteArray& name) { return name < own; }))
        return EADDRINUSE;
    MailslotRouter::Hooks hooks;
    hooks.deliverer = hub_;
    hooks.isLocalUser = [hub = hub_.get()](QByteArrayView name) { return hub->isUserName(name); };
    hooks.hostLock = false;  // one router serves: it found no other
    intake_ = std::make_unique<MailslotRouter>(config_, identity_, names_, hooks);
    if (config_.networkIntake)
        started_ = intake_->start();
    if (intakeReport().portHeld)
        portHolder_ = udpPortHolder(config_.datagramPort).value_or(QString()).toLocal8Bit();
    sender_ = std::make_unique<MailslotSender>(
        config_, [workgroup = identity_.workgroup] { return workgroup; }, names_, hub_);
    RouterHub::Services services;
    services.send = [sender = sender_.get()](OutgoingMailslotMessage message) {
        return sender->enqueue(std::move(message));
    };
    services.sendingIdle = [sender = sender_.get()] { return sender->isIdle(); };
    services.intake = [this] { return intakeReport(); };
    services.status = [intake = intake_.get()] {
        router::StatusReply status;
        status.held = static_cast<std::uint32_t>(intake->backlog());
        status.lost = intake->lostDatagrams();
        status.routing = intake->isRouting();
        status.readingNmbd = intake->isReadingNmbd();
        status.delivered = intake->counters().delivered.load();
        status.dropped = intake->counters().dropped.load();
        status.duplicates = intake->counters().duplicates.load();
        status.receiveBufferBytes = static_cast<std::uint32_t>(intake->receiveBufferBytes());
        return status;
    };
    hub_->start(std::move(services));
    return 0;
}

router::IntakeReport RouterService::intakeReport() const {
    router::IntakeReport report;
    report.routing = intake_->isRouting();
    report.readingNmbd = intake_->isReadingNmbd();
    report.permissionDenied = started_.permissionDenied;
    report.portHeld = !started_.datagramPortBound && !started_.readingNmbd &&
                      started_.datagramPortError == EADDRINUSE;
    report.nmbdError = started_.nmbdError;
    report.datagramPort = config_.datagramPort;
    report.namePort = config_.namePort;
    report.nmbdSocketPath = started_.nmbdSocketPath.toLocal8Bit();
    report.portHolder = portHolder_;
    report.routerProgram = program_;
    return report;
}

void RouterService::waitUntilIdle(std::chrono::milliseconds idle) const {
    for (;;) {
        const auto since = hub_->idleSince();
        if (since && RouterHub::Clock::now() - *since >= idle)
            return;
        std::this_thread::sleep_for(kIdleCheck);
    }
}

}  // namespace pelimo::platform
