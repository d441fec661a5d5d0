// "Why can't I reach X?": the checks that tell whether a computer can be reached by mailslot.
//   - this computer: can it receive (the datagram port's holder, nmbd's socket, this process's
//     intake, the right to bind the port), and does a local firewall rule drop UDP 137/138;
//   - the name: does it answer a NetBIOS name query, at which address, and what does the system
//     resolver say;
//   - the program: does the computer answer an identification request within a second.
// Nothing is sent until start(); the blocking look-ups run on a worker thread and the answer is
// awaited on the event loop, so a window stays responsive. The identification answers reach the
// diagnosis through Reachability::identificationArrived, called by whoever reads the mailslot.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "diagnosis/firewall_rules.h"
#include "diagnosis/receive_state.h"
#include "platform/mailslot_transport_config.h"

inline constexpr int kIdentificationAnswerWaitMs = 1000;
inline constexpr int kMaxDiagnosedNameLength = 15;

struct DiagnosisFacts {
    QString name;
    bool lookedUp = false;  // the checks of this computer and of the name are done
    LocalReceiveState receive;
    FirewallReading firewall;
    bool nameQueried = false;
    std::optional<std::uint32_t> netbiosAddress;
    bool netbiosGroup = false;
    bool resolverAsked = false;
    std::vector<std::uint32_t> resolverAddresses;
    bool identificationSent = false;
    std::optional<qint64> answerMs;  // the identification answer came after this long
};

enum class DiagnosisVerdict {
    Reachable,         // the computer answered the identification request
    UnknownName,       // neither the name service nor the resolver knows the name
    NameButNoProgram,  // the name is known but nothing answered
    CannotTell,        // the answer could not have reached this process
};

namespace Reachability {

DiagnosisVerdict verdict(const DiagnosisFacts& facts);

// The name as a computer name to diagnose: blanks and leading backslashes removed; empty when it
// cannot be one (too long, a group wildcard, characters a NetBIOS name cannot hold).
QString diagnosableName(const QString& typed);

}  // namespace Reachability

class ReachabilityDiagnosis : public QObject {
    Q_OBJECT
public:
    explicit ReachabilityDiagnosis(QObject* parent = nullptr);
    ~ReachabilityDiagnosis() override;

    // Starts the checks of `name` (already made diagnosable); returns false when one is running
    // or the name is empty.
    bool start(const QString& name);
    bool isRunning() const { return running_; }
    const DiagnosisFacts& facts() const { return facts_; }

    // An identification request or answer from `sender` arrived.
    void identificationArrived(const QString& sender);

signals:
    // A group of checks has its result in facts().
    void progressed();
    void finished(DiagnosisVerdict verdict);

private:
    void lookUpFinished(const DiagnosisFacts& found);
    void finishIfDone();

    DiagnosisFacts facts_;
    bool running_ = false;
    bool lookUpDone_ = false;
    bool waitOver_ = false;
    quint64 run_ = 0;  // a late result of an earlier run is dropped
    QElapsedTimer sentAt_;
};

namespace Reachability {

// Hands an identification datagram's sender to every running diagnosis of the process.
void identificationArrived(const QString& sender);

}  // namespace Reachability
