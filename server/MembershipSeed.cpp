#include "server/MembershipSeed.h"

#include "server/PasswordHash.h"
#include "server/Store.h"

namespace miravod {

std::vector<int32_t> MembershipSeed::AddConferences(Store& store, int count, const std::string& prefix)
{
    const pellar::TDateTime now = pellar::NowLocal();
    const int32_t author = store.CreatePerson(prefix + " author", "x", now);
    std::vector<int32_t> confs;
    confs.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int32_t conf = store.CreateConference(prefix + " " + std::to_string(i), "00000000", 0, now);
        for (int t = 0; t < UnreadOf(i) + 1; ++t) {
            Text& text = store.NewText(author, now);
            text.body = "Subject " + std::to_string(t) + "\nBody.";
            const int32_t number = text.number;
            MiscItem recipient;
            recipient.number = conf;
            recipient.local = store.AppendToConference(conf, number, now);
            store.EditText(number).misc.push_back(recipient);
        }
        confs.push_back(conf);
    }
    return confs;
}

int32_t MembershipSeed::AddReader(Store& store, const std::string& name, const std::string& password,
                                  const std::vector<int32_t>& confs, int passwordIterations)
{
    const int32_t reader =
        store.CreatePerson(name, PasswordHash::Make(password, passwordIterations), pellar::NowLocal());
    for (size_t i = 0; i < confs.size(); ++i) {
        store.AddMember(reader, confs[i], PriorityOf(static_cast<int>(i)));
        const Conference* conf = store.Conf(confs[i]);
        store.EditMembership(reader, confs[i]).lastRead = conf->firstLocal;
    }
    return reader;
}

} // namespace miravod
