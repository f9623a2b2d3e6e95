// The main window through its real windows: start-up from the CD folder, the catalogue scan, the
// preview and its information line, Search and Reset, and the buttons that open other windows.

#include "app/form6.h"
#include "app/globals.h"
#include "dialogs/form5.h"
#include "mainwindow/form1.h"
#include "mainwindow/form4.h"
#include "mainwindow/preview_rules.h"
#include "platform/desktop/services.h"
#include "platform/files/files.h"
#include "support/picturefiles.h"
#include "support/rootless.h"
#include "support/testsupport.h"
#include "viewer/form2.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QTest>

#include <sys/stat.h>

namespace {

QStringList playedSounds;

bool buttonsOn(const Form1 &main, bool on) {
    const QPushButton *buttons[] = {main.Command1, main.Command2, main.Command4,
                                    main.Command5, main.Command6, main.Command7};
    return std::ranges::all_of(buttons, [on](auto *b) { return b->isEnabled() == on; });
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        ResetProgram();
        playedSounds.clear();
        platform::services().playSound = [](const QString &path) { playedSounds << path; };
    }
    void cleanup() { ResetProgram(); }

    // The scan walks depth first, a folder's own pictures before its subfolders', with names in
    // any letter case; an unreadable folder is passed over, as are names that are no pictures.
    void startsFromTheCdFolder() {
        TempCd cd;
        cd.writeFile("orvane.ini", "[orvane]\r\n12\r\nx\r\ny\r\nHoliday Pictures\r\nz\r\n");
        cd.writeFile("ORVANE.WAV", "RIFF");
        cd.writePicture("MENUPIC.JPG", 300, 200, "JPG");
        cd.writeFile("splash.jpg", "garbage"); // as good as none: the main window at once
        // One picture and at most one subfolder a level: the order is the walk's own.
        const QStringList expected =
            QString("top.jpg|a\\CAT.JPG|a\\b\\Dog.Gif|a\\b\\old.jpg\\inside.jpg|"
                    "a\\b\\old.jpg\\c\\.hidden.jpg|a\\b\\old.jpg\\c\\d\\new\nline.bmp")
                .split('|');
        for (const QString &entry : expected)
            cd.writeFile("IMAGES/" + QString(entry).replace('\\', '/'), "x");
        for (const char *f : {"photo.jpeg", "readme.txt", "locked/p.jpg"})
            cd.writeFile(QStringLiteral("IMAGES/") + f, "x");
        const QByteArray locked = QFile::encodeName(cd.path("IMAGES/locked"));
        QVERIFY(::chmod(locked, 0) == 0);
        {
            const WithoutFileOverride rootless;
            QVERIFY(rootless.ok());
            Instance<Form6>();
        }
        ::chmod(locked, 0700);
        QVERIFY(!IsLoaded<Form6>() && IsLoaded<Form1>());
        Form1 &form = Instance<Form1>();
        QCOMPARE(form.Label1->text(), QString("Holiday Pictures"));
        QCOMPARE(form.Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(form.Picture.size() == QSize(300, 200) && playedSounds.size() == 1 &&
                g.CurrentIndex == 1 && form.List1->ListIndex() == 0);
        QCOMPARE(Catalogue(), expected);
        // An exact name wins over one that differs in case.
        cd.writeFile("menupic.jpg", "yy");
        QCOMPARE(platform::FileLen("menupic.jpg").value_or(-1), 2);
    }

    // A splash fills the client area of 3000 x 1500 twips; the frame is drawn around it in a
    // margin of the same window (that no other window shows: the real-window tests).
    void splash() {
        TempCd cd;
        const QColor colour(200, 40, 40);
        cd.writePicture("splash.jpg", 400, 300, "BMP", colour);
        Form6 &splash = Instance<Form6>();
        splash.show();
        splash.Timer1->stop(); // else the main window, handed over to, covers it too
        const QImage shown = splash.grab().toImage();
        QCOMPARE(shown.size(), QSize(208, 108));
        QVERIFY(shown.pixelColor(4, 4) == colour && shown.pixelColor(203, 103) == colour);
        QVERIFY(shown.pixelColor(0, 0) != colour && shown.pixelColor(204, 104) != colour);
        // Titles and names come from the CD: no label takes them for markup.
        for (const QWidget *window : std::initializer_list<QWidget *>{
                 &Instance<Form1>(), &Instance<Form2>(), &Instance<Form5>()})
            for (const QLabel *label : window->findChildren<QLabel *>())
                QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->text()));
    }

    // Decoded no larger than drawn, fitted into the box, turned as the camera says. Selected by
    // key, the information line takes turns on the timer's beat. (A picture that can't be read:
    // tst_faultydisc.)
    void previewAndInformationLine() {
        TempCd cd;
        const QByteArray tiger = WithExifOrientation(Encode(HalvesImage(640, 320), "JPG"), 6);
        cd.writeFile("images/animals/tiger cub.JPG", tiger);
        cd.writeFile("images/Bad One.jpg", "x");
        Form1 &form = Instance<Form1>();
        form.List1->SetFocus();
        QTest::keyClick(form.List1, Qt::Key_Down); // from a folder's own pictures to a subfolder's
        ShowReads();
        QCOMPARE(form.Image1->Picture().size(), QSize(80, 160));
        const platform::ImageBox &box = *form.Image1;
        QCOMPARE(QRectF(box.Left(), box.Top(), box.Width(), box.Height()),
                 QRectF(562.5, 0, 675, 1350));
        QStringList texts{form.Label2->text()};
        for (int tick = 0; tick < 5; ++tick, texts << form.Label2->text())
            form.Timer1_Timer();
        QCOMPARE(texts, (QStringList{"Tiger cub", "Jpeg Image", "320 * 640 pixels",
                                     SizeText(tiger.size(), QLocale::system().decimalPoint()),
                                     "Tiger cub", "Jpeg Image"}));
        QVERIFY(RecordedMessages().isEmpty());
    }

    // Rejected texts keep the dialog open; closing it (the rejected text's last word still held)
    // and a search that finds nothing leave the list as it was. Typing and Enter are a real
    // window's.
    void searchResetAndTheViewer() {
        TempCd cd; // five of ten pictures have "cat" in their path: in a word, a folder, capitals
        for (const char *picture :
             {"Concatenate.jpg", "wildcat.gif", "Pets/Cats/tom.gif", "Pets/Cats/Felix.jpg",
              "Holiday/CAT nap.bmp", "Red Car.jpg", "red_boat.gif", "Blue Car.bmp",
              "Pets/dog11.jpg", "Pets/bird.bmp"})
            cd.writeFile(QStringLiteral("images/") + picture, "x"); // the search reads names only
        Form1 &main = Instance<Form1>();
        platform::ActivateForm(&main);
        const QStringList full = Catalogue();
        // Only the left button selects, and Ctrl can't take the selection away.
        main.List1->SetSelected(7);
        for (const auto &[button, mods, row, selected] :
             {std::tuple{Qt::RightButton, Qt::KeyboardModifiers(), 2, 7},
              {Qt::MiddleButton, Qt::KeyboardModifiers(), 2, 7},
              {Qt::LeftButton, Qt::KeyboardModifiers(Qt::ControlModifier), 7, 7},
              {Qt::NoButton, Qt::KeyboardModifiers(Qt::ControlModifier), 7, 7},
              {Qt::LeftButton, Qt::KeyboardModifiers(), 2, 2}}) {
            if (button == Qt::NoButton)
                QTest::keyClick(main.List1, Qt::Key_Space, mods);
            else
                QTest::mouseClick(
                    main.List1->viewport(), button, mods,
                    main.List1->visualRect(main.List1->model()->index(row, 0)).center());
            QCOMPARE(main.List1->ListIndex(), selected);
        }
        main.List1->SetSelected(7);
        QVERIFY(WhileModal<Form4>([&] { QTest::mouseClick(main.Command6, Qt::LeftButton); },
                                  [&](Form4 &dialog) {
                                      QVERIFY(buttonsOn(main, false));
                                      for (const char *text : {"    ", "a b c d jpg"}) {
                                          dialog.Text1->setText(text);
                                          dialog.Command1_Click();
                                      }
                                      QCOMPARE(dialog.Text1->text(), "");
                                      dialog.close();
                                  }));
        QVERIFY(SearchFor("zebra"));
        QCOMPARE(RecordedMessages(),
                 (QStringList{"Please enter search string", "Only 3 keywords allowed",
                              "Sorry, no match was found"}));
        QVERIFY(Catalogue() == full && main.List1->ListIndex() == 7 && buttonsOn(main, true));
        // Found in the catalogue's order; a second search looks at those only.
        QVERIFY(SearchFor("Cat"));
        QCOMPARE(Catalogue(), full.filter("cat", Qt::CaseInsensitive));
        QVERIFY(SearchFor("jpg"));
        QCOMPARE(Catalogue(), (QStringList{"Concatenate.jpg", "Pets\\Cats\\Felix.jpg"}));
        // Reset rereads the settings, rescans and replays the sound, the buttons back on by then.
        cd.writeFile("orvane.ini", "x\r\n9\r\nx\r\nx\r\nPets\r\nx\r\n");
        cd.writeFile("orvane.wav", "RIFF");
        cd.writePicture("images/Pets/kitten.jpg", 8, 6, "JPG");
        bool buttonsAtSound = false;
        platform::services().playSound = [&](const QString &) {
            buttonsAtSound = buttonsOn(main, true);
        };
        main.Command7_Click();
        QVERIFY(main.List1->ListCount() == 11 && main.List1->ListIndex() == 0 && buttonsAtSound);
        QVERIFY(main.Label1->text() == "Pets" && main.focusWidget() == main.List1);
        // The viewer opens by the preview, its frame and a double-click (the View button is a real
        // window's), the main window hiding.
        const QPoint at[] = {{5, 5},
                             {main.Picture1->width() - 2, main.Picture1->height() - 2},
                             main.List1->visualRect(main.List1->model()->index(6, 0)).center()};
        for (int how = 0; how < 3; ++how) {
            main.List1->SetSelected(2);
            QWidget *const target[] = {main.Image1, main.Picture1, main.List1->viewport()};
            QTest::mouseClick(target[how], Qt::LeftButton, {}, at[how]);
            if (how == 2)
                QTest::mouseDClick(target[how], Qt::LeftButton, {}, at[how]);
            QVERIFY2(IsLoaded<Form2>() && !main.isVisible(), qPrintable(QString::number(how)));
            QVERIFY(g.CurrentIndex == (how == 2 ? 7 : 3) && buttonsOn(main, true));
            Unload<Form2>();
            QVERIFY(main.isVisible());
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
