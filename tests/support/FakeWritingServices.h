// A scripted WritingServices for the writing tests: names, statuses, texts
// and conferences from tables, requests answered from a script and logged.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/wire/TMiravoConference.h"
#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "core/writing/WritingServices.h"
#include "support/Lookup.h"
#include "support/MiscItems.h"

namespace pellar::test {

class FakeWritingServices : public WritingServices {
public:
    struct Sent {
        std::string label;
        int32_t number = 0;
        std::string args;  // joined with blanks
    };

    std::map<int32_t, std::string> names;
    std::map<int32_t, std::shared_ptr<TextStatType>> stats;
    std::map<int32_t, std::shared_ptr<TMiravoText>> texts;
    std::map<int32_t, std::shared_ptr<TMiravoConference>> conferences;
    std::map<int32_t, RequestReply> replies;  // by request number; missing: ok with empty line
    int32_t protocolVersion = 10;
    int32_t currentPerson = 6;
    WritingServerInfo serverInfo{1, 2, 3};

    std::vector<Sent> sent;
    std::vector<std::string> messages;
    std::vector<std::string> activities;
    std::vector<int32_t> forgotten;

    std::string GetName(int32_t number) override { return Lookup(names, number, "*Unknown*"); }
    std::shared_ptr<TextStatType> GetTextStat(int32_t text) override
    {
        std::lock_guard lock(mutex_);
        return Lookup(stats, text, nullptr);
    }
    void ForgetTextStat(int32_t text) override
    {
        std::lock_guard lock(mutex_);
        forgotten.push_back(text);
    }
    std::shared_ptr<TMiravoText> GetText(int32_t text) override { return Lookup(texts, text, nullptr); }
    std::shared_ptr<TMiravoConference> GetConference(int32_t conf) override
    {
        return Lookup(conferences, conf, nullptr);
    }
    RequestReply Request(const std::string& label, const WireRequest& request) override
    {
        std::lock_guard lock(mutex_);
        const int32_t number = Number(request.Number());
        sent.push_back(Sent{label, number, request.ArgText().substr(request.Args().empty() ? 0 : 1)});
        return Lookup(replies, number, RequestReply{true, ""});
    }
    int32_t ProtocolVersion() override { return protocolVersion; }
    int32_t CurrentPerson() override { return currentPerson; }
    WritingServerInfo ServerInfo() override { return serverInfo; }
    void PostUserMessage(std::string text) override
    {
        std::lock_guard lock(mutex_);
        messages.push_back(std::move(text));
    }
    void ChangeActivity(const std::string& key) override
    {
        std::lock_guard lock(mutex_);
        activities.push_back(key);
    }

    // --- Set-up helpers.
    std::shared_ptr<TextStatType> AddText(int32_t no, int32_t author, std::string contents)
    {
        texts[no] = std::make_shared<TMiravoText>(no, std::move(contents));
        auto stat = std::make_shared<TextStatType>();
        stat->SetHeader(45000, author, 1, 1, 0);
        stats[no] = stat;
        return stat;
    }
    static void AddRecipient(TextStatType& stat, int32_t conf, bool cc = false)
    {
        stat.AddMiscInfo(Recipient(conf, 1, cc));
    }
    static void AddAux(TextStatType& stat, int32_t tag, int32_t creator)
    {
        stat.AddAuxItem(AuxItemRec{stat.AuxItemCount() + 1, tag, creator, 45000, "00000000", 0, ""});
    }
    std::shared_ptr<TMiravoConference> AddConference(int32_t no, std::string name, std::string type,
                                                     int32_t superConf = 0, int32_t motd = 0,
                                                     int32_t presentation = 0)
    {
        ConfStatFields f;
        f.confNo = no;
        f.name = name;
        f.type = std::move(type);
        f.superConf = superConf;
        f.msgOfDay = motd;
        f.presentation = presentation;
        auto conf = std::make_shared<TMiravoConference>(no, nullptr);
        conf->StoreFullStatus(f);
        conferences[no] = conf;
        names[no] = std::move(name);
        return conf;
    }

private:
    std::mutex mutex_;
};

} // namespace pellar::test
