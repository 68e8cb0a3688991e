// The smart method on the labelled corpus of pasted texts: a text counts when
// all nine fields are right. The test fails when the score drops below what
// the method reaches today, and prints both methods' scores.
#include "core/recognition/Recognition.h"
#include "core/recognition/LenientScore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zentra {
namespace {

struct Labelled {
    int line = 0;
    std::string text;
    RecognizedAddress expected;
};

std::vector<Labelled> readCorpus(const char *file)
{
    std::ifstream in(std::string(ZENTRA_SOURCE_DIR) + "/tests/core/recognition/" + file);
    std::vector<Labelled> out;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> f;
        std::size_t start = 0;
        for (;;) {
            std::size_t tab = line.find('\t', start);
            f.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        f.resize(10);
        Labelled l;
        l.line = number;
        for (std::size_t i = 0; i < f[0].size(); ++i) {
            if (f[0][i] == '\\' && i + 1 < f[0].size() && f[0][i + 1] == 'n') {
                l.text += '\n';
                ++i;
            } else {
                l.text += f[0][i];
            }
        }
        l.expected = {f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9]};
        out.push_back(std::move(l));
    }
    return out;
}

std::string describe(const RecognizedAddress &r)
{
    std::string s;
    for (const std::string &f : r.toList())
        s += "[" + f + "]";
    return s;
}

int score(const std::vector<Labelled> &corpus, RecognizeMethod method, bool report)
{
    int right = 0;
    test::LenientTally lenient;
    for (const Labelled &l : corpus) {
        RecognizedAddress got = recognizeAddress(l.text, method);
        lenient.add(got, l.expected);
        if (got == l.expected)
            ++right;
        else if (report)
            ADD_FAILURE() << "line " << l.line << ": " << l.text << "\n  got      " << describe(got) << "\n  expected "
                          << describe(l.expected);
    }
    if (!report)
        std::cout << lenient.row(method == RecognizeMethod::Smart ? "smart" : "standard") << "\n";
    return right;
}

TEST(RecognitionCorpus, SmartMethodKeepsItsScore)
{
    const std::vector<Labelled> corpus = readCorpus("addresses.tsv");
    ASSERT_GE(corpus.size(), 600u);
    const int standard = score(corpus, RecognizeMethod::Standard, false);
    const int smart = score(corpus, RecognizeMethod::Smart, false);
    std::cout << "corpus of " << corpus.size() << " texts, all nine fields right: standard " << standard << ", smart "
              << smart << "\n";
    // Raise this when the method gets better; a drop names every text it got wrong.
    constexpr int kSmartReaches = 618;
    if (smart < kSmartReaches || std::getenv("ZENTRA_CORPUS_REPORT"))
        score(corpus, RecognizeMethod::Smart, true);
    EXPECT_GE(smart, kSmartReaches);
    EXPECT_GT(smart, standard);
}

// Texts the method was not tuned on: the honest figure for pasted texts in
// general. The exact count guards against a drop; the lenient row printed
// beside it is the figure to report.
TEST(RecognitionCorpus, HeldOutTextsKeepTheirScore)
{
    const std::vector<Labelled> heldOut = readCorpus("heldout.tsv");
    ASSERT_GE(heldOut.size(), 170u);
    const int standard = score(heldOut, RecognizeMethod::Standard, false);
    const int smart = score(heldOut, RecognizeMethod::Smart, false);
    std::cout << "held-out set of " << heldOut.size() << " texts, all nine fields right: standard " << standard
              << ", smart " << smart << "\n";
    constexpr int kSmartReaches = 168;
    if (smart < kSmartReaches || std::getenv("ZENTRA_CORPUS_REPORT"))
        score(heldOut, RecognizeMethod::Smart, true);
    EXPECT_GE(smart, kSmartReaches);
}

}
}
