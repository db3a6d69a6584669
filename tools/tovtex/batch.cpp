#include "batch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <new>
#include <thread>

#include <windows.h>

#include "cli.h"
#include "result_text.h"

namespace tovtex_tool {

namespace {

class Reporter {
public:
    Reporter(const std::vector<std::string>& inputs, bool progress)
        : total_(inputs.size()),
          progress_(progress && isatty(STDERR_FILENO) != 0 && CurrentVerbosity() != Verbosity::QUIET),
          start_(std::chrono::steady_clock::now()) {
        if (progress_) {
            for (const std::string& input : inputs) {
                struct stat info {};
                const uint64_t size = stat(input.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
                sizes_.push_back(size);
                totalBytes_ += size;
            }
        }
    }

    void FileDone(size_t index, const FileOutcome& outcome) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++done_;
        if (!outcome.ok) {
            ++failed_;
        }
        if (progress_) {
            doneBytes_ += sizes_[index];
        }
        const Verbosity verbosity = CurrentVerbosity();
        for (const std::string* line : {&outcome.error, verbosity != Verbosity::QUIET ? &outcome.notice : nullptr,
                                        verbosity == Verbosity::VERBOSE ? &outcome.detail : nullptr}) {
            if (line != nullptr && !line->empty()) {
                ClearLine();
                std::fprintf(stderr, "%s\n", line->c_str());
            }
        }
        Draw();
    }

    // Redraws the bar now and then while files are under way.
    void Tick() {
        std::lock_guard<std::mutex> lock(mutex_);
        Draw();
    }

    bool Shows() const { return progress_; }

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

    // A batch shows its bar at once; a single file only once it takes more
    // than a second.
    void Draw() {
        const double elapsed = Elapsed();
        if (!progress_ || (total_ < 2 && elapsed < 1.0) || done_ == total_) {
            return;
        }
        constexpr int WIDTH = 24;
        const double part = totalBytes_ > 0 ? static_cast<double>(doneBytes_) / static_cast<double>(totalBytes_)
                                            : static_cast<double>(done_) / static_cast<double>(total_);
        const int filled = static_cast<int>(part * WIDTH);
        char bar[WIDTH + 1];
        for (int i = 0; i < WIDTH; ++i) bar[i] = i < filled ? '#' : '.';
        bar[WIDTH] = 0;
        char left[32] = "";
        if (part > 0) {
            std::snprintf(left, sizeof(left), ", %.0f s left", elapsed / part - elapsed);
        }
        std::fprintf(stderr, "\r\033[K[%s] %zu/%zu files, %.1f/%.1f MB, %.1f s%s", bar, done_, total_,
                     static_cast<double>(doneBytes_) / 1e6, static_cast<double>(totalBytes_) / 1e6, elapsed, left);
        std::fflush(stderr);
        drawn_ = true;
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
    std::vector<uint64_t> sizes_;
    uint64_t totalBytes_ = 0;
    uint64_t doneBytes_ = 0;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace

std::vector<FileOutcome> RunBatch(const std::vector<std::string>& inputs, const BatchSettings& settings,
                                  const std::function<FileOutcome(size_t index, unsigned worker)>& job) {
    const size_t count = inputs.size();
    std::vector<FileOutcome> outcomes(count);
    Reporter reporter(inputs, settings.progress);
    std::atomic<size_t> next{0};
    auto work = [&](unsigned worker) {
        for (size_t index = next++; index < count; index = next++) {
            FileOutcome outcome;
            try {
                outcome = job(index, worker);
            } catch (const std::bad_alloc&) {
                outcome.ok = false;
                outcome.error = FileError(inputs[index], E_OUTOFMEMORY);
            }
            reporter.FileDone(index, outcome);
            outcomes[index] = std::move(outcome);
        }
    };
    const unsigned threads = settings.threads == 0 ? 1 : settings.threads;
    std::vector<std::thread> workers;
    std::mutex tickMutex;
    std::condition_variable tickWake;
    bool finished = false;
    std::thread ticker;
    if (reporter.Shows()) {
        ticker = std::thread([&] {
            std::unique_lock<std::mutex> lock(tickMutex);
            while (!tickWake.wait_for(lock, std::chrono::milliseconds(250), [&] { return finished; })) {
                reporter.Tick();
            }
        });
    }
    for (unsigned worker = 1; worker < threads && worker < count; ++worker) {
        workers.emplace_back(work, worker);
    }
    work(0);
    for (std::thread& thread : workers) {
        thread.join();
    }
    {
        std::lock_guard<std::mutex> lock(tickMutex);
        finished = true;
    }
    tickWake.notify_all();
    if (ticker.joinable()) {
        ticker.join();
    }
    reporter.Finish(settings.summary);
    return outcomes;
}

}  // namespace tovtex_tool
