// The program as a person sees it: the real program on an X server (bench/run starts Xvfb at
// 1920 x 1080 with openbox and names it in ORVANE_BENCH_DISPLAY), keys pressed through XTest and
// rows of the screen sampled by orvane-xsample until they settle. Each time runs from the key
// press to the first sample from which the rows stay as they are 2 s later.

#include "bench/bench.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

constexpr int Runs = 5;
constexpr int PhotoCount = 20;
const QString MainCaption = QStringLiteral("Orvane v3.0");
// Rows across the main window's preview, from the top left of the window's inside; clear of the
// information line, which changes on its own every 3 s.
const QString PreviewRows = QStringLiteral("128,153,178");
const QString PreviewCols = QStringLiteral("215,112"); // inside its frame

QString Display() {
    return qEnvironmentVariable("ORVANE_BENCH_DISPLAY");
}

QString BuildFile(const QString &relative) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(relative);
}

QProcessEnvironment XEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), Display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

struct Sample {
    double ms = 0;
    QString result;
};

// Rows across the viewer's picture above and below the main window, whose list changes colour as
// it loses the focus.
const QStringList ViewerRows = {QStringLiteral("--rows"), QStringLiteral("100,250,950")};

Sample Press(const QString &key, const QStringList &where = ViewerRows) {
    QProcess sampler;
    sampler.setProcessEnvironment(XEnvironment());
    sampler.start(BuildFile(QStringLiteral("orvane-xsample")), QStringList{key} + where);
    sampler.waitForFinished(30000);
    const QString out = QString::fromUtf8(sampler.readAllStandardOutput());
    const auto m = QRegularExpression(QStringLiteral("time=([0-9.]+) result=(\\w+)")).match(out);
    if (!m.hasMatch())
        return {0, QStringLiteral("nosampler")};
    return {m.captured(1).toDouble(), m.captured(2)};
}

QStringList InMainWindow() {
    return {QStringLiteral("--window"), MainCaption, QStringLiteral("--rows"), PreviewRows,
            QStringLiteral("--cols"),   PreviewCols};
}

// The same rows on the screen, for a main window that is hidden when the key is pressed and
// comes back where it was.
QStringList WhereMainWindowWas() {
    QProcess sampler;
    sampler.setProcessEnvironment(XEnvironment());
    sampler.start(BuildFile(QStringLiteral("orvane-xsample")),
                  {QStringLiteral("--where"), MainCaption});
    sampler.waitForFinished(10000);
    const QStringList at =
        QString::fromUtf8(sampler.readAllStandardOutput()).split(QLatin1Char(' '));
    const int left = at.value(0).toInt(), top = at.value(1).toInt();
    QStringList rows;
    for (const QString &row : PreviewRows.split(QLatin1Char(',')))
        rows << QString::number(top + row.toInt());
    const QStringList cols = PreviewCols.split(QLatin1Char(','));
    return {QStringLiteral("--rows"), rows.join(QLatin1Char(',')), QStringLiteral("--cols"),
            QStringLiteral("%1,%2").arg(left + cols.value(0).toInt()).arg(cols.value(1))};
}

bool WaitForWindow(const QString &name) {
    QProcess sampler;
    sampler.setProcessEnvironment(XEnvironment());
    sampler.start(
        BuildFile(QStringLiteral("orvane-xsample")),
        {QStringLiteral("--wait"), name, QStringLiteral("--timeout"), QStringLiteral("20000")});
    return sampler.waitForFinished(25000) && sampler.exitCode() == 0;
}

void Sleep(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

// Times per case, the failed samples named.
struct Cases {
    std::map<QString, std::vector<double>> times;
    std::map<QString, QStringList> failures;
    void add(const QString &name, const Sample &s) {
        if (s.result == QLatin1String("ok"))
            times[name].push_back(s.ms);
        else
            failures[name].push_back(s.result);
    }
};

// One session of the program: Runs rounds, after a warm-up round that is not counted.
Cases RunProgram() {
    Cases cases;
    QProcess program;
    program.setProcessEnvironment(XEnvironment());
    program.setWorkingDirectory(PhotoCd());
    // ORVANE_BENCH_PROGRAM: another build of the program, to compare with.
    const QString other = qEnvironmentVariable("ORVANE_BENCH_PROGRAM");
    program.start(other.isEmpty() ? BuildFile(QStringLiteral("../orvane")) : other, {});
    if (!program.waitForStarted() || !WaitForWindow(MainCaption)) {
        cases.failures[QStringLiteral("start")].push_back(QStringLiteral("no main window"));
        return cases;
    }
    Sleep(2000);
    for (int round = 0; round <= Runs; ++round) {
        Cases warmUp; // the first round's figures are dropped
        Cases &into = round == 0 ? warmUp : cases;
        into.add(QStringLiteral("down-24mp"), Press(QStringLiteral("Down"), InMainWindow()));
        into.add(QStringLiteral("enter-24mp-dwell"), Press(QStringLiteral("Return")));
        into.add(QStringLiteral("next-24mp"), Press(QStringLiteral("Right")));
        into.add(QStringLiteral("back-24mp just-left"), Press(QStringLiteral("Left")));
        into.add(QStringLiteral("back-24mp onward"), Press(QStringLiteral("Left")));
        into.add(QStringLiteral("escape-24mp"), Press(QStringLiteral("Escape"), InMainWindow()));
        // Enter right after the row was selected: its preview is drawn, the 300 ms have not passed.
        Press(QStringLiteral("Down"),
              InMainWindow() + QStringList{QStringLiteral("--settle"), QStringLiteral("100")});
        into.add(QStringLiteral("enter-24mp"), Press(QStringLiteral("Return")));
        into.add(QStringLiteral("escape-24mp"), Press(QStringLiteral("Escape"), InMainWindow()));
        // The View button, which hides the main window: Escape shows it again.
        const QStringList mainWindow = WhereMainWindowWas();
        Press(QStringLiteral("Tab"), InMainWindow());
        Press(QStringLiteral("space"));
        into.add(QStringLiteral("escape-24mp view"), Press(QStringLiteral("Escape"), mainWindow));
    }
    program.kill();
    program.waitForFinished();
    return cases;
}

// feh on the same photos, full-screen, stepping on and back.
Cases RunFeh() {
    Cases cases;
    QStringList files;
    for (int i = 1; i <= PhotoCount; ++i)
        files << QStringLiteral("images/photo%1.jpg").arg(i, 2, 10, QChar('0'));
    QProcess feh;
    feh.setProcessEnvironment(XEnvironment());
    feh.setWorkingDirectory(PhotoCd());
    feh.start(QStringLiteral("feh"),
              QStringList{QStringLiteral("--fullscreen"), QStringLiteral("--hide-pointer")} +
                  files);
    if (!feh.waitForStarted()) {
        cases.failures[QStringLiteral("feh")].push_back(QStringLiteral("not started"));
        return cases;
    }
    Sleep(3000);
    for (int round = 0; round <= Runs; ++round) {
        const Sample next = Press(QStringLiteral("Right"));
        const Sample back = Press(QStringLiteral("Left"));
        const Sample again = Press(QStringLiteral("Right"));
        if (round > 0) {
            cases.add(QStringLiteral("next"), next);
            cases.add(QStringLiteral("next"), again);
            cases.add(QStringLiteral("back"), back);
        }
    }
    feh.kill();
    feh.waitForFinished();
    return cases;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

QString Spread(const std::vector<double> &v) {
    if (v.empty())
        return QStringLiteral("no runs");
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return QStringLiteral("%1 runs %2-%3ms").arg(v.size()).arg(*lo, 0, 'f', 1).arg(*hi, 0, 'f', 1);
}

struct Session {
    Cases ours, feh;
    double display = -1;
    bool ran = false;
};

Session &Measured() {
    static Session session;
    if (session.ran)
        return session;
    session.ran = true;
    if (Display().isEmpty())
        return session;
    PhotoCd();
    session.display = DisplayOnFullHdScreenMs();
    session.ours = RunProgram();
    session.feh = RunFeh();
    return session;
}

void Report(const char *name, const std::vector<double> &ours, double ref, const QString &refName,
            const QString &extra = QString()) {
    const Session &s = Measured();
    if (Display().isEmpty()) {
        std::printf("%s skipped: no X display (bench/run starts one)\n", name);
        return;
    }
    QStringList notes{QStringLiteral("(ref: %1; %2").arg(refName, Spread(ours))};
    if (!extra.isEmpty())
        notes << extra;
    for (const auto &[caseName, failed] : s.ours.failures)
        if (caseName.startsWith(QString::fromLatin1(name)) || caseName == QLatin1String("start"))
            notes << QStringLiteral("FAILED %1: %2").arg(caseName, failed.join(QLatin1Char(',')));
    ReportRatio(name, {Median(ours), ref}, notes.join(QStringLiteral("; ")) + QLatin1Char(')'));
}

std::vector<double> Of(const Cases &c, const char *name) {
    const auto it = c.times.find(QString::fromLatin1(name));
    return it == c.times.end() ? std::vector<double>{} : it->second;
}

} // namespace

BENCH_CASE(enter24mp, "enter-24mp") {
    const Session &s = Measured();
    Report("enter-24mp", Of(s.ours, "enter-24mp"), s.display,
           QStringLiteral("display-24mp offscreen; goal ratio 1.4, 120ms"));
}

BENCH_CASE(enter24mpDwell, "enter-24mp-dwell") {
    Report("enter-24mp-dwell", Of(Measured().ours, "enter-24mp-dwell"), 50,
           QStringLiteral("the goal, 50ms"));
}

BENCH_CASE(next24mp, "next-24mp") {
    const Session &s = Measured();
    const auto feh = Of(s.feh, "next");
    Report("next-24mp", Of(s.ours, "next-24mp"), Median(feh),
           QStringLiteral("feh stepping on, %1; goal 16ms").arg(Spread(feh)));
}

BENCH_CASE(back24mp, "back-24mp") {
    const Session &s = Measured();
    auto justLeft = Of(s.ours, "back-24mp just-left");
    const auto onward = Of(s.ours, "back-24mp onward");
    const auto feh = Of(s.feh, "back");
    std::vector<double> all = justLeft;
    all.insert(all.end(), onward.begin(), onward.end());
    Report("back-24mp", all, Median(feh),
           QStringLiteral("feh stepping back, %1; goal 16ms").arg(Spread(feh)),
           QStringLiteral("to the picture just left %1ms, on back %2ms")
               .arg(Median(justLeft), 0, 'f', 1)
               .arg(Median(onward), 0, 'f', 1));
}

BENCH_CASE(escape24mp, "escape-24mp") {
    const Session &s = Measured();
    const auto afterEnter = Of(s.ours, "escape-24mp");
    const auto afterView = Of(s.ours, "escape-24mp view");
    std::vector<double> all = afterEnter;
    all.insert(all.end(), afterView.begin(), afterView.end());
    Report("escape-24mp", all, 50, QStringLiteral("the goal, 50ms"),
           QStringLiteral("opened with Enter %1ms, with View (main window shown again) %2ms")
               .arg(Median(afterEnter), 0, 'f', 1)
               .arg(Median(afterView), 0, 'f', 1));
}

BENCH_CASE(down24mp, "down-24mp") {
    Report("down-24mp", Of(Measured().ours, "down-24mp"), 80, QStringLiteral("the goal, 80ms"));
}
