#include "platform/imaging/reads.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace platform {

namespace {

// More workers than this only while reads hang; later work waits in the queue instead.
constexpr int MaxWorkers = 32;

struct Job {
    std::function<void()> work;
    CancelToken token;
};

// Never destroyed: a worker stuck in a read may outlive everything else in the program.
struct Workers {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Job> queue;
    int threads = 0;
    int waiting = 0;
    int busy = 0;
    bool applicationGone = false;
};

Workers &workers() {
    static Workers *instance = [] {
        auto *w = new Workers;
        qAddPostRoutine([] {
            std::lock_guard lock(workers().mutex);
            workers().applicationGone = true;
        });
        return w;
    }();
    return *instance;
}

thread_local const std::atomic<bool> *currentToken = nullptr;

// Key repeat sends 25 to 40 presses a second; a hand is rarely faster than 10.
constexpr int HeldKeyPace = 100;

// How long a read asked for sinceLast ms after the one before waits before it starts, interval
// being the time between the two before that (0 when they came at a person's pace): a little
// longer than the next press of a held key would take to come. 0 at a person's pace.
int heldKeyWait(int sinceLast, int interval) {
    if (sinceLast >= HeldKeyPace)
        return 0;
    return std::max(sinceLast, interval) * 5 / 4 + 4;
}
int pendingResults = 0; // user-interface thread only

void workerLoop() {
    Workers &w = workers();
    std::unique_lock lock(w.mutex);
    for (;;) {
        // An idle worker waits for the next piece of work for good: a thread that ended as the
        // process ends could upset the tools that stop every thread then (LeakSanitizer).
        ++w.waiting;
        w.wake.wait(lock, [&w] { return !w.queue.empty(); });
        --w.waiting;
        Job job = std::move(w.queue.front());
        w.queue.pop_front();
        if (job.token && *job.token) {
            if (w.busy == 0 && w.queue.empty())
                w.idle.notify_all();
            continue;
        }
        ++w.busy;
        lock.unlock();
        currentToken = job.token.get();
        try {
            job.work();
        } catch (...) {
            // A failed read shows nothing; the worker goes on with the next.
        }
        currentToken = nullptr;
        job = {};
        lock.lock();
        if (--w.busy == 0 && w.queue.empty())
            w.idle.notify_all();
    }
}

} // namespace

void RunOnWorker(std::function<void()> work, CancelToken token) {
    Workers &w = workers();
    std::lock_guard lock(w.mutex);
    w.queue.push_back({std::move(work), std::move(token)});
    if (w.waiting >= static_cast<int>(w.queue.size()) || w.threads >= MaxWorkers) {
        w.wake.notify_one();
        return;
    }
    ++w.threads;
    std::thread(workerLoop).detach();
}

bool WorkCancelled() {
    return currentToken && *currentToken;
}

bool WaitUnlessCancelled(int milliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!WorkCancelled()) {
        if (std::chrono::steady_clock::now() >= until)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

const std::atomic<bool> *WorkCancelFlag() {
    return currentToken;
}

void PostToUserInterface(std::function<void()> fn) {
    Workers &w = workers();
    std::lock_guard lock(w.mutex);
    if (w.applicationGone || !QCoreApplication::instance())
        return;
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

bool WorkersBusy() {
    Workers &w = workers();
    std::lock_guard lock(w.mutex);
    return w.busy > 0 || !w.queue.empty();
}

void WaitForWorkers() {
    Workers &w = workers();
    std::unique_lock lock(w.mutex);
    w.idle.wait(lock, [&w] { return w.busy == 0 && w.queue.empty(); });
}

int ResultsPending() {
    return pendingResults;
}

namespace detail {
void CountPending(int delta) {
    pendingResults += delta;
}
} // namespace detail

int LatestRead::begin() {
    // Only a read that supersedes one still under way: a read that has ended leaves the drive
    // idle, and the next may as well start.
    const auto now = std::chrono::steady_clock::now();
    const int sinceLast =
        pending_ ? static_cast<int>(
                       std::chrono::duration_cast<std::chrono::milliseconds>(now - asked_).count())
                 : HeldKeyPace;
    const int wait = heldKeyWait(sinceLast, interval_);
    interval_ = wait > 0 ? sinceLast : 0;
    asked_ = now;
    if (token_)
        *token_ = true;
    token_ = std::make_shared<std::atomic<bool>>(false);
    ++generation_;
    if (!pending_)
        detail::CountPending(1);
    pending_ = true;
    return wait;
}

bool LatestRead::finish(quint64 generation) {
    if (!pending_ || generation != generation_)
        return false;
    pending_ = false;
    token_.reset();
    detail::CountPending(-1);
    return true;
}

void LatestRead::drop() {
    if (!pending_)
        return;
    *token_ = true;
    token_.reset();
    ++generation_;
    pending_ = false;
    detail::CountPending(-1);
}

} // namespace platform
