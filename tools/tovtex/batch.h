#pragma once
// Runs one job per input file, on one or more threads, with a progress bar
// on a terminal (files done, bytes read, elapsed and remaining time) and a
// summary at the end.

#include <functional>
#include <string>
#include <vector>

namespace tovtex_tool {

struct FileOutcome {
    bool ok = true;
    std::string output;  // for standard output, printed in input order
    std::string error;   // for standard error, printed when the file is done
    std::string notice;  // for standard error unless -q ("the texture is not what was asked")
    std::string detail;  // for standard error with -v only
};

struct BatchSettings {
    unsigned threads = 1;
    bool summary = false;   // print "N files: S succeeded, F failed"
    bool progress = false;  // a progress bar (only drawn on a terminal, for a batch
                            // or once a file takes more than a second)
};

// job(index, worker) handles inputs[index] (names used in messages) on worker thread number worker
// (0 .. threads - 1). Returns the outcomes in input order.
std::vector<FileOutcome> RunBatch(const std::vector<std::string>& inputs, const BatchSettings& settings,
                                  const std::function<FileOutcome(size_t index, unsigned worker)>& job);

}  // namespace tovtex_tool
