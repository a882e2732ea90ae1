// Spell checking a 10,000-word text in the writing window's editor
// (offscreen), with the installed American English dictionary (else the
// first one installed). Side by side in one run: the text pasted whole with
// and without checking, with a fresh checker (every distinct word asked of
// the dictionary); the dictionary arriving for the text already written (its
// words looked up while it loaded), and the whole text checked again when a
// word is added; one typed character with and without checking (only its
// line is checked again). Limits: 50 ms for the checking from scratch (the
// paste's difference), for the pass on the dictionary's arrival, and for one
// typed character.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/support/Verdict.h"

#include <QApplication>
#include "bench/gui/GuiProbe.h"
#include <QTextBlock>
#include <QTextCursor>

#include "core/writing/SpellChecker.h"
#include "core/writing/SpellDictionaries.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/common/SpellAttachment.h"
#include "gui/common/SpellHighlighter.h"
#include "gui/common/SpellService.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWords = 10000;
constexpr int kRuns = 5;
constexpr double kLimitMs = 50.0;

bench::Verdicts verdicts;

double Ms(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double Median(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// A text as people write it: words of the dictionary drawn with a few
// frequent ones much more often than the rest (Zipf), one in thirty
// misspelt, twelve words a line, now and then a quoted line, an address or a
// text number.
QString MakeText(const pellar::SpellDictionary& dictionary)
{
    std::ifstream dic(dictionary.dic);
    std::string line;
    std::getline(dic, line);  // the count
    std::vector<std::string> all;
    while (std::getline(dic, line)) {
        const std::string word = line.substr(0, line.find_first_of("/\t "));
        if (word.size() > 1 && std::isalpha(static_cast<unsigned char>(word[0])))
            all.push_back(word);
    }
    std::mt19937 random(4711);
    std::shuffle(all.begin(), all.end(), random);
    all.resize(std::min<size_t>(all.size(), 3000));
    std::vector<double> weights;
    for (size_t i = 0; i < all.size(); ++i)
        weights.push_back(1.0 / double(i + 1));
    std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
    QString text;
    for (int i = 0; i < kWords; ++i) {
        QString word = QString::fromUtf8(all[pick(random)]);
        if (random() % 30 == 0 && word.size() > 3)
            std::swap(word[1], word[2]);
        text += word;
        if (i % 12 == 11) {
            text += u'\n';
            if (random() % 20 == 0)
                text += QStringLiteral("> a quoted line from an earlier text\n");
            if (random() % 25 == 0)
                text += QStringLiteral("see https://example.org/page and text <4711>\n");
        } else {
            text += u' ';
        }
    }
    return text;
}

std::unique_ptr<pellar::SpellService> NewService(const pellar::SpellDictionary& dictionary)
{
    const std::string chosen = dictionary.language;
    return std::make_unique<pellar::SpellService>(
        [chosen](std::string_view key, std::string_view def) {
            return key == "SpellLanguage" ? chosen : std::string(def);
        },
        std::vector<std::filesystem::path>{dictionary.dic.parent_path()}, std::filesystem::path());
}

bool Loaded(pellar::SpellService& service)
{
    if (bench::WaitFor([&service] { return service.Checker() != nullptr; }, 20000))
        return true;
    verdicts.Fail("the dictionary did not load");
    return false;
}

// An empty editor as the writing window's body is, shown; with spelling
// attached when a service is given.
std::unique_ptr<pellar::TMiravoTextEdit> NewEditor(pellar::SpellService* service)
{
    auto edit = std::make_unique<pellar::TMiravoTextEdit>();
    edit->setAcceptRichText(false);
    edit->setLineWrapMode(QTextEdit::NoWrap);
    edit->SetAutoWrap(false);
    edit->resize(700, 500);
    if (service)
        pellar::SpellAttachment::Attach(edit.get(), service);
    edit->show();
    QApplication::processEvents();
    return edit;
}

// One character typed into a word in the middle of the text and taken away
// again; milliseconds for the typing (the layout and, when on, the check of
// that line).
double TimeEdit(pellar::TMiravoTextEdit& edit)
{
    QTextCursor cursor(edit.document()->findBlockByNumber(edit.document()->blockCount() / 2));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
    const auto start = Clock::now();
    cursor.insertText(QStringLiteral("x"));
    const double ms = Ms(start);
    cursor.deletePreviousChar();
    return ms;
}

double TimeSetText(pellar::TMiravoTextEdit& edit, const QString& text)
{
    const auto start = Clock::now();
    edit.setPlainText(text);
    return Ms(start);
}

int Underlined(QTextDocument* document)
{
    int count = 0;
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next())
        for (const auto& range : b.layout()->formats())
            count += range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline;
    return count;
}

struct Runs {
    std::vector<double> arrival, arrivalDone, pasteOn, pasteOff, again, editOn, editOff;
    size_t lookups = 0;
    int underlined = 0;
};

// The dictionary arrives for a text already written: the loader looked its
// words up on its own thread, and the editor's pass over the whole text on
// the GUI thread sets the underlines.
void MeasureArrival(const pellar::SpellDictionary& dictionary, const QString& text, Runs& r)
{
    auto service = NewService(dictionary);
    Clock::time_point start;
    double ms = -1;
    // Connected around the editor's own connection, so they bracket its check.
    QObject::connect(service.get(), &pellar::SpellService::CheckerChanged, [&start] { start = Clock::now(); });
    auto edit = NewEditor(service.get());
    QObject::connect(service.get(), &pellar::SpellService::CheckerChanged, [&start, &ms] { ms = Ms(start); });
    edit->setPlainText(text);
    QApplication::processEvents();
    auto* highlighter = edit->document()->findChild<pellar::SpellHighlighter*>();
    service->Want();
    if (!Loaded(*service))
        return;
    // The rest of the pass, a slice a turn: the longest turn and the time
    // until the last line is done.
    const Clock::time_point arrived = start;
    double longest = ms;
    while (highlighter->Checking()) {
        const auto turn = Clock::now();
        QApplication::processEvents();
        longest = std::max(longest, Ms(turn));
    }
    r.arrival.push_back(longest);
    r.arrivalDone.push_back(Ms(arrived));
    r.lookups = service->Checker()->DictionaryLookups();
    r.underlined = Underlined(edit->document());

    // A word added: every line checked again, the verdicts kept.
    start = Clock::now();
    highlighter->CheckAll();
    while (highlighter->Checking())
        QApplication::processEvents();
    r.again.push_back(Ms(start));
    for (int i = 0; i < 5; ++i)
        r.editOn.push_back(TimeEdit(*edit));
}

// The text pasted whole into an empty editor, checked by a fresh checker,
// and the same without checking.
void MeasurePaste(const pellar::SpellDictionary& dictionary, const QString& text, Runs& r)
{
    auto service = NewService(dictionary);
    service->Want();
    if (!Loaded(*service))
        return;
    auto on = NewEditor(service.get());
    r.pasteOn.push_back(TimeSetText(*on, text));
    auto off = NewEditor(nullptr);
    r.pasteOff.push_back(TimeSetText(*off, text));
    for (int i = 0; i < 5; ++i)
        r.editOff.push_back(TimeEdit(*off));
}

void PrintFigures(const pellar::SpellDictionary& dictionary, const QString& text)
{
    Runs r;
    for (int run = 0; run < kRuns; ++run) {
        MeasureArrival(dictionary, text, r);
        MeasurePaste(dictionary, text, r);
    }
    if (r.arrival.empty() || r.pasteOn.empty())
        return;
    if (r.underlined == 0)
        verdicts.Fail("no misspelt word was underlined");
    const double arrival = Median(r.arrival), again = Median(r.again);
    const double pasteOn = Median(r.pasteOn), pasteOff = Median(r.pasteOff);
    const double editOn = Median(r.editOn), editOff = Median(r.editOff);
    std::printf("%d words in %d lines, %s (%s): %zu distinct words asked of the dictionary, %d underlined\n",
                kWords, int(text.count(u'\n')) + 1, dictionary.language.c_str(), dictionary.dic.c_str(), r.lookups,
                r.underlined);
    std::printf("whole text pasted, a fresh checker: checking on %.1f ms, off %.1f ms; the checking from scratch "
                "%.1f ms (limit %.0f) %s\n",
                pasteOn, pasteOff, pasteOn - pasteOff, kLimitMs, verdicts.AtMost(pasteOn - pasteOff, kLimitMs));
    std::printf("the dictionary arriving for the text written: the longest turn of the GUI thread %.1f ms "
                "(limit %.0f) %s, every line underlined after %.1f ms; again after a word is added: %.1f ms\n",
                arrival, kLimitMs, verdicts.AtMost(arrival, kLimitMs), Median(r.arrivalDone), again);
    std::printf("one typed character: checking on %.3f ms (limit %.0f) %s, off %.3f ms, ratio %.2f\n", editOn,
                kLimitMs, verdicts.AtMost(editOn, kLimitMs), editOff, editOn / std::max(editOff, 1e-6));
}

pellar::SpellDictionary* g_dictionary = nullptr;
QString* g_text = nullptr;

void BM_TypeOneCharacterWithChecking(benchmark::State& state)
{
    if (!g_dictionary) {
        state.SkipWithError("skipped: no spelling dictionary installed");
        return;
    }
    auto service = NewService(*g_dictionary);
    service->Want();
    if (!Loaded(*service))
        return;
    auto edit = NewEditor(service.get());
    edit->setPlainText(*g_text);
    for (auto _ : state)
        benchmark::DoNotOptimize(TimeEdit(*edit));
}
BENCHMARK(BM_TypeOneCharacterWithChecking)->Iterations(50)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const auto installed = pellar::FindSpellDictionaries(pellar::SpellDictionaryFolders());
    std::optional<pellar::SpellDictionary> dictionary = pellar::ChooseSpellDictionary(installed, "en_US", "");
    QString text;
    if (dictionary) {
        text = MakeText(*dictionary);
        g_dictionary = &*dictionary;
        g_text = &text;
        PrintFigures(*dictionary, text);
    } else {
        std::printf("skipped: no spelling dictionary installed\n");
    }
    bench::CountingReporter reporter(verdicts);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return verdicts.ExitStatus();
}
