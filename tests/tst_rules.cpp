// The program's arithmetic and text rules as pure functions, a row per distinct case; and of the
// desktop's commands only what the desktop itself defines. No window.

#include "catalogue/scan.h"
#include "dialogs/save_rules.h"
#include "mainwindow/preview_rules.h"
#include "mainwindow/search_rules.h"
#include "mainwindow/settings_rules.h"
#include "platform/desktop/desktop.h"
#include "platform/files/files.h"
#include "platform/files/names.h"
#include "platform/runtime/folderlists.h"
#include "viewer/fit_rules.h"

#include <QTest>

namespace {

constexpr float SW = 15360; // 1024 x 768 pixels at 15 twips to the pixel
constexpr float SH = 11520;

struct Search {
    explicit Search(const QString &typed)
        : text(SearchTextOf(typed)), count(SplitKeywords(text, keywords)) {}
    QString text;
    KeywordArray keywords;
    int count;
};

} // namespace

class TestRules : public QObject {
    Q_OBJECT
  private slots:
    void previewFitsIntoTheBox() {
        // A thin strip, and a picture one pixel too wide for the box.
        const PreviewFit strip = FitPreview(2000, 50, 30000, 750);
        QCOMPARE(QRectF(strip.Left, strip.Top, strip.Width, strip.Height),
                 QRectF(0, 652.5f, 1800, 45));
        const PreviewFit wide = FitPreview(121, 90, 1815, 1350);
        QCOMPARE(wide.Top, 5.5785f);
        QCOMPARE(wide.Height, 1338.8429f);
        QCOMPARE(wide.Left + wide.Width, 1800.f);
    }

    void titlesTypeAndSizeText() {
        for (const auto &[entry, title, type] :
             {std::tuple{"a\\b\\tiger cub.JPG", "Tiger cub", "jpg"},
              {"x\\mOUNT eVEREST.Jpg", "Mount everest", "jpg"},
              {"x\\.gif", "", "gif"},
              {"xbmp", "Xbmp", "bmp"},
              {"GIF", "Gif", "gif"},
              {"\u00e9t\u00e9\\\u00c9LAN.bmp", "\u00c9lan", "bmp"}}) {
            QCOMPARE(PreviewTitle(entry), title);
            QCOMPARE(PictureType(entry), type);
        }
        // The information line opens with the type, for a picture of one of the three kinds.
        for (const auto &[type, text] : {std::pair{"jpg", "Jpeg Image"},
                                         {"gif", "Gif Image"},
                                         {"bmp", "Bitmap Image"},
                                         {"", "-"}})
            QCOMPARE(NextInfoLine(0, {type, {}, {}, {}}).value_or(InfoLine{"-"}).text, text);
        // The given decimal separator and no digit grouping.
        for (const auto &[bytes, separator, text] : {std::tuple{1023, ".", "1023 Bytes"},
                                                     {1024, ".", "1.0 KB"},
                                                     {2047, ".", "2.0 KB"},
                                                     {1048575, ".", "1024.0 KB"},
                                                     {1048576, ".", "1.00 MB"},
                                                     {1572864, ",", "1,50 MB"}})
            QCOMPARE(SizeText(bytes, separator), text);
        for (const char *name : {"CAT.JPG", "photojpg", "gif"})
            QVERIFY2(IsPictureName(QString(name)), name);
        for (const char *name : {"photo.jpeg", "pg"})
            QVERIFY2(!IsPictureName(QString(name)), name);
        // "-": no title, the previous one stays.
        for (const auto &[entry, title] : {std::pair{"BEACH.GIF", "Beach"},
                                           {"trips\\Rome.bmp", "Trips\\rome"},
                                           {".jpg", "-"},
                                           {"", "-"},
                                           {"abcdjpg", "Abc"}})
            QCOMPARE(ViewerTitle(entry).value_or("-"), title);
        for (const auto &[title, closed] :
             {std::pair{"A\\b\\SEA", "Sea"}, {"", ""}, {"Animals\\", ""}, {"a/b", "A/b"}})
            QCOMPARE(ClosingTitle(title), closed);
    }

    void searchSplitsMatchesAndCompacts() {
        // The count, the keywords stored (five at most), the text left holding its last word.
        for (const auto &[typed, count, stored, last] :
             {std::tuple{"CAT", 1, "cat", "cat"},
              {"   Red  CAR   ", 2, "red|car", "car"},
              {"     ", 0, "", ""},
              {"\tred\tcar", 1, "\tred\tcar", "\tred\tcar"},
              {"a b c d e f g", 7, "a|b|c|d|e", "g"}}) {
            const Search s(typed);
            QCOMPARE(s.count, count);
            QCOMPARE(
                QStringList(s.keywords.begin() + 1, s.keywords.begin() + 1 + std::min(count, 5))
                    .join('|'),
                stored);
            QCOMPARE(s.text, last);
        }
        for (const auto &[entry, typed, match] : {std::tuple{"CAT.JPG", "cat", true},
                                                  {"concatenate.jpg", "cat", true},
                                                  {"Cats\\tom.gif", "cats\\tom", true},
                                                  {"dog.jpg", "cat", false},
                                                  {"red_boat.jpg", "red car", false},
                                                  {"Holiday\\Red Car.jpg", "car holiday red", true},
                                                  {"red car.jpg", "red\tcar", false},
                                                  {"\u00c4pfel.jpg", "\u00c4PFEL", true}}) {
            const Search s(typed);
            QVERIFY2(EntryMatches(entry, s.keywords, s.count) == match, entry);
        }
        std::vector<QString> catalogue{"zero.jpg", "a.jpg", "b.jpg", "c.jpg"};
        const Search jpg("jpg"), none("  ");
        QCOMPARE(CompactMatches(catalogue, 10001, jpg.keywords, jpg.count), 3);
        QCOMPARE(CompactMatches(catalogue, -5, jpg.keywords, jpg.count), 0);
        QCOMPARE(catalogue[0], QStringLiteral("zero.jpg"));
        QCOMPARE(CompactMatches(catalogue, 3, none.keywords, none.count), 0);
        QCOMPARE(FileNamePart("Pets\\Cats\\tom 2.jpg") + FileNamePart("a/b.jpg"),
                 "tom 2.jpga/b.jpg");
    }

    void viewerFitsAndZooms() {
        const struct {
            float width, height;
            int zoomLimit;
            QRectF fitted;
            float aspectRatio; // 0: no fit step ran
        } rows[] = {{12000, 18000, 0, {3840, 0, 7680, SH}, 12000.f / 18000.f},
                    {9000, SH, 0, {3180, 0, 9000, SH}, 0},
                    {60000, 15000, 1, {0, 3840, SW, 3840}, 0.25f}, // width fitted second
                    {30000, 6000, 0, {0, 4224, SW, 3072}, 0.2f}};
        for (const auto &row : rows) {
            QCOMPARE(ZoomLimitFor(row.width, row.height, SW, SH), row.zoomLimit);
            const Fit fit = FitToScreen(row.width, row.height, row.width, row.height, SW, SH);
            QCOMPARE(QRectF(Centred(SW, fit.Width, 0), Centred(SH, fit.Height, 0), fit.Width,
                            fit.Height),
                     row.fitted);
            QCOMPARE(fit.AspectRatio.value_or(0.f), row.aspectRatio);
        }
        // The ratio comes from the enlarged image, not the picture.
        QCOMPARE(ZoomIn(15000, 11250, SW, SH, 0).AspectRatio.value(), 18750.f / 14062.5f);
        // Just below the width: ends exactly at the screen's width.
        const ZoomStep wide = ZoomIn(15000, 5000, SW, SH, 0);
        QCOMPARE(QSizeF(wide.Width, wide.Height), QSizeF(SW, SW * (6250.f / 18750.f)));
        QCOMPARE(wide.ZoomLimit, 1);
        QVERIFY(!ZoomIn(100, 100, SW, SH, 1).Changed);
        // Zooming out stops below a thousand twips.
        QVERIFY(!ZoomOut(999.9f, 999.9f).Changed);
        const ZoomStep out = ZoomOut(1000, 1000);
        QVERIFY(out.Changed && out.Width == 800.f && out.ZoomLimit == 0);
    }

    void saveNamesAndPaths() {
        QCOMPARE(DefaultSaveName("SUNSET.JPG"), "SUNSET");
        QCOMPARE(DefaultSaveName(".jpg"), QString());  // four characters or fewer: no name
        for (const QString root : {"C:\\", "\\", "/"}) // a root ends in its separator already
            QCOMPARE(SaveTargetPath(root, "Beach"), root + "Beach.bmp");
        const QStringList mounted{
            "/", "/proc", "/media/ann/USB STICK", "/boot/efi", "/run/media/ann/CAM", "/mnt/cdrom"};
        QCOMPARE(platform::DriveRoots(mounted, "/home/ann", "/"),
                 (QStringList{"/", "/home/ann", "/media/ann/USB STICK", "/run/media/ann/CAM",
                              "/mnt/cdrom"}));
        // The current folder's file system is offered even when it is none of those.
        QCOMPARE(platform::DriveRoots({"/", "/tmp"}, "/root", "/tmp"),
                 (QStringList{"/", "/root", "/tmp"}));
    }

    // Program paths on disk: either separator, runs of them read as one, none left at the end.
    void exactPaths() {
        for (const auto &[path, exact] : {std::pair{"images\\", "images"},
                                          {"images\\a b\\c.jpg", "images/a b/c.jpg"},
                                          {"images\\\\a//b\\/", "images/a/b"},
                                          {"\\cd\\images", "/cd/images"},
                                          {"/", "/"},
                                          {"", ""}})
            QCOMPARE(platform::ExactPath(path), exact);
    }

    // Line 2 is the title's colour (black without a file, kept when it is no colour); line 5
    // is UTF-8 when valid, else Windows-1252 (not Latin-1: 0x80 to 0x9f). Line 2's number converts
    // as the platform does: blanks around, halves to even, 16 bits.
    void settingsTitle() {
        using Lines = std::optional<std::vector<QByteArray>>;
        const std::optional<QColor> kept, black(QColor(0, 0, 0)), blue(QColor(0, 0, 255));
        for (const auto &[lines, colour, title] :
             {std::tuple{Lines(), black, ""},
              {Lines({"a", "16", "c", "d", "T"}), kept, "T"},
              {Lines({"a", "9", "c", "d", "Caf\xc3\xa9 \xe2\x82\xac"}), blue, "Caf\u00e9 \u20ac"},
              {Lines({"", "9", "", "", "Caf\xe9 \x93sale\x94 \x96"}), blue,
               "Caf\u00e9 \u201csale\u201d \u2013"}}) {
            const TitleSettings read = ReadTitleSettings(lines);
            QCOMPARE(read.colour, colour);
            QCOMPARE(read.title, QString(title));
        }
        const std::pair<const char *, int> numbers[] = {
            {" \t9 ", 9}, {"12.5", 12}, {"13.5", 14}, {"2.7", 3},
            {"-0.5", 0},  {"+4", 4},    {"1e1", 10},  {"-32768", -32768}};
        for (const auto &[text, value] : numbers)
            QVERIFY2(ToInteger16(text) == value, text);
        for (const char *text : {"1e10", "40000", "", "   ", "red", "12abc", "0x0c", "1 2", "nan",
                                 "\u0661\u0662" /* Arabic digits */})
            QVERIFY2(!ToInteger16(QString::fromUtf8(text)), text);
    }

    // A name keeps its bytes and is shown as text: UTF-8 when it is, else Windows-1252, a '\'
    // inside it as U+2216. Titles, rows and search go by the text.
    void namesKeepTheirBytes() {
        for (const auto &[bytes, shown] : {std::pair{"caf\xc3\xa9.jpg", "caf\u00e9.jpg"},
                                           {"\x93q\x94 \xff.gif", "\u201cq\u201d \u00ff.gif"},
                                           {"a\\b\xc3\xa9.bmp", "a\u2216b\u00e9.bmp"},
                                           {"a\\b\xe9.bmp", "a\u2216b\u00e9.bmp"}}) {
            QCOMPARE(platform::NameBytes(platform::HeldName(bytes)), QByteArray(bytes));
            QCOMPARE(platform::NameText("f\\" + platform::HeldName(bytes)), "f\\" + QString(shown));
        }
        const QString entry =
            platform::HeldName("\xc9t\xe9") + '\\' + platform::HeldName("CAF\xc9.JPG");
        QCOMPARE(PreviewTitle(entry) + "|" + ViewerTitle(entry).value_or("-") + "|" +
                     FileNamePart(entry),
                 "Caf\u00e9|\u00c9t\u00e9\\caf\u00e9|CAF\u00c9.JPG");
        const Search words("\u00c9T\u00c9 caf\u00e9");
        QVERIFY(EntryMatches(entry, words.keywords, words.count));
    }

    // X11 still reports the text "=" with Ctrl or Alt held: the modifiers decide.
    void viewerKeyCharacters() {
        for (const auto &[text, modifiers, ascii] :
             {std::tuple{"=", Qt::KeyboardModifiers(Qt::NoModifier), int('=')},
              {"-", Qt::KeypadModifier, int('-')},
              {"=", Qt::ShiftModifier | Qt::GroupSwitchModifier, int('=')},
              {"=", Qt::ControlModifier, 0},
              {"-", Qt::AltModifier, 0}})
            QCOMPARE(KeyAscii(text, modifiers), ascii);
    }

    void desktopCommands() {
        QCOMPARE(platform::DesktopKindOf("ubuntu:GNOME"), platform::DesktopKind::Gnome);
        QCOMPARE(platform::DesktopKindOf("KDE"), platform::DesktopKind::Kde);
        QCOMPARE(platform::DesktopKindOf("XFCE"), platform::DesktopKind::Xfce);
        QCOMPARE(platform::DesktopKindOf("X-Cinnamon"), platform::DesktopKind::Other);
        QCOMPARE(platform::FileUri("/tmp/a b/\u00dc \"q\"#%.bmp"),
                 "file:///tmp/a%20b/%C3%9C%20%22q%22%23%25.bmp");
        const QString script = platform::PlasmaWallpaperScript("file:///a\"b\\c\u00e9%1");
        QVERIFY(script.startsWith("var uri = \"file:///a\\\"b\\\\c\\u00e9%1\";\n"));
        QVERIFY(script.contains("d.wallpaperPlugin = \"org.kde.image\";"));
        QVERIFY(script.contains("d.writeConfig(\"Image\", uri);"));
        QCOMPARE(
            platform::XfconfImageProperties(
                "/backdrop/screen0/monitorVirtual-1/workspace0/color-style\n"
                "/backdrop/screen0/monitorVirtual-1/workspace0/last-image\n"
                "/backdrop/screen0/monitorHDMI-1/workspace1/last-image\n/desktop-icons/style\n"),
            (QStringList{"/backdrop/screen0/monitorVirtual-1/workspace0/last-image",
                         "/backdrop/screen0/monitorHDMI-1/workspace1/last-image"}));
    }
};

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
