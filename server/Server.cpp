#include "server/Server.h"

#include "server/NetworkLoop.h"

namespace miravod {

Server::Server(ServerOptions options) : options_(std::move(options)) {}

Server::~Server()
{
    Stop();
}

bool Server::Start(std::string* error)
{
    if (loop_) {
        if (error) *error = "already started";
        return false;
    }
    auto loop = std::make_unique<NetworkLoop>(options_);
    if (!loop->Open(error)) return false;
    loop_ = std::move(loop);
    thread_ = std::thread([this] { loop_->Run(); });
    return true;
}

int Server::Port() const
{
    return loop_ ? loop_->Port() : 0;
}

int Server::TlsPort() const
{
    return loop_ ? loop_->TlsPort() : 0;
}

std::string Server::TlsFingerprint() const
{
    return loop_ ? loop_->TlsFingerprint() : std::string();
}

uint64_t Server::AcceptFailures() const
{
    return loop_ ? loop_->AcceptFailures() : 0;
}

void Server::FailNextCommits(int n)
{
    if (loop_) loop_->FailNextCommits(n);
}

void Server::Stop()
{
    if (!loop_) return;
    loop_->RequestStop();
    if (thread_.joinable()) thread_.join();
    loop_.reset();
}

} // namespace miravod
