// The program as a person sees it: the real program on an X server (bench/run starts Xvfb at
// 1920 x 1080 with openbox and names it in ORVANE_BENCH_DISPLAY), keys pressed through XTest and
// rows of the screen sampled by orvane-xsample until they settle. Each time runs from the key
// press to the first sample from which the rows stay as they are 2 s later.

#include "bench/bench.h"
#include "platform/imaging/picture.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <map>
#include <optional>
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

// The throttled CD: the photo CD's first twelve photos (all different, so the sampler tells the
// rows apart) on an ISO 9660 image served at a 24x drive's speed by nbdkit's rate and delay
// filters, exported as a file by nbdfuse and mounted by fuseiso. Every run mounts it afresh: the
// page cache lives as long as the mount.
namespace {

constexpr int CdPhotos = 12;
constexpr double CdBytesPerMs = 28800.0 * 1000 / 8 / 1000; // rate=28800k, in bits per second
constexpr int CdRuns = 3;
// Rows across the list and the preview beside it, clear of the information line.
const QString CdRows = QStringLiteral("84,92,100,108,116,124,132,140,148,156,164,172,180,188,196,"
                                      "204,232,240,248");
const QString CdCols = QStringLiteral("57,279");
// Where the list's rows lie in the main window, 13 pixels apart.
constexpr int CdListX = 100;
int CdRowY(int row) {
    return 88 + 13 * row;
}

QString CdPhoto(int i) {
    return QStringLiteral("images/photo%1.jpg").arg(i, 2, 10, QChar('0'));
}

QString CdImage() {
    const QString dir = BenchDataDir(QStringLiteral("throttled-cd"));
    const QString iso = dir + QStringLiteral("/cd.iso");
    if (QFile::exists(iso))
        return iso;
    const QString photos = PhotoCd();
    QDir(dir).mkpath(QStringLiteral("staging/images"));
    for (int i = 1; i <= CdPhotos; ++i)
        QFile::copy(photos + QLatin1Char('/') + CdPhoto(i),
                    dir + QStringLiteral("/staging/") + CdPhoto(i));
    // The image a publisher makes (tools/publish), with this build's viewer beside the photos.
    QProcess publish;
    publish.setStandardOutputFile(QProcess::nullDevice());
    publish.start(QStringLiteral(ORVANE_PUBLISH),
                  {QStringLiteral("--build"), BuildFile(QStringLiteral("..")),
                   QStringLiteral("--label"), QStringLiteral("THROTTLED CD"),
                   dir + QStringLiteral("/staging"), iso});
    return publish.waitForFinished(-1) && publish.exitCode() == 0 ? iso : QString();
}

class ThrottledCd {
  public:
    // With a log, nbdkit's log filter writes each read the drive is asked for into it.
    explicit ThrottledCd(const QString &iso = CdImage(), const QString &log = {}) {
        const QString socket = dir_.filePath(QStringLiteral("sock"));
        QDir(dir_.path()).mkpath(QStringLiteral("nbd"));
        QDir(dir_.path()).mkpath(QStringLiteral("cd"));
        // ORVANE_BENCH_CD_LOG=DIR: every read the drive served, one log a mount, to count bytes
        // and seeks.
        QString logFile = log;
        if (const QString dir = qEnvironmentVariable("ORVANE_BENCH_CD_LOG");
            logFile.isEmpty() && !dir.isEmpty()) {
            static int mounts = 0;
            logFile = QStringLiteral("%1/cd-%2.log").arg(dir).arg(++mounts);
        }
        // nbdkit goes into the background once it serves.
        QStringList args = {QStringLiteral("--unix"), socket, QStringLiteral("--pidfile"),
                            pidFile()};
        if (!logFile.isEmpty())
            args << QStringLiteral("--filter=log");
        args << QStringLiteral("--filter=rate") << QStringLiteral("--filter=delay")
             << QStringLiteral("file") << iso << QStringLiteral("rate=28800k")
             << QStringLiteral("burstiness=0.1") << QStringLiteral("delay-read=2ms");
        if (!logFile.isEmpty())
            args << QStringLiteral("logfile=") + logFile;
        if (iso.isEmpty() || QProcess::execute(QStringLiteral("nbdkit"), args) != 0)
            return;
        const QString device = dir_.filePath(QStringLiteral("nbd/cd.iso"));
        nbdfuse_.start(QStringLiteral("nbdfuse"), {device, QStringLiteral("--unix"), socket});
        for (int i = 0; i < 100 && !QFile::exists(device); ++i)
            QThread::msleep(50);
        ok = QFile::exists(device) &&
             QProcess::execute(QStringLiteral("fuseiso"), {device, folder()}) == 0 &&
             QFileInfo::exists(folder() + QStringLiteral("/images"));
    }
    ~ThrottledCd() {
        QProcess::execute(QStringLiteral("fusermount"), {QStringLiteral("-u"), folder()});
        // fuseiso lets go of the exported file a moment after its mount is gone.
        for (int i = 0; i < 50 && QProcess::execute(QStringLiteral("fusermount3"),
                                                    {QStringLiteral("-u"), QStringLiteral("-q"),
                                                     dir_.filePath(QStringLiteral("nbd"))}) != 0;
             ++i)
            QThread::msleep(100);
        nbdfuse_.waitForFinished(5000);
        QFile pid(pidFile());
        if (pid.open(QIODevice::ReadOnly))
            ::kill(pid.readAll().trimmed().toInt(), SIGTERM);
    }
    QString folder() const { return dir_.filePath(QStringLiteral("cd")); }
    bool ok = false;

  private:
    QString pidFile() const { return dir_.filePath(QStringLiteral("nbdkit.pid")); }
    QTemporaryDir dir_;
    QProcess nbdfuse_;
};

// Reading and decoding one photo for the preview, alone on a fresh mount; nothing when the read
// took under 90 % of the throttled time, so the throttle did not hold.
std::optional<double> ColdPreviewMs(int photo) {
    const ThrottledCd cd;
    const QString file = cd.folder() + QLatin1Char('/') + CdPhoto(photo);
    QElapsedTimer timer;
    timer.start();
    const bool read = cd.ok && platform::LoadPictureFile(file, QSize(120, 90));
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (!read || ms < 0.9 * static_cast<double>(QFileInfo(file).size()) / CdBytesPerMs)
        return std::nullopt;
    return ms;
}

// What the sampler saw of one input on a fresh start from a fresh mount, against the photo it
// leads to read alone, cold: its time to settle, its first change and the longest time the screen
// stood still while the input lasted.
struct CdSample {
    double settled = 0, first = 0, maxGap = 0, cold = 0, then = 0;
};

std::optional<CdSample> SampleOnFreshCd(int photo, const QStringList &input, QString &failure) {
    const auto cold = ColdPreviewMs(photo);
    const ThrottledCd cd;
    if (!cold || !cd.ok) {
        failure = QStringLiteral("throttled CD not ready or too fast");
        return std::nullopt;
    }
    QProcess program;
    program.setProcessEnvironment(XEnvironment());
    program.setWorkingDirectory(cd.folder());
    program.start(BuildFile(QStringLiteral("../orvane")), {});
    if (!program.waitForStarted() || !WaitForWindow(MainCaption)) {
        failure = QStringLiteral("no main window");
        return std::nullopt;
    }
    Sleep(3000); // the first row's preview
    QProcess sampler;
    sampler.setProcessEnvironment(XEnvironment());
    sampler.start(BuildFile(QStringLiteral("orvane-xsample")),
                  input + QStringList{QStringLiteral("--any"), QStringLiteral("--window"),
                                      MainCaption, QStringLiteral("--rows"), CdRows,
                                      QStringLiteral("--cols"), CdCols, QStringLiteral("--timeout"),
                                      QStringLiteral("90000")});
    sampler.waitForFinished(100000);
    const auto m =
        QRegularExpression(QStringLiteral("time=([0-9.]+) result=(\\w+).* first=([0-9.]+)"
                                          " maxgap=([0-9.]+)(?: then=([0-9.,-]+))?"))
            .match(QString::fromUtf8(sampler.readAllStandardOutput()));
    program.kill();
    program.waitForFinished();
    if (!m.hasMatch() || m.captured(2) != QLatin1String("ok")) {
        failure = m.hasMatch() ? m.captured(2) : QStringLiteral("nosampler");
        return std::nullopt;
    }
    return CdSample{m.captured(1).toDouble(), m.captured(3).toDouble(), m.captured(4).toDouble(),
                    *cold, m.captured(5).split(QLatin1Char(',')).last().toDouble()};
}

// Against the photo read cold plus 300 ms, or with a goal, the time from the last --then key to
// the first change after it against that goal.
void ReportCd(const char *name, int photo, const QStringList &input, const QString &what,
              double goal = 0) {
    if (Display().isEmpty()) {
        std::printf("%s skipped: no X display (bench/run starts one)\n", name);
        return;
    }
    std::vector<double> ours, ref, first, gaps, then;
    QStringList failures;
    for (int run = 0; run < CdRuns; ++run) {
        QString failure;
        if (const auto s = SampleOnFreshCd(photo, input, failure)) {
            ours.push_back(goal > 0 ? s->then : s->settled);
            ref.push_back(goal > 0 ? goal : s->cold + 300);
            first.push_back(s->first);
            gaps.push_back(s->maxGap);
            then.push_back(s->then);
        } else {
            failures << failure;
        }
    }
    const QString note = QStringLiteral("(ref: %1; %2; %3%4)")
                             .arg(goal > 0 ? QStringLiteral("the goal")
                                           : QStringLiteral("the photo read cold, %1ms, plus 300ms")
                                                 .arg(Median(ref) - 300, 0, 'f', 0))
                             .arg(Spread(ours))
                             .arg(what.arg(Median(first), 0, 'f', 0)
                                      .arg(Median(gaps), 0, 'f', 0)
                                      .arg(input.contains(QStringLiteral("--then"))
                                               ? QString::number(Median(then), 'f', 0)
                                               : QString()))
                             .arg(failures.isEmpty() ? QString()
                                                     : QStringLiteral("; FAILED ") +
                                                           failures.join(QLatin1Char(',')));
    ReportRatio(name, {Median(ours), Median(ref)}, note);
}

} // namespace

// Ten Down presses 33 ms apart, as key repeat sends them: from the first press until the list
// and preview settle, against reading the last row's photo alone. Settled means 15 s unchanged: a
// window that reads each row's photo on its user-interface thread paints nothing until it has
// read them all.
BENCH_CASE(heldDownCd, "held-down-cd") {
    ReportCd("held-down-cd", 11,
             {QStringLiteral("Down"), QStringLiteral("--repeat"), QStringLiteral("10"),
              QStringLiteral("--gap"), QStringLiteral("33"), QStringLiteral("--settle"),
              QStringLiteral("15000")},
             QStringLiteral("first change %1ms; longest time without a screen change while "
                            "pressing %2ms, goal 100ms%3"));
}

// A click on the ninth row, which the read-ahead from the first has not reached: the highlight
// should move within 50 ms, the preview follow once its photo is read.
BENCH_CASE(clickCd, "click-cd") {
    ReportCd("click-cd", 9,
             {QStringLiteral("--click"), QStringLiteral("%1,%2").arg(CdListX).arg(CdRowY(8)),
              QStringLiteral("--settle"), QStringLiteral("5000")},
             QStringLiteral("the highlight moved after %1ms, goal 50ms; the screen stood still "
                            "for up to %2ms%3"));
}

// Enter right after such a click: the viewer should be up within 100 ms of Enter, black, and its
// picture show once read. The time runs from the click to the viewer's picture settled.
BENCH_CASE(enterColdCd, "enter-cold-cd") {
    ReportCd("enter-cold-cd", 9,
             {QStringLiteral("--click"), QStringLiteral("%1,%2").arg(CdListX).arg(CdRowY(8)),
              QStringLiteral("--then"), QStringLiteral("Return@30"), QStringLiteral("--black"),
              QStringLiteral("--settle"), QStringLiteral("5000")},
             QStringLiteral("the first change after %1ms; the screen stood still for up to "
                            "%2ms; the first change after Enter came %3ms after it, goal 100ms"));
}

// The viewer started from the disc as its launcher at the root starts it, the sample CD with the
// disc's viewer beside it on the throttled CD, to its splash painted. A real drive also spends
// about 100 ms on each read that does not start where the last one ended, which the throttle does
// not charge: the figure adds them. Packed (one archive unpacked into memory) against plain (each
// library a file of its own, as a bundle is usually made).
namespace {

constexpr double SeekMs = 100;

QString DiscImage(bool plain) {
    const QString dir = BenchDataDir(plain ? QStringLiteral("disc-plain") : QStringLiteral("disc"));
    const QString staging = dir + QStringLiteral("/staging");
    const QString iso = dir + QStringLiteral("/cd.iso");
    // Made again only when the program, the bundle's tools or the publisher's command changed.
    const QDateTime made = QFileInfo(iso).lastModified();
    if (QFileInfo::exists(iso) &&
        made > QFileInfo(BuildFile(QStringLiteral("../orvane"))).lastModified() &&
        made > QFileInfo(QStringLiteral(ORVANE_SOURCE_DIR "/tools/bundle/make-bundle"))
                   .lastModified() &&
        made > QFileInfo(QStringLiteral(ORVANE_SOURCE_DIR "/tools/bundle/run")).lastModified() &&
        made > QFileInfo(QStringLiteral(ORVANE_PUBLISH)).lastModified())
        return iso;
    QDir(staging).removeRecursively();
    QFile::remove(iso);
    const QString viewer = staging + QStringLiteral("/viewer"),
                  cd = staging + QStringLiteral("/cd");
    QStringList bundle = {BuildFile(QStringLiteral("..")), viewer};
    if (plain)
        bundle << QStringLiteral("--plain");
    QProcess publish; // the image a publisher makes, with this viewer
    publish.setStandardOutputFile(QProcess::nullDevice());
    const bool ok =
        QProcess::execute(BuildFile(QStringLiteral("../tools/orvane-mksample")), {cd}) == 0 &&
        QProcess::execute(QStringLiteral(ORVANE_SOURCE_DIR "/tools/bundle/make-bundle"), bundle) ==
            0 &&
        (publish.start(QStringLiteral(ORVANE_PUBLISH),
                       {QStringLiteral("--viewer"), viewer, QStringLiteral("--label"),
                        QStringLiteral("SAMPLE CD"), cd, iso}),
         publish.waitForFinished(-1) && publish.exitCode() == 0);
    return ok ? iso : QString();
}

struct DiscStart {
    double splash = 0, megabytes = 0;
    int seeks = 0;
    QStringList leftBehind;
    double figure() const { return splash + SeekMs * seeks; }
};

// The reads the drive was asked for between two times of the log's clock: bytes and seeks. Reads
// asked for within a millisecond of each other (the kernel's read-ahead, passed on by several
// threads) were waiting together, and a drive serves its queue in the order of the disc, so they
// count in that order.
void CountReads(const QString &log, const QString &from, const QString &to, DiscStart &start) {
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QRegularExpression read(
        QStringLiteral("^(\\S+ (\\d+):(\\d+):([0-9.]+)) connection=\\d+ Read id=\\d+ "
                       "offset=0x([0-9a-f]+) count=0x([0-9a-f]+)"));
    struct Read {
        double at;
        qint64 offset, count;
    };
    std::vector<Read> reads;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const auto m = read.match(line);
        if (m.hasMatch() && m.captured(1) >= from && m.captured(1) <= to)
            reads.push_back({m.captured(2).toDouble() * 3.6e6 + m.captured(3).toDouble() * 6e4 +
                                 m.captured(4).toDouble() * 1e3,
                             m.captured(5).toLongLong(nullptr, 16),
                             m.captured(6).toLongLong(nullptr, 16)});
    }
    for (size_t first = 0, i = 1; i <= reads.size(); ++i)
        if (i == reads.size() || reads[i].at - reads[first].at > 1) {
            std::sort(reads.begin() + static_cast<std::ptrdiff_t>(first),
                      reads.begin() + static_cast<std::ptrdiff_t>(i),
                      [](const Read &a, const Read &b) { return a.offset < b.offset; });
            first = i;
        }
    qint64 next = -1, bytes = 0;
    for (const Read &r : reads) {
        start.seeks += r.offset != next;
        next = r.offset + r.count;
        bytes += r.count;
    }
    start.megabytes = static_cast<double>(bytes) / 1e6;
}

std::optional<DiscStart> StartFromDisc(const QString &iso) {
    const QTemporaryDir logs, runtime;
    const QString log = logs.filePath(QStringLiteral("reads.log"));
    DiscStart start;
    QString from, to;
    {
        const ThrottledCd cd(iso, log);
        if (!cd.ok)
            return std::nullopt;
        QProcessEnvironment env = XEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        QProcess sampler;
        sampler.setProcessEnvironment(env);
        sampler.setWorkingDirectory(cd.folder());
        const auto clock = [] {
            return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        };
        from = clock();
        // The disc's launcher, from its root, as the autostart file starts it.
        sampler.start(BuildFile(QStringLiteral("orvane-xsample")),
                      {QStringLiteral("--painted"), QStringLiteral("--rows"),
                       QStringLiteral("520,540,560"), QStringLiteral("--cols"),
                       QStringLiteral("880,160"), QStringLiteral("--timeout"),
                       QStringLiteral("90000"), QStringLiteral("--"), QStringLiteral("sh"),
                       QStringLiteral("-c"), QStringLiteral("exec ./start-linux.sh")});
        sampler.waitForFinished(100000);
        to = clock();
        const auto m = QRegularExpression(QStringLiteral("pid=(\\d+) time=([0-9.]+)"))
                           .match(QString::fromUtf8(sampler.readAllStandardOutput()));
        if (!m.hasMatch())
            return std::nullopt;
        const pid_t group = m.captured(1).toInt();
        start.splash = m.captured(2).toDouble();
        Sleep(1000);
        ::kill(-group, SIGTERM);
        for (int i = 0; i < 600 && ::kill(-group, 0) == 0; ++i)
            QThread::msleep(50);
        start.leftBehind =
            QDir(runtime.path())
                .entryList({QStringLiteral("orvane*")}, QDir::AllEntries | QDir::NoDotAndDotDot);
    } // nbdkit ends and has written its log whole
    CountReads(log, from, to, start);
    if (start.splash <= 0)
        return std::nullopt;
    return start;
}

} // namespace

BENCH_CASE(startCd, "start-cd") {
    if (Display().isEmpty()) {
        std::printf("start-cd skipped: no X display (bench/run starts one)\n");
        return;
    }
    std::map<bool, std::vector<DiscStart>> runs;
    for (const bool plain : {false, true}) {
        const QString iso = DiscImage(plain);
        for (int run = 0; run < CdRuns && !iso.isEmpty(); ++run)
            if (const auto s = StartFromDisc(iso))
                runs[plain].push_back(*s);
    }
    const auto median = [&](bool plain, auto field) {
        std::vector<double> v;
        for (const DiscStart &s : runs[plain])
            v.push_back(field(s));
        return Median(v);
    };
    const auto describe = [&](bool plain) {
        std::vector<double> figures;
        for (const DiscStart &s : runs[plain])
            figures.push_back(s.figure());
        QStringList left;
        for (const DiscStart &s : runs[plain])
            left += s.leftBehind;
        return QStringLiteral("figure %1ms (%2): the splash after %3ms, %4 MB read with %5 seeks%6")
            .arg(Median(figures), 0, 'f', 0)
            .arg(Spread(figures))
            .arg(median(plain, [](const DiscStart &s) { return s.splash; }), 0, 'f', 0)
            .arg(median(plain, [](const DiscStart &s) { return s.megabytes; }), 0, 'f', 1)
            .arg(median(plain, [](const DiscStart &s) { return double(s.seeks); }), 0, 'f', 0)
            .arg(left.isEmpty() ? QString()
                                : QStringLiteral(", FAILED: left in the runtime folder: ") +
                                      left.join(QLatin1Char(',')));
    };
    ReportRatio("start-cd", {median(false, [](const DiscStart &s) { return s.figure(); }), 4000},
                QStringLiteral("(ref: the goal, 4 s; the splash plus 100ms a seek; packed: %1; "
                               "plain: %2)")
                    .arg(describe(false), describe(true)));
}

// Escape while the viewer opened that way is still reading its picture: the main window should be
// back within 50 ms of the key.
BENCH_CASE(escapeColdCd, "escape-cold-cd") {
    ReportCd("escape-cold-cd", 9,
             {QStringLiteral("--click"), QStringLiteral("%1,%2").arg(CdListX).arg(CdRowY(8)),
              QStringLiteral("--then"), QStringLiteral("Return@30"), QStringLiteral("--then"),
              QStringLiteral("Escape@500"), QStringLiteral("--black"), QStringLiteral("--settle"),
              QStringLiteral("5000")},
             QStringLiteral("the first change after %1ms; the screen stood still for up to %2ms; "
                            "the main window back %3ms after Escape"),
             50);
}
