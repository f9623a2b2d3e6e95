#pragma once
// The keyword search's text rules: how the typed text becomes keywords and which catalogue
// entries they match. Only the space character separates words; letter case never matters.

#include <QString>
#include <array>
#include <span>

using KeywordArray = std::array<QString, 6>;

// The text with leading and trailing spaces removed; tabs and other blanks are kept.
QString TrimSpaces(const QString &text);

// What the search dialog accepts from its text box: lower-cased, then trimmed of spaces.
QString SearchTextOf(const QString &typed);

// Splits text at runs of spaces into keywords 1, 2, ... and returns how many words there were.
// Words beyond the fifth are counted but not stored; entries past the count keep what they held.
// Afterwards text holds only the last word. Empty text gives 0 and changes nothing.
int SplitKeywords(QString &text, KeywordArray &keywords);

// Whether every one of keywords 1..count occurs in the entry's whole relative path as shown
// (platform::NameText), lower-cased.
// Only the first three are ever tested; a count below 1 matches nothing.
bool EntryMatches(const QString &entry, const KeywordArray &keywords, int count);

// Moves the matching entries among 1..imageCount, in their order, to 1..n and returns n. The
// entries past n keep stale values; with no match nothing moves. Index 0 is not an entry, and
// imageCount is held to the catalogue's own size.
int CompactMatches(std::span<QString> catalogue, int imageCount, const KeywordArray &keywords,
                   int count);

// The file-name part of an entry as the list shows it: the name after its last backslash.
QString FileNamePart(const QString &entry);
