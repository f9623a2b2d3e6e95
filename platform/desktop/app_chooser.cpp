#include "platform/desktop/app_chooser.h"

#include "platform/desktop/desktop.h"
#include "platform/runtime/activation.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMimeDatabase>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace platform {

namespace {

// The escapes of a desktop entry's string values.
QString unescapeValue(const QString &value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        default:
            out += next;
            break;
        }
    }
    return out;
}

// The [Desktop Entry] group's keys and values.
QHash<QString, QString> readEntryGroup(const QString &file) {
    QHash<QString, QString> keys;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inGroup = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inGroup && eq > 0) {
            const QString key = line.left(eq).trimmed();
            if (!keys.contains(key))
                keys.insert(key, line.mid(eq + 1).trimmed());
        }
    }
    return keys;
}

QString localized(const QHash<QString, QString> &keys, const QString &key) {
    const QString locale = QLocale().name(); // "de_DE"
    for (const QString &variant : {locale, locale.section(QLatin1Char('_'), 0, 0)}) {
        const auto it = keys.constFind(key + QLatin1Char('[') + variant + QLatin1Char(']'));
        if (it != keys.constEnd())
            return unescapeValue(*it);
    }
    return unescapeValue(keys.value(key));
}

bool isTrue(const QHash<QString, QString> &keys, const char *key) {
    return keys.value(QLatin1String(key)) == QLatin1String("true");
}

bool installed(const QString &program) {
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable();
    }
    return !QStandardPaths::findExecutable(program).isEmpty();
}

// Splits an Exec value into words: blanks separate, double quotes group, and inside quotes a
// backslash takes the next character as it is.
std::optional<QStringList> splitExec(const QString &exec) {
    QStringList words;
    QString word;
    bool inWord = false, quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else if (c == QLatin1Char('\\') && i + 1 < exec.size())
                word += exec.at(++i);
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words.append(word);
    return words;
}

std::optional<DesktopApplication> readApplication(const QString &file, const QString &id) {
    const auto keys = readEntryGroup(file);
    if (keys.value(QStringLiteral("Type")) != QLatin1String("Application") ||
        isTrue(keys, "Hidden") || isTrue(keys, "NoDisplay") || isTrue(keys, "Terminal"))
        return std::nullopt;
    DesktopApplication app;
    app.id = id;
    app.file = file;
    app.name = localized(keys, QStringLiteral("Name"));
    app.icon = unescapeValue(keys.value(QStringLiteral("Icon")));
    app.exec = unescapeValue(keys.value(QStringLiteral("Exec")));
    app.path = unescapeValue(keys.value(QStringLiteral("Path")));
    app.mimeTypes =
        keys.value(QStringLiteral("MimeType")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const QString tryExec = unescapeValue(keys.value(QStringLiteral("TryExec")));
    const auto words = splitExec(app.exec);
    if (app.name.isEmpty() || !words || words->isEmpty() || !installed(words->first()) ||
        (!tryExec.isEmpty() && !installed(tryExec)))
        return std::nullopt;
    return app;
}

bool accepts(const DesktopApplication &app, const QStringList &mimeTypes) {
    for (const QString &type : app.mimeTypes) {
        if (mimeTypes.contains(type))
            return true;
        // "image/*" takes every picture.
        if (type.endsWith(QLatin1String("/*")))
            for (const QString &wanted : mimeTypes)
                if (wanted.startsWith(type.chopped(1)))
                    return true;
    }
    return false;
}

void launch(const DesktopApplication &app, const QString &nativePath) {
    const auto words = ExecArguments(app, nativePath);
    if (words && !words->isEmpty())
        QProcess::startDetached(words->first(), words->mid(1), app.path);
}

} // namespace

std::vector<DesktopApplication> ApplicationsFor(const QStringList &mimeTypes,
                                                const QStringList &applicationFolders) {
    std::vector<DesktopApplication> found;
    QSet<QString> seen;
    for (const QString &folder : applicationFolders) {
        QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files,
                        QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        QStringList files;
        while (it.hasNext())
            files.append(it.next());
        files.sort();
        for (const QString &file : files) {
            QString id = QDir(folder).relativeFilePath(file);
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            // The first folder to have an id decides, even when its entry is hidden.
            if (seen.contains(id))
                continue;
            seen.insert(id);
            if (auto app = readApplication(file, id); app && accepts(*app, mimeTypes))
                found.push_back(*app);
        }
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        return QString::localeAwareCompare(a.name, b.name) < 0;
    });
    return found;
}

QStringList AcceptedMimeTypes(const QString &nativePath) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(nativePath);
    QStringList types{type.name()};
    types += type.aliases();
    for (const QString &parent : type.allAncestors())
        if (parent != QLatin1String("application/octet-stream"))
            types.append(parent);
    return types;
}

std::optional<QStringList> ExecArguments(const DesktopApplication &application,
                                         const QString &nativePath) {
    const auto words = splitExec(application.exec);
    if (!words || words->isEmpty())
        return std::nullopt;
    QStringList out;
    bool fileGiven = false;
    for (const QString &word : *words) {
        if (word == QLatin1String("%f") || word == QLatin1String("%F")) {
            out.append(nativePath);
            fileGiven = true;
        } else if (word == QLatin1String("%u") || word == QLatin1String("%U")) {
            out.append(FileUri(nativePath));
            fileGiven = true;
        } else if (word == QLatin1String("%i")) {
            if (!application.icon.isEmpty())
                out << QStringLiteral("--icon") << application.icon;
        } else {
            QString expanded;
            for (qsizetype i = 0; i < word.size(); ++i) {
                if (word.at(i) != QLatin1Char('%') || i + 1 == word.size()) {
                    expanded += word.at(i);
                    continue;
                }
                switch (word.at(++i).unicode()) {
                case '%':
                    expanded += QLatin1Char('%');
                    break;
                case 'f':
                case 'F':
                    expanded += nativePath;
                    fileGiven = true;
                    break;
                case 'u':
                case 'U':
                    expanded += FileUri(nativePath);
                    fileGiven = true;
                    break;
                case 'c':
                    expanded += application.name;
                    break;
                case 'k':
                    expanded += application.file;
                    break;
                default:
                    break; // deprecated and unknown codes are dropped
                }
            }
            // A word that was only a dropped code leaves nothing behind.
            if (!expanded.isEmpty() || !word.startsWith(QLatin1Char('%')))
                out.append(expanded);
        }
    }
    if (!fileGiven)
        out.append(nativePath);
    return out;
}

void ShowApplicationChooser(const QString &nativePath, QWidget *owner) {
    const auto applications =
        ApplicationsFor(AcceptedMimeTypes(nativePath),
                        QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation));

    auto *dialog = new QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Open With"));
    auto *layout = new QVBoxLayout(dialog);
    auto *label =
        new QLabel(applications.empty()
                       ? QStringLiteral("No installed application opens '%1'.")
                             .arg(QFileInfo(nativePath).fileName())
                       : QStringLiteral("Open '%1' with:").arg(QFileInfo(nativePath).fileName()),
                   dialog);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    auto *list = new QListWidget(dialog);
    for (const DesktopApplication &app : applications) {
        auto *item = new QListWidgetItem(QIcon::fromTheme(app.icon), app.name, list);
        item->setToolTip(app.id);
    }
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Open)->setEnabled(!applications.empty());
    layout->addWidget(buttons);

    auto choose = [dialog, list, applications, nativePath] {
        const int row = list->currentRow();
        if (row >= 0 && row < static_cast<int>(applications.size()))
            launch(applications[static_cast<size_t>(row)], nativePath);
        dialog->close();
    };
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, choose);
    QObject::connect(list, &QListWidget::itemActivated, dialog, choose);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);

    // Above its owner, which may cover the whole screen, and back to it when done.
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [owner = QPointer<QWidget>(owner)] { HandBack(owner); });
    dialog->resize(360, 320);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace platform
