// Test and benchmark seam: fixes the worker count of pools made with the
// default constructor. 0 restores one worker per logical processor.
#pragma once

namespace velmora::testing {
void SetWorkerCountForTesting(unsigned workers);
unsigned WorkerCountOverride();
}  // namespace velmora::testing
