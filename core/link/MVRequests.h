// The typed requests: each builds its request line and parses its reply into
// the records. Where the server offers an older and a newer form, the form is
// chosen at construction from the protocol version.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/link/MVTransaction.h"
#include "core/base/TSortedIntegerList.h"

namespace pellar {

class RecordServices;
class TMiravoConferenceBase;
class TMiravoMembership;
class TextStatType;

struct NameMatchRec {
    std::string name;
    std::string type;  // bit string as sent
    int32_t number = 0;
};

// 76: persons and/or conferences whose names match.
class TNumberFromNameTrans : public TMiravoTransaction {
public:
    TNumberFromNameTrans(ProtocolContext& context, std::string_view name, bool wantPersons, bool wantConferences);
    void Transmit() override;
    void ParseReply() override;
    const std::vector<NameMatchRec>& Results() const { return results_; }

private:
    std::string name_;
    bool wantPersons_;
    bool wantConferences_;
    std::vector<NameMatchRec> results_;
};

// 78: the name of a person or conference; quiet on failure.
class TNameFromNumberTrans : public TMiravoTransaction {
public:
    // unknownLabel is what the name reads as after an error reply.
    TNameFromNumberTrans(ProtocolContext& context, int32_t number, std::string unknownLabel = "Unknown");
    void Transmit() override;
    void ParseReply() override;
    void ParseError() override;
    const std::string& Name() const { return name_; }
    int32_t Number() const { return number_; }

private:
    std::string name_;
    int32_t number_;
    std::string unknownLabel_;
};

// 78 for the name cache: the reply (or "*error*") is handed to store.
class TCacheNameFromNumberTrans : public TMiravoTransaction {
public:
    using Store = std::function<void(int32_t number, std::string name)>;
    TCacheNameFromNumberTrans(ProtocolContext& context, int32_t number, Store store);
    void Transmit() override;
    void ParseReply() override;
    void ParseError() override;

private:
    int32_t number_;
    Store store_;
};

// 62: log a person on.
class TLogonTrans : public TMiravoTransaction {
public:
    TLogonTrans(ProtocolContext& context, int32_t person, std::string password, bool invisible);
    void Transmit() override;
    void ParseReply() override;
    int32_t Result() const { return result_; }

private:
    int32_t person_;
    std::string password_;
    bool invisible_;
    int32_t result_ = -1;
};

// 46: every membership of a person, appended to target.
class TGetMembershipTrans : public TMiravoTransaction {
public:
    TGetMembershipTrans(ProtocolContext& context, int32_t person,
                        std::vector<std::shared_ptr<TMiravoMembership>>& target, RecordServices* services);
    void Transmit() override;
    void ParseReply() override;

private:
    int32_t person_;
    std::vector<std::shared_ptr<TMiravoMembership>>& target_;
    RecordServices* services_;
};

// 9: one membership (with its read texts) into target.
class TQueryReadTextsTrans : public TMiravoTransaction {
public:
    TQueryReadTextsTrans(ProtocolContext& context, TMiravoMembership& target, int32_t person, int32_t conf);
    void Transmit() override;
    void ParseReply() override;

private:
    int32_t person_;
    int32_t conf_;
    TMiravoMembership& target_;
};

// 50: full conference status.
class TGetConfStatTrans : public TMiravoTransaction {
public:
    TGetConfStatTrans(ProtocolContext& context, TMiravoConferenceBase& target, int32_t conf);
    void Transmit() override;
    void ParseReply() override;

private:
    TMiravoConferenceBase& target_;
    int32_t conf_;
};

// 78: short conference status.
class TGetUConfStatTrans : public TMiravoTransaction {
public:
    TGetUConfStatTrans(ProtocolContext& context, TMiravoConferenceBase& target, int32_t conf);
    void Transmit() override;
    void ParseReply() override;

private:
    TMiravoConferenceBase& target_;
    int32_t conf_;
};

// 52: conferences that may hold unread texts, appended to target.
class TGetUnreadConfs : public TMiravoTransaction {
public:
    TGetUnreadConfs(ProtocolContext& context, std::vector<int32_t>& target, int32_t person);
    void Transmit() override;
    void ParseReply() override;

private:
    std::vector<int32_t>& target_;
    int32_t person_;
};

// 103 (newer) or 34 (older): local -> global numbers of a conference. Every
// local number of the requested range that the reply covers gets an entry,
// 0 meaning no text; entries already in target are kept.
class TGetTextMap : public TMiravoTransaction {
public:
    TGetTextMap(ProtocolContext& context, TSortedIntegerList<int32_t>& target, int32_t conf, int32_t firstLocal,
                int32_t count);
    void Transmit() override;
    void ParseReply() override;
    bool NewerForm() const { return newerForm_; }

private:
    void Put(int32_t local, int32_t global);
    void ParseDense(std::string_view line, size_t& pos);

    int32_t conf_;
    int32_t firstLocal_;
    int32_t count_;
    TSortedIntegerList<int32_t>& target_;
    bool newerForm_;
};

// 90 (newer, with aux items) or 26 (older): a text's status; quiet on failure.
class TGetTextStatTrans : public TMiravoTransaction {
public:
    TGetTextStatTrans(ProtocolContext& context, int32_t text, TextStatType& target);
    void Transmit() override;
    void ParseReply() override;
    bool NewerForm() const { return newerForm_; }

private:
    int32_t text_;
    TextStatType& target_;
    bool newerForm_;
};

// 25: a text's body. Each line of it ends with CR LF in Contents().
class TGetTextTrans : public TMiravoTransaction {
public:
    // The whole text (as far as any text of ours goes).
    TGetTextTrans(ProtocolContext& context, int32_t text);
    // Only its first `bytes` bytes: enough for the subject line of most
    // texts at a fraction of the body.
    TGetTextTrans(ProtocolContext& context, int32_t text, int32_t bytes);
    void Transmit() override;
    void ParseReply() override;
    const std::string& Contents() const { return contents_; }
    // The reply holds the text to its end (fewer bytes than asked for).
    bool Whole() const { return whole_; }
    // The reply holds at least the text's first line whole.
    bool HasSubject() const { return whole_ || lineBreaks_ > 0; }

private:
    int32_t text_;
    int32_t lastChar_;
    std::string contents_;
    bool whole_ = false;
    int lineBreaks_ = 0;
};

} // namespace pellar
