// pelimo-send --diagnose NAME: the diagnosis on the command line. This process opens the
// channel's mailslot (and the network intake, where it may) to receive the identification
// answer, prints one line per check and the verdict, and returns the exit status.
#pragma once

#include <QString>

namespace DiagnosisCommand {

int run(const QString& name);

}  // namespace DiagnosisCommand
