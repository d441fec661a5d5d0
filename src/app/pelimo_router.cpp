// pelimo-router: the one program of Pelimo that may bind the NetBIOS ports (UDP 137 and 138,
// which need CAP_NET_BIND_SERVICE). It receives the datagrams of this computer (or reads them
// from nmbd beside Samba), answers name queries for the computer name, delivers each mailslot
// write to the programs of the users it is for, and sends the datagrams those programs hand it.
// The first Pelimo of the computer starts it; it ends once no program has been connected for a
// while.
//
// It trusts nothing of whoever started it: it drops the caller's whole environment first, closes
// every descriptor it inherited beyond the standard ones, keeps no capability but the one to
// bind low ports, and gives even that up when told to use other ports or addresses (options meant
// for tests). It links no Qt GUI library, loads no plugin and runs no code a caller chooses.
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QByteArray>
#include <QString>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/ansi_codec.h"
#include "platform/computer_identity.h"
#include "platform/ipv4_network.h"
#include "platform/netbios/router_service.h"

namespace {

using pelimo::platform::MailslotTransportConfig;

// The router ends this long after the last program left.
constexpr std::chrono::seconds kIdleExit{10};
constexpr char kTestparm[] = "/usr/bin/testparm";
constexpr int kUsageError = 2;

// Keeps CAP_NET_BIND_SERVICE, when it is had, and nothing else; none at all with `none`.
bool limitCapabilities(bool none) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const std::uint32_t bind = 1u << CAP_NET_BIND_SERVICE;
    const std::uint32_t kept = none ? 0 : (data[0].permitted & bind);
    data[0] = {kept, kept, 0};
    data[1] = {0, 0, 0};
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    return syscall(SYS_capset, &header, data) == 0 && prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
}

std::optional<std::uint16_t> portArgument(const char* text) {
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

int usage(const char* problem) {
    std::fprintf(stderr,
                 "pelimo-router: %s\nusage: pelimo-router [--datagram-port PORT] [--name-port "
                 "PORT] [--bind ADDRESS] [--broadcast ADDRESS]... [--no-resolver] [--no-nmbd] "
                 "[--workgroup NAME]\n",
                 problem);
    return kUsageError;
}

}  // namespace

int main(int argc, char* argv[]) {
    clearenv();
    close_range(STDERR_FILENO + 1, ~0U, 0);

    MailslotTransportConfig config;
    bool tested = false;  // an option moves the router off the NetBIOS ports
    for (int i = 1; i < argc; ++i) {
        const QByteArray option(argv[i]);
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        const bool takesValue = option == "--datagram-port" || option == "--name-port" ||
                                option == "--bind" || option == "--broadcast" ||
                                option == "--workgroup";
        if (takesValue && value == nullptr)
            return usage("an option lacks its value");
        if (option == "--datagram-port" || option == "--name-port") {
            const auto port = portArgument(value);
            if (!port)
                return usage("a port is a number from 1 to 65535");
            (option == "--datagram-port" ? config.datagramPort : config.namePort) = *port;
        } else if (option == "--bind" || option == "--broadcast") {
            const QString address = QString::fromLatin1(value);
            if (!pelimo::platform::parseIpv4(address))
                return usage("an address is an IPv4 address");
            if (option == "--bind")
                config.bindAddress = address;
            else
                config.broadcastOverride.append(address);
        } else if (option == "--workgroup") {
            config.workgroup = QString::fromLatin1(value);
        } else if (option == "--no-resolver") {
            config.useSystemResolver = false;
        } else if (option == "--no-nmbd") {
            config.nmbdUnexpectedSocket = QString();
        } else {
            return usage("unknown option");
        }
        i += takesValue ? 1 : 0;
        tested = true;
    }
    if (!limitCapabilities(tested) && !tested) {
        std::fprintf(stderr, "pelimo-router: the capabilities cannot be limited: %s\n",
                     std::strerror(errno));
        return 1;
    }

    const pelimo::platform::SambaConfigSource samba{QString::fromLatin1(kTestparm)};
    pelimo::platform::NetbiosIdentity identity;
    identity.computerName =
        pelimo::platform::unicodeToAnsi(pelimo::platform::localComputerName(samba));
    identity.workgroup = pelimo::platform::unicodeToAnsi(
        config.workgroup.isEmpty() ? pelimo::platform::localWorkgroup(samba) : config.workgroup);
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    pelimo::platform::RouterService service(config, identity,
                                            QByteArray(self, length > 0 ? length : 0));
    const int error = service.start();
    if (error == EADDRINUSE)
        return 0;  // another router serves this computer
    if (error != 0) {
        std::fprintf(stderr, "pelimo-router: the router socket cannot be opened: %s\n",
                     std::strerror(error));
        return 1;
    }
    service.waitUntilIdle(kIdleExit);
    return 0;
}
