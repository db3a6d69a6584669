#pragma once
// Runs one job per input file, on one or more threads, with a progress line
// on a terminal and a summary at the end.

#include <functional>
#include <string>
#include <vector>

namespace tovtex_tool {

struct FileOutcome {
    bool ok = true;
    std::string output;  // for standard output, printed in input order
    std::string error;   // for standard error, printed when the file is done
};

struct BatchSettings {
    unsigned threads = 1;
    bool summary = false;   // print "N files: S succeeded, F failed"
    bool progress = false;  // a progress line (only drawn on a terminal)
};

// job(index, worker) handles inputs[index] (names used in messages) on worker thread number worker
// (0 .. threads - 1). Returns the outcomes in input order.
std::vector<FileOutcome> RunBatch(const std::vector<std::string>& inputs, const BatchSettings& settings,
                                  const std::function<FileOutcome(size_t index, unsigned worker)>& job);

}  // namespace tovtex_tool
