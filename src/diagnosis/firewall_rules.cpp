#include "diagnosis/firewall_rules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

namespace {

constexpr int kNamePort = 137;
constexpr int kDatagramPort = 138;
constexpr int kNftTimeoutMs = 3000;
constexpr qint64 kMaxRulesetBytes = 8 * 1024 * 1024;

bool netbiosPort(qint64 port) {
    return port == kNamePort || port == kDatagramPort;
}

// The NetBIOS ports among the right-hand side of a match: a number, a set of numbers and
// ranges, or a range.
QList<int> portsIn(const QJsonValue& right) {
    QList<int> ports;
    const auto addRange = [&ports](const QJsonValue& range) {
        const QJsonArray bounds = range.toArray();
        if (bounds.size() != 2)
            return;
        for (const int port : {kNamePort, kDatagramPort}) {
            if (bounds[0].toInteger(-1) <= port && port <= bounds[1].toInteger(-1) &&
                !ports.contains(port)) {
                ports.append(port);
            }
        }
    };
    if (right.isDouble()) {
        if (netbiosPort(right.toInteger(-1)))
            ports.append(static_cast<int>(right.toInteger()));
        return ports;
    }
    const QJsonObject object = right.toObject();
    if (object.contains(QLatin1String("range"))) {
        addRange(object.value(QLatin1String("range")));
        return ports;
    }
    for (const QJsonValue element : object.value(QLatin1String("set")).toArray()) {
        if (element.isDouble() && netbiosPort(element.toInteger(-1))) {
            if (!ports.contains(static_cast<int>(element.toInteger())))
                ports.append(static_cast<int>(element.toInteger()));
        } else if (element.isObject()) {
            addRange(element.toObject().value(QLatin1String("range")));
        }
    }
    return ports;
}

// A match on the UDP (or transport-header) destination port.
bool isUdpDestinationPort(const QJsonObject& match) {
    const QJsonObject payload =
        match.value(QLatin1String("left")).toObject().value(QLatin1String("payload")).toObject();
    const QString protocol = payload.value(QLatin1String("protocol")).toString();
    return payload.value(QLatin1String("field")).toString() == QLatin1String("dport") &&
           (protocol == QLatin1String("udp") || protocol == QLatin1String("th"));
}

// A match that limits the rule to another protocol than UDP (`meta l4proto tcp`, `ip protocol`).
bool excludesUdp(const QJsonObject& match) {
    const QJsonObject left = match.value(QLatin1String("left")).toObject();
    const QString key =
        left.value(QLatin1String("meta")).toObject().value(QLatin1String("key")).toString();
    const QString field =
        left.value(QLatin1String("payload")).toObject().value(QLatin1String("field")).toString();
    if (key != QLatin1String("l4proto") && field != QLatin1String("protocol") &&
        field != QLatin1String("nexthdr")) {
        return false;
    }
    const QJsonValue right = match.value(QLatin1String("right"));
    return right.isString() && right.toString() != QLatin1String("udp");
}

}  // namespace

std::optional<std::vector<FirewallDrop>> FirewallRules::netbiosDropsInNftRuleset(
    QByteArrayView json) {
    std::vector<FirewallDrop> drops;
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray());
    const QJsonValue list = document.object().value(QLatin1String("nftables"));
    if (!list.isArray())
        return std::nullopt;
    const QJsonArray objects = list.toArray();
    int rules = 0;
    for (const QJsonValue entry : objects) {
        const QJsonObject rule = entry.toObject().value(QLatin1String("rule")).toObject();
        if (rule.isEmpty())
            continue;
        if (++rules > kFirewallMaxRules || static_cast<int>(drops.size()) >= kFirewallMaxDrops)
            break;
        QList<int> ports;
        QString verdict;
        bool otherProtocol = false;
        bool negated = false;
        for (const QJsonValue expression : rule.value(QLatin1String("expr")).toArray()) {
            const QJsonObject object = expression.toObject();
            if (object.contains(QLatin1String("drop")))
                verdict = QStringLiteral("drop");
            if (object.contains(QLatin1String("reject")))
                verdict = QStringLiteral("reject");
            const QJsonObject match = object.value(QLatin1String("match")).toObject();
            if (match.isEmpty())
                continue;
            otherProtocol = otherProtocol || excludesUdp(match);
            if (!isUdpDestinationPort(match))
                continue;
            const QString op = match.value(QLatin1String("op")).toString();
            if (op != QLatin1String("==") && op != QLatin1String("in")) {
                negated = true;
                continue;
            }
            for (const int port : portsIn(match.value(QLatin1String("right")))) {
                if (!ports.contains(port))
                    ports.append(port);
            }
        }
        if (ports.isEmpty() || verdict.isEmpty() || otherProtocol || negated)
            continue;
        const QString chain = rule.value(QLatin1String("family")).toString() + u' ' +
                              rule.value(QLatin1String("table")).toString() + u' ' +
                              rule.value(QLatin1String("chain")).toString();
        drops.push_back({chain.simplified(), ports, verdict});
    }
    return drops;
}

FirewallReading FirewallRules::read() {
    FirewallReading reading;
    const QString nft = QStandardPaths::findExecutable(
        QStringLiteral("nft"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (nft.isEmpty()) {
        reading.reason = QStringLiteral("nft is not installed");
        return reading;
    }
    QProcess process;
    process.start(nft, {QStringLiteral("-j"), QStringLiteral("list"), QStringLiteral("ruleset")});
    if (!process.waitForFinished(kNftTimeoutMs)) {
        process.kill();
        process.waitForFinished(kNftTimeoutMs);
        reading.reason = QStringLiteral("nft did not answer");
        return reading;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString error = QString::fromLocal8Bit(process.readAllStandardError()).simplified();
        reading.reason = error.isEmpty() ? QStringLiteral("nft failed") : error.left(120);
        return reading;
    }
    const QByteArray output = process.read(kMaxRulesetBytes);
    const auto drops = process.bytesAvailable() > 0
                           ? std::nullopt
                           : FirewallRules::netbiosDropsInNftRuleset(output);
    if (!drops) {
        reading.reason = QStringLiteral("nft printed no ruleset that can be read");
        return reading;
    }
    reading.readable = true;
    reading.drops = *drops;
    return reading;
}
