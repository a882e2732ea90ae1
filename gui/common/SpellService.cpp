#include "gui/common/SpellService.h"

#include "core/config/ConfigKeys.h"
#include "core/writing/SpellWords.h"

#include <QMetaObject>

#include <algorithm>
#include <cstdio>

namespace pellar {

SpellService::SpellService(SettingReader read, std::vector<std::filesystem::path> folders,
                           std::filesystem::path personalFile, QObject* parent)
    : QObject(parent), read_(std::move(read)), folders_(std::move(folders)), personalFile_(std::move(personalFile))
{
}

SpellService::~SpellService()
{
    // A load under way ends by itself; its answer is dropped with this object.
    if (loader_.joinable())
        loader_.join();
}

void SpellService::Want()
{
    inUse_ = true;
    Refresh();
}

void SpellService::Refresh()
{
    const std::string on = read_(ConfigKeys::SpellCheck, ConfigDefault(ConfigKeys::SpellCheck));
    const bool enabled = on.empty() ? ConfigDefaultFlag(ConfigKeys::SpellCheck) : on != "0";
    std::optional<SpellDictionary> dictionary;
    if (enabled)
        dictionary = ChooseSpellDictionary(FindSpellDictionaries(folders_),
                                           read_(ConfigKeys::SpellLanguage, ConfigDefault(ConfigKeys::SpellLanguage)),
                                           LocaleLanguage());
    const std::string wanted = dictionary ? dictionary->dic.string() : std::string();
    if (wanted == wanted_ && (checker_ || loading_ || wanted.empty()))
        return;
    wanted_ = wanted;
    wantedDictionary_ = dictionary;
    ++generation_;
    if (!dictionary) {
        if (checker_) {
            checker_.reset();
            emit CheckerChanged();
        }
        return;
    }
    // One load at a time: a newer choice follows when this one is in.
    if (inUse_ && !loading_)
        StartLoading(*dictionary);
}

void SpellService::AddTextSource(QObject* owner, std::function<QString()> text)
{
    textSources_.erase(std::remove_if(textSources_.begin(), textSources_.end(),
                                      [](const auto& source) { return source.first.isNull(); }),
                       textSources_.end());
    textSources_.emplace_back(owner, std::move(text));
}

namespace {

// The most words a loading checker looks through ahead.
constexpr size_t kMostWarmUpWords = 200000;

void WarmUp(SpellChecker& checker, const std::vector<std::u16string>& texts)
{
    size_t words = 0;
    for (const std::u16string& text : texts) {
        size_t begin = 0;
        while (begin < text.size() && words < kMostWarmUpWords) {
            size_t end = text.find(u'\n', begin);
            if (end == std::u16string::npos)
                end = text.size();
            const std::u16string_view line(text.data() + begin, end - begin);
            for (const SpellWordRange& word : SpellWords(line)) {
                checker.IsCorrect(line.substr(word.start, word.length));
                ++words;
            }
            begin = end + 1;
        }
    }
}

} // namespace

void SpellService::StartLoading(const SpellDictionary& dictionary)
{
    if (loader_.joinable())
        loader_.join();  // ended already: it answered
    loading_ = true;
    const unsigned generation = generation_;
    std::vector<std::u16string> texts;
    for (const auto& [owner, text] : textSources_)
        if (owner) {
            const QString plain = text();
            texts.emplace_back(reinterpret_cast<const char16_t*>(plain.utf16()), size_t(plain.size()));
        }
    // Reading a large dictionary takes a few hundred milliseconds; typing
    // goes on meanwhile, and the text is checked once it is in.
    loader_ = std::thread([this, dictionary, file = personalFile_, generation, texts = std::move(texts)] {
        std::string error;
        std::shared_ptr<SpellChecker> checker = SpellChecker::Open(dictionary, file, &error);
        if (checker)
            WarmUp(*checker, texts);
        QMetaObject::invokeMethod(
            this, [this, generation, checker, error] { Loaded(generation, checker, error); }, Qt::QueuedConnection);
    });
}

void SpellService::Loaded(unsigned generation, std::shared_ptr<SpellChecker> checker, const std::string& error)
{
    loading_ = false;
    if (generation != generation_) {
        if (wantedDictionary_)
            StartLoading(*wantedDictionary_);
        return;
    }
    if (!checker) {
        Report(error);
        if (checker_) {
            checker_.reset();
            emit CheckerChanged();
        }
        return;
    }
    // Words ignored in this run stay ignored in another language too.
    if (checker_)
        for (const std::u16string& word : checker_->Ignored())
            checker->Ignore(word);
    checker_ = std::move(checker);
    emit CheckerChanged();
}

void SpellService::AddToPersonal(const std::u16string& word)
{
    if (!checker_)
        return;
    std::string error;
    if (!checker_->AddToPersonal(word, &error))
        Report(tr("Your word list could not be saved: %1").arg(QString::fromStdString(error)).toStdString());
    emit WordsChanged();
}

void SpellService::Ignore(const std::u16string& word)
{
    if (!checker_)
        return;
    checker_->Ignore(word);
    emit WordsChanged();
}

void SpellService::Report(const std::string& error)
{
    if (errorSink_)
        errorSink_(error);
    else
        std::fprintf(stderr, "%s\n", error.c_str());
}

} // namespace pellar
