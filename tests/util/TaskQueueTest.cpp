// Every client shares the pool's threads: strands keep their order, tasks that wait for other
// work never stall the pool, and cleared tasks never run.
#include "util/TaskQueue.h"
#include "util/ThreadPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <latch>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Runs the scenario on a thread of its own; a scenario still running after the limit is stuck
// for good, and nothing but ending the process gets its threads back.
void expectFinishes(const char *name, const std::function<void()> &scenario) {
    std::packaged_task<void()> task(scenario);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        std::fprintf(stderr, "deadlock: %s\n", name);
        std::abort();
    }
    runner.join();
}

} // namespace

TEST(TaskQueue, RunsEveryTaskOnceAndNeverMoreThanTheWidth) {
    // The width, the budget, the weight of each task.
    const qint64 cases[][3] = {{1, 0, 0}, {1, 100, 30}, {3, 0, 0}, {3, 50, 20}};
    for (const auto &[width, budget, weight] : cases) {
        SCOPED_TRACE(testing::Message() << "width " << width << ", budget " << budget);
        ThreadPool pool(4);
        // Other clients keep the pool busy, so the queue gives up its threads now and then.
        TaskQueue others({.width = 4}, pool);
        TaskQueue queue({.width = int(width), .budget = budget}, pool);
        std::mutex mutex;
        std::vector<int> started;
        std::vector<int> finished;
        std::atomic<int> running = 0;
        std::atomic<int> mostRunning = 0;
        for (int index = 0; index < 2000; ++index) {
            others.post([] { std::this_thread::yield(); });
            queue.post(
                [&, index] {
                    {
                        std::lock_guard lock(mutex);
                        started.push_back(index);
                    }
                    const int now = ++running;
                    for (int seen = mostRunning; now > seen;)
                        mostRunning.compare_exchange_weak(seen, now);
                    if (index % 3 == 0)
                        std::this_thread::sleep_for(std::chrono::microseconds(50));
                    --running;
                    std::lock_guard lock(mutex);
                    finished.push_back(index);
                },
                weight);
        }
        queue.wait();
        EXPECT_LE(mostRunning, width);
        if (width == 1) {
            EXPECT_EQ(finished, started) << "a strand runs one task after another";
        } else {
            EXPECT_GT(mostRunning, 1) << "a wider queue runs tasks side by side";
            // Tasks started side by side record themselves in either order.
            std::sort(started.begin(), started.end());
        }
        ASSERT_EQ(started.size(), 2000u);
        for (int index = 0; index < 2000; ++index)
            ASSERT_EQ(started[std::size_t(index)], index);
    }
}

TEST(TaskQueue, ClientsThatWaitNeverStallThePool) {
    struct Case {
        const char *name;
        int width;
        std::function<void(ThreadPool &)> run;
    };
    const std::vector<Case> cases = {
        {"tasks wait for a task queued after them", 1,
         [](ThreadPool &pool) {
             std::latch gate(1);
             TaskQueue waiting({.width = 2, .tasksWait = true}, pool);
             TaskQueue strand({}, pool);
             waiting.post([&] { gate.wait(); });
             waiting.post([&] { gate.wait(); });
             strand.post([&] { gate.count_down(); });
             waiting.wait();
         }},
        {"tasks wait for the posting thread, which waits for a strand first", 1,
         [](ThreadPool &pool) {
             std::latch gate(1);
             TaskQueue waiting({.width = 3, .tasksWait = true}, pool);
             for (int index = 0; index < 3; ++index)
                 waiting.post([&] { gate.wait(); });
             TaskQueue strand({}, pool);
             strand.post([] {});
             strand.wait();
             gate.count_down();
         }},
        {"a strand's budget holds the poster while waiting tasks hold threads", 1,
         [](ThreadPool &pool) {
             std::latch gate(1);
             TaskQueue waiting({.width = 1, .tasksWait = true}, pool);
             waiting.post([&] { gate.wait(); });
             TaskQueue strand({.width = 1, .budget = 10}, pool);
             std::atomic<int> written = 0;
             for (int index = 0; index < 100; ++index)
                 strand.post([&] { ++written; }, 5);
             strand.wait();
             gate.count_down();
             EXPECT_EQ(written, 100);
         }},
        {"a task waits for a strand it posted to", 1,
         [](ThreadPool &pool) {
             TaskQueue strand({}, pool);
             TaskQueue waiting({.width = 2, .tasksWait = true}, pool);
             std::atomic<int> ran = 0;
             for (int index = 0; index < 2; ++index)
                 waiting.post([&] {
                     strand.post([&] { ++ran; });
                     strand.wait();
                 });
             waiting.wait();
             EXPECT_EQ(ran, 2);
         }},
        {"tasks post more tasks while the caller waits for all of them", 1,
         [](ThreadPool &pool) {
             TaskQueue tree({.width = 3}, pool);
             std::atomic<int> ran = 0;
             std::function<void(int)> visit = [&](int depth) {
                 ++ran;
                 for (int child = 0; depth < 4 && child < 3; ++child)
                     tree.post([&, depth] { visit(depth + 1); });
             };
             tree.post([&] { visit(0); });
             tree.wait();
             EXPECT_EQ(ran, 1 + 3 + 9 + 27 + 81);
         }},
        {"more waiting clients than threads", 2,
         [](ThreadPool &pool) {
             std::latch gate(1);
             std::vector<std::unique_ptr<TaskQueue>> waiting;
             for (int index = 0; index < 8; ++index) {
                 waiting.push_back(std::make_unique<TaskQueue>(
                     TaskQueue::Options{.width = 1, .tasksWait = true}, pool));
                 waiting.back()->post([&] { gate.wait(); });
             }
             TaskQueue strand({}, pool);
             strand.post([&] { gate.count_down(); });
             for (const auto &queue : waiting)
                 queue->wait();
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ThreadPool pool(c.width);
        expectFinishes(c.name, [&] { c.run(pool); });
    }
}

TEST(TaskQueue, ClearedTasksNeverRunAndTheRestRunBeforeTheQueueGoes) {
    for (const bool clears : {true, false}) {
        SCOPED_TRACE(clears ? "cleared" : "kept");
        ThreadPool pool(2);
        std::atomic<int> ran = 0;
        expectFinishes("clearing frees the budget", [&] {
            std::latch gate(1);
            TaskQueue strand({.width = 1, .budget = 40}, pool);
            strand.post([&] { gate.wait(); });
            // The budget is spent: one more post would wait.
            for (int index = 0; index < 4; ++index)
                strand.post([&] { ++ran; }, 10);
            if (clears) {
                strand.clear();
                strand.post([&] { ran += 100; }, 30);
            }
            gate.count_down();
        });
        EXPECT_EQ(ran, clears ? 100 : 4);
    }
}
