#include "core/reading/PreparedArticle.h"

#include <map>

#include "core/wire/TMiravoText.h"
#include "core/wire/TMiscInfo.h"
#include "core/wire/TextStatType.h"
#include "core/session/TextSource.h"

namespace pellar {

namespace {

// The tags of a wanted and of a given read confirmation.
constexpr int32_t kConfirmationWanted = 6;
constexpr int32_t kConfirmationGiven = 7;
constexpr std::string_view kUnknownName = "*Unknown*";

// The source the layout reads through: names asked once per article, and
// those that failed counted.
class NameBook : public TextSource {
public:
    explicit NameBook(TextSource& source) : source_(source) {}
    std::shared_ptr<TMiravoText> GetText(int32_t text) override { return source_.GetText(text); }
    std::shared_ptr<TextStatType> GetTextStat(int32_t text) override { return source_.GetTextStat(text); }
    std::string GetName(int32_t number) override { return Party(number).name; }

    ArticleParty Party(int32_t number)
    {
        if (const auto found = names_.find(number); found != names_.end())
            return found->second;
        ArticleParty party{number, source_.GetName(number), true};
        if (party.name.empty() || party.name == kUnknownName) {
            party.name = std::string(kUnknownName);
            party.resolved = false;
            ++unresolved_;
        }
        names_.emplace(number, party);
        return party;
    }
    int Unresolved() const { return unresolved_; }

private:
    TextSource& source_;
    std::map<int32_t, ArticleParty> names_;
    int unresolved_ = 0;
};

void ReadLinks(const TextStatType& stat, NameBook& names, PreparedArticle& article)
{
    for (const auto& item : stat.MiscInfos()) {
        if (const auto* normal = dynamic_cast<const TMiscInfoNormal*>(item.get()))
            article.recipients.push_back(names.Party(normal->confNo));
        else if (const auto* comm = dynamic_cast<const TMiscInfoCommTo*>(item.get()))
            article.commented.push_back(comm->textNo);
        else if (const auto* foot = dynamic_cast<const TMiscInfoFootTo*>(item.get()))
            article.commented.push_back(foot->textNo);
        else if (const auto* footIn = dynamic_cast<const TMiscInfoFootIn*>(item.get()))
            article.footnotes.push_back(footIn->textNo);
        else if (const auto* commIn = dynamic_cast<const TMiscInfoCommIn*>(item.get()))
            article.comments.push_back(commIn->textNo);
    }
}

void ReadConfirmation(const TextStatType& stat, int32_t reader, NameBook& names, PreparedArticle& article)
{
    const AuxItemRec* wanted = nullptr;
    bool given = false;
    const auto aux = stat.AuxItems();
    for (const AuxItemRec& item : aux) {
        if (item.tag == kConfirmationWanted && !wanted)
            wanted = &item;
        if (item.tag == kConfirmationGiven && item.creator == reader)
            given = true;
    }
    if (wanted && !given)
        article.confirmationWanted = names.Party(wanted->creator);
}

} // namespace

PreparedArticle PrepareArticle(TextSource& source, const ArticleOptions& options, const LocalePort& locale,
                               int32_t text)
{
    PreparedArticle article;
    article.text = text;
    NameBook names(source);
    ArticleLayout layout(names, options.fonts, options.reformat, locale);
    article.result = layout.Format(text, ArticleMode::Full, article.runs);
    // The layout fetched both; from the caches now.
    const auto stat = article.result.shown ? source.GetTextStat(text) : nullptr;
    const auto body = stat ? source.GetText(text) : nullptr;
    if (!stat || !body) {
        article.runs.clear();
        article.result = {};
        article.missing = "No such text";
        return article;
    }
    article.available = true;
    article.subject = body->Subject();
    article.author = names.Party(stat->Author());
    ReadLinks(*stat, names, article);
    ReadConfirmation(*stat, options.reader, names, article);
    if (options.withCommented)
        for (const int32_t parent : article.commented)
            layout.Format(parent, ArticleMode::Compact, article.commentedRuns);
    article.unresolvedNames = names.Unresolved();
    return article;
}

} // namespace pellar
