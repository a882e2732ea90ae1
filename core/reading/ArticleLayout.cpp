#include "core/reading/ArticleLayout.h"

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "core/session/MVCache.h"

namespace pellar {

namespace {

std::string Num(int32_t n)
{
    return std::to_string(n);
}

std::string Bracketed(int32_t n, const std::string& name)
{
    return "[" + Num(n) + "] " + name;
}

// Characters that keep a line on its own when they start it.
bool KeepsLineBreak(unsigned char c)
{
    if (c <= 35)
        return true;
    switch (c) {
    case '\'': case '*': case '-': case '/': case '=': case '>': case '\\': case '^': case '~': case 168:
        return true;
    default:
        return false;
    }
}

// Removes the CR at i and turns the LF after it (if it is one) into a blank.
void JoinAt(std::string& s, size_t i)
{
    s.erase(i, 1);
    if (i < s.size() && s[i] == '\n')
        s[i] = ' ';
}

} // namespace

ArticleFonts ArticleFonts::FromConfig(const TMiravoConfiguration& config)
{
    ArticleFonts fonts;
    fonts.header = config.ReadString(ConfigKeys::HeaderFont, kDefaultHeader);
    fonts.body = config.ReadString(ConfigKeys::BodyFont, kDefaultBody);
    return fonts;
}

ArticleLayout::ArticleLayout(TextSource& source, ArticleFonts fonts, bool reformat, const LocalePort& locale)
    : source_(source), fonts_(std::move(fonts)), reformat_(reformat), locale_(locale)
{
}

std::string ArticleLayout::ReformatBody(std::string s)
{
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] != '\r') {
            ++i;
            continue;
        }
        if (i + 3 >= s.size()) {
            // The break is at the very end.
            JoinAt(s, i);
            i += 1;
        } else if (s.compare(i, 4, "\r\n\r\n") == 0) {
            i += 4;
        } else if (KeepsLineBreak(static_cast<unsigned char>(s[i + 2]))) {
            i += 2;
        } else {
            JoinAt(s, i);
            i += 1;
        }
    }
    return s;
}

std::string ArticleLayout::PrepareBody(std::string body, bool reformat)
{
    if (reformat) {
        body = ReformatBody(std::move(body));
        if (body.empty() || body.back() != '\r')
            body += '\r';
    }
    std::string out;
    out.reserve(body.size());
    for (char c : body) {
        if (c == '\n')
            continue;
        out += c == '\0' ? ' ' : c;
    }
    return out;
}

std::string ArticleLayout::MarksLine(int32_t marks)
{
    if (marks <= 0)
        return {};
    static const char* const words[] = {"one", "two", "three"};
    const std::string count = marks <= 3 ? words[marks - 1] : Num(marks);
    return "Marked by " + count + " person" + (marks >= 2 ? "s" : "") + "\r";
}

std::string ArticleLayout::Label(std::string_view english) const
{
    return locale_.Label(english);
}

std::string ArticleLayout::FormatTime(TDateTime t) const
{
    return FormatDateTime(t, locale_);
}

void ArticleLayout::Append(std::vector<StyledRun>& runs, std::string text, const std::string& font, bool bold)
{
    if (text.empty())
        return;
    if (!runs.empty() && runs.back().font == font && runs.back().bold == bold) {
        runs.back().text += text;
        return;
    }
    runs.push_back(StyledRun{std::move(text), font, bold});
}

std::string ArticleLayout::RecipientBlock(const TextStatType& stat, ArticleResult& result)
{
    std::string block;
    auto recipient = [&](const char* label, const TMiscInfoNormal& r) {
        block += Label(label) + " " + Bracketed(r.confNo, source_.GetName(r.confNo)) + " (" + Num(r.localNo) + ")";
        if (r.sentBy != 0)
            block += ", " + Label("sent by") + " " + Bracketed(r.sentBy, source_.GetName(r.sentBy)) + " " +
                     Label("at") + " " + FormatTime(r.sentAt);
        block += "\r";
    };
    auto link = [&](const char* label, int32_t text) {
        auto linked = source_.GetTextStat(text);
        if (!linked)
            return;
        const int32_t author = linked->Author();
        block += Label(label) + " " + Num(text) + " " + Label("by") + " " + Bracketed(author, source_.GetName(author)) +
                 "\r";
    };
    // Walk a copy: the name and status look-ups may wait for the server.
    for (const auto& item : stat.MiscInfos()) {
        if (const auto* cc = dynamic_cast<const TMiscInfoCC*>(item.get())) {
            recipient("Carbon Copy:", *cc);
        } else if (const auto* rcpt = dynamic_cast<const TMiscInfoRcpt*>(item.get())) {
            recipient("Recipient:", *rcpt);
        } else if (const auto* comm = dynamic_cast<const TMiscInfoCommTo*>(item.get())) {
            link("Comment to:", comm->textNo);
            result.isComment = true;
        } else if (const auto* foot = dynamic_cast<const TMiscInfoFootTo*>(item.get())) {
            link("Footnote to:", foot->textNo);
        }
    }
    if (const std::string marks = MarksLine(stat.NoOfMarks()); !marks.empty())
        block += Label(marks.substr(0, marks.size() - 1)) + "\r";
    return block;
}

void ArticleLayout::AppendTrailer(const TextStatType& stat, std::vector<StyledRun>& runs, ArticleResult& result)
{
    const auto items = stat.MiscInfos();
    for (const auto& item : items) {
        if (const auto* foot = dynamic_cast<const TMiscInfoFootIn*>(item.get()))
            Format(foot->textNo, ArticleMode::Compact, runs);
    }
    std::string comments;
    for (const auto& item : items) {
        if (const auto* in = dynamic_cast<const TMiscInfoCommIn*>(item.get()))
            comments += (comments.empty() ? "" : ", ") + Num(in->textNo);
    }
    if (!comments.empty()) {
        Append(runs, Label("Comments in:") + " " + comments + "\r", fonts_.body, false);
        result.hasComments = true;
    }
    std::string auxLines;
    for (const auto& aux : stat.AuxItems()) {
        if (aux.tag != 2)
            continue;
        auxLines += Bracketed(aux.creator, source_.GetName(aux.creator)) + ", " + FormatTime(aux.createdAt) + " \"" +
                    aux.data + "\"\r";
    }
    Append(runs, std::move(auxLines), fonts_.body, false);
}

ArticleResult ArticleLayout::Format(int32_t text, ArticleMode mode, std::vector<StyledRun>& runs)
{
    ArticleResult result;
    auto body = source_.GetText(text);
    if (!body)
        return result;
    auto stat = source_.GetTextStat(text);
    if (!stat)
        return result;
    result.shown = true;

    const int32_t author = stat->Author();
    const std::string marker = stat->AuxItemCount() > 0 ? "* " : "";
    Append(runs,
           Num(text) + " " + marker + FormatTime(stat->CreationTime()) + ", " + Label("By") + " " +
               Bracketed(author, source_.GetName(author)) + "\r",
           fonts_.header, true);

    const bool full = mode == ArticleMode::Full;
    if (full) {
        Append(runs, RecipientBlock(*stat, result) + " \r", fonts_.header, false);
        Append(runs, Label("Subject:") + " " + body->Subject() + "\r\r", fonts_.body, true);
    } else {
        stat->ForEachMiscInfo<TMiscInfoCommTo>([&](const TMiscInfoCommTo&) { result.isComment = true; });
    }
    Append(runs, PrepareBody(body->Body(), reformat_), fonts_.body, false);
    Append(runs, "--- " + Num(text) + " ---\r", fonts_.body, false);
    if (full)
        AppendTrailer(*stat, runs, result);
    else
        stat->ForEachMiscInfo<TMiscInfoCommIn>([&](const TMiscInfoCommIn&) { result.hasComments = true; });
    return result;
}

} // namespace pellar
