// The history count line under the panels: the number of stored messages and of unread ones.
#pragma once

#include <QString>

namespace HistoryCountLine {

// " N <message 54>  U <message 55>": each count with the blank of its sign before it.
QString text();

}  // namespace HistoryCountLine
