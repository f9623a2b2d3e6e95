#pragma once
// Fixtures shared by the tests: a CD folder made on the fly and a clean program state.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary CD folder that is the current directory while the object lives.
class TempCd {
  public:
    TempCd();
    ~TempCd();
    TempCd(const TempCd &) = delete;
    TempCd &operator=(const TempCd &) = delete;

    QString path(const QString &relative = QString()) const;
    void writeFile(const QString &relative, const QByteArray &bytes) const;
    // Writes a picture of the given size; format is "JPG", "BMP" or "PNG" (GIF through BMP data
    // is not possible with Qt, so GIFs come from writeGif).
    void writePicture(const QString &relative, int width, int height, const char *format,
                      QColor colour = QColor(40, 120, 200)) const;
    void writeGif(const QString &relative, int width, int height) const;
    void mkdir(const QString &relative) const;

  private:
    QTemporaryDir dir_;
    QString previous_;
};

// Unloads every window and puts the shared state and the services back as at program start.
// Message boxes are answered by a recorder instead of a person.
void ResetProgram();

struct RecordedMessage {
    QString prompt;
    int style = 0;
    QString title;
};
QList<RecordedMessage> &RecordedMessages();
// The answer the recorder gives to the next message boxes.
void SetMessageAnswer(int answer);

// A minimal valid GIF of the given size in one colour.
QByteArray MakeGif(int width, int height);
// The rows of a list box as text.
class QWidget;
void ProcessEventsFor(int milliseconds);
