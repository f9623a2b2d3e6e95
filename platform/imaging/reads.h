#pragma once
// Work that touches the picture files, done off the user-interface thread so that a slow or
// failing CD never freezes a window. A piece of work runs on an idle worker or on a new one, so a
// read that hangs on a stalled drive holds up nothing but itself; nobody ever waits for a worker,
// not even the program's exit.

#include <QObject>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace platform {

// Set when the result of a piece of work is not wanted any more.
using CancelToken = std::shared_ptr<std::atomic<bool>>;

// Runs work on a worker; work still queued when its token is set is skipped.
void RunOnWorker(std::function<void()> work, CancelToken token = {});
// On a worker: waits the given time unless the work is cancelled meanwhile; whether it is still
// wanted.
bool WaitUnlessCancelled(int milliseconds);
// On a worker: whether the work it runs is no longer wanted. A picture read stops at its next
// piece.
bool WorkCancelled();
// On a worker: the flag that WorkCancelled reads, for work shared with other workers; null when
// the work can't be cancelled.
const std::atomic<bool> *WorkCancelFlag();
// Runs fn on the user-interface thread, from any thread; dropped once the application is gone.
void PostToUserInterface(std::function<void()> fn);

// Whether a worker is still at work: a program ending now does not wait for it.
bool WorkersBusy();
// Waits until every worker is idle; for tests and measurements.
void WaitForWorkers();
// Results asked for and not handed over yet; for tests and measurements.
int ResultsPending();

// Runs work on a worker, then done with its result on the user-interface thread while context
// lives.
template <class T>
void OffThread(QObject *context, std::function<T()> work, std::function<void(T)> done);

// The reads of one window where a newer one makes the older pointless, as for the picture a
// window is about to show: only the newest result is handed over, and an older read still at
// work is told to stop. Reads asked for at a held key's pace wait until the key lets go, so the
// rows it passes never reach the drive. Lives on the user-interface thread.
class LatestRead {
  public:
    ~LatestRead() { drop(); }
    template <class T>
    void start(QObject *context, std::function<T()> work, std::function<void(T)> done);
    // A read has been asked for and its result not handed over yet.
    bool pending() const { return pending_; }
    // Forgets the read in progress: its result is never handed over.
    void drop();

  private:
    // The milliseconds a new read waits before it starts.
    int begin();
    bool finish(quint64 generation);
    std::chrono::steady_clock::time_point asked_;
    int interval_ = 0; // between the last two reads asked for at a held key's pace
    quint64 generation_ = 0;
    bool pending_ = false;
    CancelToken token_;
};

namespace detail {
void CountPending(int delta);
}

template <class T>
void OffThread(QObject *context, std::function<T()> work, std::function<void(T)> done) {
    detail::CountPending(1);
    RunOnWorker([context = QPointer<QObject>(context), work = std::move(work),
                 done = std::move(done)]() mutable {
        auto result = std::make_shared<T>(work());
        PostToUserInterface([context, result, done = std::move(done)] {
            detail::CountPending(-1);
            if (context)
                done(std::move(*result));
        });
    });
}

template <class T>
void LatestRead::start(QObject *context, std::function<T()> work, std::function<void(T)> done) {
    const int wait = begin();
    const quint64 generation = generation_;
    RunOnWorker(
        [this, context = QPointer<QObject>(context), generation, wait, work = std::move(work),
         done = std::move(done)]() mutable {
            if (wait > 0 && !WaitUnlessCancelled(wait))
                return;
            auto result = std::make_shared<T>(work());
            // This object belongs to the context; it is touched only while the context lives.
            PostToUserInterface([this, context, generation, result, done = std::move(done)] {
                if (context && finish(generation))
                    done(std::move(*result));
            });
        },
        token_);
}

} // namespace platform
