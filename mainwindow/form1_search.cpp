#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "mainwindow/form4.h"
#include "mainwindow/search_rules.h"
#include "platform/desktop/services.h"

void Form1::Command6_Click() {
    HideButtons();
    ShowModal<Form4>();
    if (!g.SearchString.isEmpty()) {
        SearchArray();
        if (g.MatchCount == 0) {
            platform::MsgBox(QStringLiteral("Sorry, no match was found"));
            List1->SetFocus();
        }
    }
    Showbuttons();
}

void Form1::Command7_Click() {
    List1->SetFocus();
    List1->Clear();
    Form_Load();
}

void Form1::CheckSearchString() {
    g.KeywordCount = SplitKeywords(g.SearchString, g.Keywords);
    g.TooManyKeywords = 0;
    if (g.KeywordCount > 3) {
        platform::MsgBox(QStringLiteral("Only 3 keywords allowed"));
        g.TooManyKeywords = 1;
    }
}

void Form1::SearchArray() {
    g.MatchCount = 0;
    g.KeywordsFound = 0;
    g.MatchCount = CompactMatches(g.ImageArray, g.ImageCount, g.Keywords, g.KeywordCount);
    if (g.MatchCount == 0)
        return;

    List1->Clear();
    for (int k = 1; k <= g.MatchCount; ++k)
        List1->AddItem(FileNamePart(g.ImageArray[static_cast<size_t>(k)]));
    // Selecting the first line previews the first match while ImageCount still has its old
    // value; the catalogue shrinks only afterwards.
    List1->SetFocus();
    List1->SetSelected(0);
    g.ImageCount = g.MatchCount;
    g.CurrentIndex = 1;
}
