#include "batch.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <new>
#include <thread>

#include <windows.h>

#include "result_text.h"

namespace tovtex_tool {

namespace {

class Reporter {
public:
    Reporter(size_t total, bool progress)
        : total_(total), progress_(progress && isatty(STDERR_FILENO) != 0), start_(std::chrono::steady_clock::now()) {}

    void FileDone(const FileOutcome& outcome) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++done_;
        if (!outcome.ok) {
            ++failed_;
        }
        if (!outcome.error.empty()) {
            ClearLine();
            std::fprintf(stderr, "%s\n", outcome.error.c_str());
        }
        Draw();
    }

    void Finish(bool summary) {
        std::lock_guard<std::mutex> lock(mutex_);
        ClearLine();
        if (summary) {
            std::fprintf(stderr, "%zu file%s: %zu succeeded, %zu failed (%.1f s)\n", total_, total_ == 1 ? "" : "s",
                         done_ - failed_, failed_, Elapsed());
        }
    }

private:
    double Elapsed() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

    void Draw() {
        if (progress_) {
            std::fprintf(stderr, "\r%zu/%zu files, %.1f s", done_, total_, Elapsed());
            std::fflush(stderr);
            drawn_ = true;
        }
    }

    void ClearLine() {
        if (drawn_) {
            std::fprintf(stderr, "\r\033[K");
            drawn_ = false;
        }
    }

    std::mutex mutex_;
    size_t total_;
    bool progress_;
    bool drawn_ = false;
    size_t done_ = 0;
    size_t failed_ = 0;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace

std::vector<FileOutcome> RunBatch(const std::vector<std::string>& inputs, const BatchSettings& settings,
                                  const std::function<FileOutcome(size_t index, unsigned worker)>& job) {
    const size_t count = inputs.size();
    std::vector<FileOutcome> outcomes(count);
    Reporter reporter(count, settings.progress);
    std::atomic<size_t> next{0};
    auto work = [&](unsigned worker) {
        for (size_t index = next++; index < count; index = next++) {
            FileOutcome outcome;
            try {
                outcome = job(index, worker);
            } catch (const std::bad_alloc&) {
                outcome.ok = false;
                outcome.error = inputs[index] + ": " + DescribeResult(E_OUTOFMEMORY);
            }
            reporter.FileDone(outcome);
            outcomes[index] = std::move(outcome);
        }
    };
    const unsigned threads = settings.threads == 0 ? 1 : settings.threads;
    std::vector<std::thread> workers;
    for (unsigned worker = 1; worker < threads && worker < count; ++worker) {
        workers.emplace_back(work, worker);
    }
    work(0);
    for (std::thread& thread : workers) {
        thread.join();
    }
    reporter.Finish(settings.summary);
    return outcomes;
}

}  // namespace tovtex_tool
