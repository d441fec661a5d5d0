// Helpers of the transport tests: those of every mailslot test, and scanning the channel.
#pragma once

#include "common/mailslot_test_support.h"

// Scans until a message was read or the time-out passed; returns the scan's last result.
int scanUntilMessage(int timeoutMs);
