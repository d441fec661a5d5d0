// Every module's process-wide state back to its start, as a fresh program has it: for tests
// between cases and for benchmarks between runs.
#pragma once

void resetAllModules();
