#pragma once
// The benchmark program's frame: cases register themselves; each prints one line,
//   <case> ratio=<R> ours=<X>ms ref=<Y>ms      or      <case> peak=<N>MB ref=<M>MB
// with medians of runs measured side by side in one run.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

using BenchFn = std::function<void()>;

struct BenchRegistration {
    BenchRegistration(const char *name, BenchFn run);
};
#define BENCH_CASE(id, name)                                                                       \
    static void bench_##id();                                                                      \
    static const BenchRegistration bench_registration_##id(name, bench_##id);                      \
    static void bench_##id()

// Child processes (for memory cases) run one registered job by name.
struct BenchChildRegistration {
    BenchChildRegistration(const char *name, std::function<int(const QStringList &args)> run);
};
#define BENCH_CHILD(id, name)                                                                      \
    static int benchchild_##id([[maybe_unused]] const QStringList &args);                          \
    static const BenchChildRegistration benchchild_registration_##id(name, benchchild_##id);       \
    static int benchchild_##id([[maybe_unused]] const QStringList &args)

// Runs ours and ref alternately (runs times each, after one warm-up of each) and returns the
// medians in milliseconds.
struct Medians {
    double ours = 0;
    double ref = 0;
};
Medians MeasureSideBySide(const BenchFn &ours, const BenchFn &ref, int runs = 7);
double MedianMs(const BenchFn &fn, int runs = 7);

void ReportRatio(const char *name, Medians m, const QString &extra = QString());
void ReportMemory(const char *name, double peakMb, double refMb, const QString &extra = QString());

// Runs this program as a child with a child job and returns its peak resident memory in MB
// (negative on failure).
double PeakRssOfChild(const QString &job, const QStringList &args,
                      const QString &workingDirectory = QString());

// Runs this program as a child with a child job and returns its wall time in milliseconds
// (negative on failure).
double RunChildMs(const QString &job, const QStringList &args,
                  const QString &workingDirectory = QString());

// Waits for the pictures read on workers and hands them to the windows, as the event loop does.
void ShowReadPictures();

// A scratch folder under the build tree for generated inputs, kept between runs.
QString BenchDataDir(const QString &name);

// The CD of twenty camera-like 6000 x 4000 JPEGs, made once and kept between runs.
QString PhotoCd();
// The median of DisplayImage on a 24-megapixel photo, on a 1920 x 1080 offscreen screen.
double DisplayOnFullHdScreenMs();
// The offscreen platform (QT_QPA_PLATFORM) with one 1920 x 1080 screen.
QByteArray FullHdPlatform();
