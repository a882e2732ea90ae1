#include "server/HandlerContext.h"

namespace miravod {

std::string HandlerContext::Ok(int32_t id)
{
    return "=" + std::to_string(id) + "\n";
}

std::string HandlerContext::Ok(int32_t id, std::string_view body)
{
    std::string out = "=" + std::to_string(id) + " ";
    out.append(body);
    out += '\n';
    return out;
}

std::string HandlerContext::Fail(int32_t id, int code, int32_t status)
{
    return "%" + std::to_string(id) + " " + std::to_string(code) + " " + std::to_string(status) + "\n";
}

TDateTime HandlerContext::Now() const
{
    return pellar::NowLocal();
}

bool HandlerContext::Admin(const Session& s) const
{
    const Person* p = store.Pers(s.person);
    return s.adminEnabled && p && p->admin;
}

bool HandlerContext::ValidName(std::string_view name)
{
    if (name.empty() || name.size() > 255) return false;
    return name.find('\n') == std::string_view::npos && name.find('\r') == std::string_view::npos &&
           name.find_first_not_of(' ') != std::string_view::npos;
}

int HandlerContext::ConfError(const Session& s, int32_t conf) const
{
    if (!store.CanSeeConf(s.person, conf, Admin(s))) return store.Pers(conf) ? kUndefinedPerson : kUndefinedConf;
    return 0;
}

const Text* HandlerContext::ReadableText(const Session& s, int32_t text) const
{
    const Text* t = store.GetText(text);
    if (!t || !store.CanReadText(s.person, *t, Admin(s))) return nullptr;
    return t;
}

bool HandlerContext::MaySupervise(const Session& s, int32_t conf) const
{
    return Admin(s) || store.IsSupervisor(s.person, conf);
}

} // namespace miravod
