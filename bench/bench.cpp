#include "bench/bench.h"

#include "platform/imaging/reads.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

QMap<QString, BenchFn> &cases() {
    static QMap<QString, BenchFn> map;
    return map;
}
QMap<QString, std::function<int(const QStringList &)>> &children() {
    static QMap<QString, std::function<int(const QStringList &)>> map;
    return map;
}

double elapsedMs(const BenchFn &fn) {
    QElapsedTimer timer;
    timer.start();
    fn();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

BenchRegistration::BenchRegistration(const char *name, BenchFn run) {
    cases().insert(QString::fromLatin1(name), std::move(run));
}

BenchChildRegistration::BenchChildRegistration(const char *name,
                                               std::function<int(const QStringList &)> run) {
    children().insert(QString::fromLatin1(name), std::move(run));
}

Medians MeasureSideBySide(const BenchFn &ours, const BenchFn &ref, int runs) {
    elapsedMs(ours);
    elapsedMs(ref);
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(elapsedMs(ours));
        b.push_back(elapsedMs(ref));
    }
    return {median(a), median(b)};
}

double MedianMs(const BenchFn &fn, int runs) {
    elapsedMs(fn);
    std::vector<double> a;
    for (int i = 0; i < runs; ++i)
        a.push_back(elapsedMs(fn));
    return median(a);
}

void ReportRatio(const char *name, Medians m, const QString &extra) {
    std::printf("%s ratio=%.2f ours=%.2fms ref=%.2fms%s%s\n", name, m.ref > 0 ? m.ours / m.ref : 0,
                m.ours, m.ref, extra.isEmpty() ? "" : " ", qPrintable(extra));
    std::fflush(stdout);
}

void ReportMemory(const char *name, double peakMb, double refMb, const QString &extra) {
    std::printf("%s peak=%.0fMB ref=%.0fMB%s%s\n", name, peakMb, refMb, extra.isEmpty() ? "" : " ",
                qPrintable(extra));
    std::fflush(stdout);
}

namespace {
struct ChildResult {
    bool ok = false;
    double peakMb = 0;
    double wallMs = 0;
};

ChildResult runChild(const QString &job, const QStringList &args, const QString &workingDirectory) {
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
    std::vector<QByteArray> argv = {program, "--child", job.toUtf8()};
    for (const QString &a : args)
        argv.push_back(a.toUtf8());
    std::vector<char *> raw;
    for (QByteArray &a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    const QByteArray cwd = QFile::encodeName(workingDirectory);

    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!cwd.isEmpty() && ::chdir(cwd.constData()) != 0)
            ::_exit(127);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    if (pid < 0)
        return {};
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return {true, static_cast<double>(usage.ru_maxrss) / 1024.0,
            static_cast<double>(timer.nsecsElapsed()) / 1e6};
}
} // namespace

double PeakRssOfChild(const QString &job, const QStringList &args,
                      const QString &workingDirectory) {
    const ChildResult r = runChild(job, args, workingDirectory);
    return r.ok ? r.peakMb : -1;
}

double RunChildMs(const QString &job, const QStringList &args, const QString &workingDirectory) {
    const ChildResult r = runChild(job, args, workingDirectory);
    return r.ok ? r.wallMs : -1;
}

void ShowReadPictures() {
    // Sleeps until an event comes, as the program's own event loop does: polling would take a
    // core from the worker being timed.
    do
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    while (platform::ResultsPending() > 0);
}

QString BenchDataDir(const QString &name) {
    const QString dir =
        QCoreApplication::applicationDirPath() + QStringLiteral("/bench-data/") + name;
    QDir().mkpath(dir);
    return dir;
}

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() >= 2 && args[0] == QLatin1String("--child")) {
        const auto it = children().constFind(args[1]);
        return it == children().constEnd() ? 2 : it.value()(args.mid(2));
    }
    if (args.isEmpty())
        args = cases().keys();
    int status = 0;
    for (const QString &name : args) {
        const auto it = cases().constFind(name);
        if (it == cases().constEnd()) {
            std::fprintf(stderr, "no such case: %s\n", qPrintable(name));
            status = 2;
            continue;
        }
        it.value()();
    }
    return status;
}
