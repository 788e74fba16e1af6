// The picture scan's worker thread: its result, its news, and stopping it while it reads, as a
// new load does. Built without any toolkit, so that it also runs under ThreadSanitizer.
#include "app/scan/scan_worker.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "analysis/scan/scan_regions.h"
#include "tests/support/embedded_pictures.h"

namespace {

using namespace std::chrono_literals;

// What the worker's callbacks hand on, collected for the test's thread as the shell's event
// queue would collect it.
class Mailbox {
public:
    ScanWorker::Finished finished() {
        return [this](uint32_t ticket) {
            const std::lock_guard<std::mutex> hold(lock_);
            finished_.push_back(ticket);
            arrived_.notify_all();
        };
    }
    ScanWorker::Progress progress() {
        return [this](uint32_t ticket, int thousandths) {
            const std::lock_guard<std::mutex> hold(lock_);
            progress_.emplace_back(ticket, thousandths);
        };
    }
    // True once the end of the scan with this ticket was reported (waits up to a minute: the
    // sanitizers slow the scan down a lot).
    bool wait_finished(uint32_t ticket) {
        std::unique_lock<std::mutex> hold(lock_);
        return arrived_.wait_for(hold, 60s, [&] { return count(finished_, ticket) > 0; });
    }
    size_t finished_count(uint32_t ticket) {
        const std::lock_guard<std::mutex> hold(lock_);
        return count(finished_, ticket);
    }
    std::vector<std::pair<uint32_t, int>> progress_seen() {
        const std::lock_guard<std::mutex> hold(lock_);
        return progress_;
    }

private:
    static size_t count(const std::vector<uint32_t>& list, uint32_t ticket) {
        return static_cast<size_t>(std::count(list.begin(), list.end(), ticket));
    }
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<uint32_t> finished_;
    std::vector<std::pair<uint32_t, int>> progress_;
};

std::vector<uint8_t> fonts_in_code() { return embedded::two_fonts_in_code().bytes(); }

// Several MiB of the same kind, so that a scan is still running when the test stops it.
std::unique_ptr<std::vector<uint8_t>> large_file(size_t size = 6u << 20) {
    const std::vector<uint8_t> piece = fonts_in_code();
    auto bytes = std::make_unique<std::vector<uint8_t>>();
    while (bytes->size() < size) {
        bytes->insert(bytes->end(), piece.begin(), piece.end());
    }
    return bytes;
}

TEST(ScanWorkerTest, FindsWhatOneCallFindsAndReportsItsEndOnce) {
    const std::vector<uint8_t> bytes = fonts_in_code();
    ASSERT_GT(bytes.size(), 100000u) << "the test data comes from bash and console-setup-linux";
    Mailbox mail;
    ScanWorker worker(mail.finished(), mail.progress());
    EXPECT_FALSE(worker.busy());
    EXPECT_EQ(worker.ticket(), 0u);
    EXPECT_FALSE(worker.take().has_value());

    const uint32_t ticket = worker.start(bytes, ScanOptions{}, 2);
    EXPECT_NE(ticket, 0u);
    EXPECT_EQ(worker.ticket(), ticket);
    ASSERT_TRUE(mail.wait_finished(ticket));
    EXPECT_TRUE(worker.done());
    EXPECT_EQ(worker.progress(), 1000);
    const auto regions = worker.take();
    ASSERT_TRUE(regions.has_value());
    EXPECT_EQ(*regions, describe_regions(bytes, scan_regions(bytes, ScanOptions{})));
    EXPECT_EQ(worker.found_since(0), *regions) << "what was shown while it ran is the result";
    EXPECT_FALSE(worker.busy());
    EXPECT_EQ(worker.ticket(), 0u);
    EXPECT_FALSE(worker.take().has_value());
    EXPECT_EQ(mail.finished_count(ticket), 1u);
    // Nobody watched: no progress news was sent.
    EXPECT_TRUE(mail.progress_seen().empty());
}

// The shell also asks done() by itself (a command that finds the scan over), with no news in
// between to order the two threads: the flag alone must make the result safe to take.
TEST(ScanWorkerTest, ItsEndCanBePolledWithoutTheNews) {
    const std::vector<uint8_t> bytes = fonts_in_code();
    ScanWorker worker(nullptr, nullptr);
    worker.start(bytes, ScanOptions{}, 2);
    const auto until = std::chrono::steady_clock::now() + 60s;
    while (!worker.done() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(1ms);
    }
    const auto regions = worker.take();
    ASSERT_TRUE(regions.has_value());
    EXPECT_EQ(*regions, describe_regions(bytes, scan_regions(bytes, ScanOptions{})));
}

TEST(ScanWorkerTest, ProgressNewsIsTaggedRisingAndWithinRange) {
    const std::unique_ptr<std::vector<uint8_t>> bytes = large_file(1u << 20);
    Mailbox mail;
    ScanWorker worker(mail.finished(), mail.progress());
    worker.report_progress(true);
    const uint32_t ticket = worker.start(*bytes, ScanOptions{}, 2);
    ASSERT_TRUE(mail.wait_finished(ticket));
    const auto news = mail.progress_seen();
    ASSERT_FALSE(news.empty());
    int last = -1;
    for (const auto& [from, thousandths] : news) {
        EXPECT_EQ(from, ticket);
        EXPECT_GT(thousandths, last) << "each report tells something new";
        EXPECT_LE(thousandths, 1000);
        last = thousandths;
    }
    EXPECT_EQ(last, 1000);
}

// A new load while the scan runs: the shell stops the worker, frees the old data and starts
// over on the new. The old data is really freed, so a thread still reading it is caught by the
// sanitizers; the old scan's end must never be reported after the stop.
TEST(ScanWorkerTest, AnOpenWhileTheScanRunsStopsItBeforeTheDataGoes) {
    const std::vector<uint8_t> second = fonts_in_code();
    const std::vector<FoundPicture> second_regions =
        describe_regions(second, scan_regions(second, ScanOptions{}));
    Mailbox mail;
    ScanWorker worker(mail.finished(), mail.progress());
    worker.report_progress(true);
    int stopped_while_running = 0;
    for (int round = 0; round < 4; ++round) {
        std::unique_ptr<std::vector<uint8_t>> first = large_file();
        const uint32_t old_ticket = worker.start(*first, ScanOptions{}, 2);
        // Let it get going for a while, longer each round.
        std::this_thread::sleep_for(std::chrono::milliseconds(5 * round));
        stopped_while_running += worker.done() ? 0 : 1;
        worker.stop();
        EXPECT_FALSE(worker.busy());
        const size_t old_reports = mail.finished_count(old_ticket);
        std::fill(first->begin(), first->end(), uint8_t{0xAA});
        first.reset();

        const uint32_t ticket = worker.start(second, ScanOptions{}, 2);
        EXPECT_NE(ticket, old_ticket);
        ASSERT_TRUE(mail.wait_finished(ticket));
        const auto regions = worker.take();
        ASSERT_TRUE(regions.has_value());
        EXPECT_EQ(*regions, second_regions) << "round " << round;
        EXPECT_EQ(mail.finished_count(old_ticket), old_reports) << "a stopped scan reported its end";
    }
    EXPECT_GT(stopped_while_running, 0) << "no round stopped a running scan: use a larger file";
}

TEST(ScanWorkerTest, StartingAgainStopsTheScanBefore) {
    const std::unique_ptr<std::vector<uint8_t>> first = large_file();
    const std::vector<uint8_t> second = fonts_in_code();
    Mailbox mail;
    ScanWorker worker(mail.finished(), mail.progress());
    const uint32_t first_ticket = worker.start(*first, ScanOptions{}, 2);
    const uint32_t second_ticket = worker.start(second, ScanOptions{}, 1);
    ASSERT_TRUE(mail.wait_finished(second_ticket));
    const auto regions = worker.take();
    ASSERT_TRUE(regions.has_value());
    EXPECT_EQ(*regions, describe_regions(second, scan_regions(second, ScanOptions{})));
    EXPECT_LE(mail.finished_count(first_ticket), 1u);
}

// The window's scan yields to the window: its threads run at a raised nice value, while the
// caller's thread (the user interface's) keeps its own.
TEST(ScanWorkerTest, ABackgroundScanLowersOnlyItsOwnThreads) {
    const auto self = static_cast<id_t>(gettid());
    const int caller = getpriority(PRIO_PROCESS, self);
    if (caller + 5 > 19) GTEST_SKIP() << "the test runs at the lowest priority already";
    const auto bytes = large_file();
    ScanWorker worker(nullptr, nullptr);
    worker.start(*bytes, ScanOptions{}, 2, 5);
    bool lowered = false;
    const auto until = std::chrono::steady_clock::now() + 60s;
    while (!lowered && !worker.done() && std::chrono::steady_clock::now() < until) {
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
            const auto tid = static_cast<id_t>(std::stoul(task.path().filename().string()));
            lowered = lowered || (tid != self && getpriority(PRIO_PROCESS, tid) == caller + 5);
        }
    }
    worker.stop();
    EXPECT_TRUE(lowered) << "no thread of the scan ran at nice " << caller + 5;
    EXPECT_EQ(getpriority(PRIO_PROCESS, self), caller);
}

TEST(ScanWorkerTest, GoingAwayJoinsTheThread) {
    auto bytes = large_file();
    Mailbox mail;
    {
        ScanWorker worker(mail.finished(), mail.progress());
        worker.start(*bytes, ScanOptions{}, 2);
    }
    // A thread still running would end the process (a joinable std::thread destroyed) or read
    // freed memory below.
    std::fill(bytes->begin(), bytes->end(), uint8_t{0});
    bytes.reset();
}

}  // namespace
