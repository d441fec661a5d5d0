// Runs a blocking call (a network library call) on a worker thread while the calling thread
// keeps processing its events, so the window repaints and its timers fire meanwhile. Returns
// when the call has finished; the steps of the caller keep their order.
#pragma once

#include <functional>

namespace WorkerCall {

void runOnWorker(const std::function<void()>& work);

// Lets the pending window events run once (nothing without an application object).
void letEventsRun();

}  // namespace WorkerCall
