#include "server/SessionTable.h"

namespace miravod {

int32_t Session::IdleSeconds() const
{
    const auto d = std::chrono::steady_clock::now() - lastActive;
    return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::seconds>(d).count());
}

Session& SessionTable::Create(TDateTime now)
{
    auto s = std::make_unique<Session>();
    s->number = next_++;
    s->connected = now;
    Session& ref = *s;
    sessions_[ref.number] = std::move(s);
    return ref;
}

void SessionTable::Remove(int32_t number)
{
    sessions_.erase(number);
}

Session* SessionTable::Find(int32_t number)
{
    auto it = sessions_.find(number);
    return it == sessions_.end() ? nullptr : it->second.get();
}

std::vector<Session*> SessionTable::All()
{
    std::vector<Session*> out;
    out.reserve(sessions_.size());
    for (auto& [n, s] : sessions_) out.push_back(s.get());
    return out;
}

} // namespace miravod
