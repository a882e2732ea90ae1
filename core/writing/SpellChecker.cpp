#include "core/writing/SpellChecker.h"

#include "core/base/PrivateFile.h"

#include <hunspell/hunspell.hxx>

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <mutex>
#include <system_error>

namespace pellar {

namespace {

// Far more than anyone adds by hand; a larger file is not ours.
constexpr size_t kMostPersonalBytes = 4 * 1024 * 1024;
// Kept verdicts are dropped wholesale past this many words.
constexpr size_t kMostVerdicts = 200000;
// Hunspell works on words of at most 100 bytes; longer ones are not words.
constexpr size_t kLongestWord = 100;

// Hunspell counts the users of a letter table that all UTF-8 dictionaries
// share with a plain increment and decrement (no lock, no atomic): making
// and dropping dictionaries (a loader thread makes one while the GUI thread
// may drop another) must take turns, or the table is freed under a user.
std::mutex& DictionaryLifeLock()
{
    static std::mutex lock;
    return lock;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The iconv name of a dictionary encoding as .aff files write it:
// "ISO8859-1", "microsoft-cp1251", "KOI8-R", "TIS620-2533".
std::string IconvName(const std::string& encoding)
{
    const std::string lower = Lower(encoding);
    if (lower.rfind("iso8859-", 0) == 0)
        return "ISO-8859-" + encoding.substr(8);
    if (lower.rfind("microsoft-cp", 0) == 0)
        return "CP" + encoding.substr(12);
    if (lower == "tis620-2533")
        return "TIS-620";
    return encoding;
}

} // namespace

// One direction of conversion between UTF-8 and the dictionary's encoding.
class SpellChecker::Converter {
public:
    Converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter()
    {
        if (cd_ != iconv_t(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Usable() const { return cd_ != iconv_t(-1); }

    // None when a character has no place in the target encoding.
    std::optional<std::string> operator()(std::string_view bytes) const
    {
        if (!Usable())
            return std::nullopt;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(bytes.size() * 4 + 16, '\0');
        char* in = const_cast<char*>(bytes.data());
        size_t inLeft = bytes.size();
        char* outPtr = out.data();
        size_t outLeft = out.size();
        const size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
        if (rc == size_t(-1) || inLeft != 0)
            return std::nullopt;
        // Stateful encodings end with a shift back.
        if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == size_t(-1))
            return std::nullopt;
        out.resize(out.size() - outLeft);
        return out;
    }

private:
    iconv_t cd_;
};


std::optional<std::string> Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return std::nullopt;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        uint32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra >= 0 && i + size_t(extra) < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + size_t(k)]);
            ok = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        ok = ok && c >= least[extra] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        if (!ok) {
            out += char16_t(0xFFFD);
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += char16_t(0xD800 + (c >> 10));
            out += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            out += char16_t(c);
        }
        i += size_t(extra) + 1;
    }
    return out;
}

std::unique_ptr<SpellChecker> SpellChecker::Open(const SpellDictionary& dictionary, std::filesystem::path personalFile,
                                                 std::string* error)
{
    // Hunspell reads a missing or foreign file as an empty dictionary
    // instead of failing: look first.
    std::error_code ec;
    for (const auto& file : {dictionary.aff, dictionary.dic}) {
        if (!std::filesystem::is_regular_file(file, ec)) {
            if (error)
                *error = "The spelling dictionary " + file.string() + " cannot be read.";
            return nullptr;
        }
    }
    std::unique_ptr<SpellChecker> checker(new SpellChecker);
    {
        std::lock_guard<std::mutex> hold(DictionaryLifeLock());
        checker->hunspell_ = std::make_unique<Hunspell>(dictionary.aff.c_str(), dictionary.dic.c_str());
    }
    checker->language_ = dictionary.language;
    checker->encoding_ = checker->hunspell_->get_dict_encoding();
    const std::string lower = Lower(checker->encoding_);
    checker->utf8_ = lower == "utf-8" || lower == "utf8";
    if (!checker->utf8_) {
        const std::string name = IconvName(checker->encoding_);
        checker->toDictionary_ = std::make_unique<Converter>(name, "UTF-8");
        checker->fromDictionary_ = std::make_unique<Converter>("UTF-8", name);
    }
    if (!checker->utf8_ && (!checker->toDictionary_->Usable() || !checker->fromDictionary_->Usable())) {
        if (error)
            *error = "The spelling dictionary " + dictionary.aff.string() + " is in an unknown encoding (" +
                     checker->encoding_ + ").";
        return nullptr;
    }
    checker->personalFile_ = std::move(personalFile);
    checker->LoadPersonal();
    return checker;
}

SpellChecker::SpellChecker() = default;
SpellChecker::~SpellChecker()
{
    std::lock_guard<std::mutex> hold(DictionaryLifeLock());
    hunspell_.reset();
}

void SpellChecker::LoadPersonal()
{
    if (personalFile_.empty())
        return;
    const std::optional<std::string> bytes = ReadSmallFile(personalFile_, kMostPersonalBytes);
    if (!bytes)
        return;
    size_t begin = 0;
    while (begin < bytes->size()) {
        size_t end = bytes->find('\n', begin);
        if (end == std::string::npos)
            end = bytes->size();
        std::string_view line(bytes->data() + begin, end - begin);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty()) {
            std::u16string word = Utf8ToUtf16(line);
            if (accepted_.insert(word).second) {
                personal_.push_back(word);
                if (const auto inDictionary = ToDictionary(word))
                    hunspell_->add(*inDictionary);
            }
        }
        begin = end + 1;
    }
}

std::optional<std::string> SpellChecker::ToDictionary(std::u16string_view word) const
{
    std::optional<std::string> utf8 = Utf16ToUtf8(word);
    if (!utf8 || utf8_)
        return utf8;
    return (*toDictionary_)(*utf8);
}

std::u16string SpellChecker::FromDictionary(std::string_view bytes) const
{
    if (utf8_)
        return Utf8ToUtf16(bytes);
    const std::optional<std::string> utf8 = (*fromDictionary_)(bytes);
    return utf8 ? Utf8ToUtf16(*utf8) : std::u16string();
}

bool SpellChecker::IsCorrect(std::u16string_view word)
{
    if (word.empty())
        return true;
    const std::u16string key(word);
    if (const auto it = verdicts_.find(key); it != verdicts_.end())
        return it->second;
    bool correct = accepted_.count(key) > 0;
    if (!correct) {
        const std::optional<std::string> bytes = ToDictionary(word);
        ++lookups_;
        correct = bytes && bytes->size() <= kLongestWord && hunspell_->spell(*bytes);
    }
    if (verdicts_.size() >= kMostVerdicts)
        verdicts_.clear();
    verdicts_.emplace(key, correct);
    return correct;
}

std::vector<std::u16string> SpellChecker::Suggestions(std::u16string_view word, size_t max)
{
    std::vector<std::u16string> out;
    const std::optional<std::string> bytes = ToDictionary(word);
    if (!bytes || bytes->size() > kLongestWord)
        return out;
    for (const std::string& suggestion : hunspell_->suggest(*bytes)) {
        std::u16string text = FromDictionary(suggestion);
        if (!text.empty() && std::find(out.begin(), out.end(), text) == out.end())
            out.push_back(std::move(text));
        if (out.size() >= max)
            break;
    }
    return out;
}

bool SpellChecker::AddToPersonal(std::u16string_view word, std::string* error)
{
    const std::u16string key(word);
    const std::optional<std::string> utf8 = Utf16ToUtf8(word);
    if (key.empty() || !utf8 || utf8->find_first_of("\r\n") != std::string::npos) {
        if (error)
            *error = "This word cannot be added to the word list.";
        return false;
    }
    Ignore(word);
    ignored_.erase(key);
    if (std::find(personal_.begin(), personal_.end(), key) == personal_.end())
        personal_.push_back(key);
    if (const auto inDictionary = ToDictionary(word))
        hunspell_->add(*inDictionary);
    if (personalFile_.empty())
        return true;
    std::string bytes;
    for (const std::u16string& entry : personal_)
        if (const auto line = Utf16ToUtf8(entry))
            bytes += *line + '\n';
    return WritePrivateFile(personalFile_, bytes, error);
}

void SpellChecker::Ignore(std::u16string_view word)
{
    const std::u16string key(word);
    accepted_.insert(key);
    ignored_.insert(key);
    verdicts_[key] = true;
}

} // namespace pellar
