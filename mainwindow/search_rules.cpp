#include "mainwindow/search_rules.h"

#include "platform/files/names.h"

#include <algorithm>

namespace {
constexpr QChar Space = QLatin1Char(' ');
constexpr int TestedKeywords = 3;
} // namespace

QString TrimSpaces(const QString &text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text.at(first) == Space)
        ++first;
    while (end > first && text.at(end - 1) == Space)
        --end;
    return text.mid(first, end - first);
}

QString SearchTextOf(const QString &typed) {
    return TrimSpaces(typed.toLower());
}

int SplitKeywords(QString &text, KeywordArray &keywords) {
    // The text normally arrives trimmed; trimming again keeps every word non-empty regardless.
    text = TrimSpaces(text);
    if (text.isEmpty())
        return 0;
    const auto stored = static_cast<int>(keywords.size()) - 1;
    int count = 0;
    qsizetype start = 0;
    // One pass with positions rather than cutting the text word by word: a long pasted text
    // would otherwise be copied once per word.
    for (qsizetype space = text.indexOf(Space); space >= 0; space = text.indexOf(Space, start)) {
        ++count;
        if (count <= stored)
            keywords[static_cast<size_t>(count)] = text.mid(start, space - start);
        start = space + 1;
        while (start < text.size() && text.at(start) == Space)
            ++start;
    }
    ++count;
    text = text.mid(start);
    if (count <= stored)
        keywords[static_cast<size_t>(count)] = text;
    return count;
}

namespace {

bool allFound(const QString &lowerEntry, const KeywordArray &keywords, int tested) {
    for (int k = 1; k <= tested; ++k)
        if (!lowerEntry.contains(keywords[static_cast<size_t>(k)], Qt::CaseSensitive))
            return false;
    return true;
}

int testedCount(int count) {
    return std::min(count, TestedKeywords);
}

} // namespace

bool EntryMatches(const QString &entry, const KeywordArray &keywords, int count) {
    return count >= 1 &&
           allFound(platform::NameText(entry).toLower(), keywords, testedCount(count));
}

int CompactMatches(std::span<QString> catalogue, int imageCount, const KeywordArray &keywords,
                   int count) {
    if (count < 1 || catalogue.empty())
        return 0;
    const int tested = testedCount(count);
    const int last = std::clamp(imageCount, 0, static_cast<int>(catalogue.size()) - 1);
    int j = 0;
    for (int i = 1; i <= last; ++i) {
        QString &entry = catalogue[static_cast<size_t>(i)];
        if (!allFound(platform::NameText(entry).toLower(), keywords, tested))
            continue;
        ++j;
        if (j != i)
            catalogue[static_cast<size_t>(j)] = entry;
    }
    return j;
}

QString FileNamePart(const QString &entry) {
    return platform::NameText(entry.mid(entry.lastIndexOf(QLatin1Char('\\')) + 1));
}
