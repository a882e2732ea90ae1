// The miravod executable: the reference server on a TCP port until it is
// interrupted.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "ProgramVersionNumbers.h"
#include "server/Server.h"
#include "server/TlsContext.h"

namespace {

void Usage(std::FILE* out)
{
    std::fputs("Usage: miravod [options]\n"
               "  --version               show the server's version and exit\n"
               "  --listen ADDR           address to listen on (default 127.0.0.1)\n"
               "  --port N                port (default 4894; 0 = any free port)\n"
               "  --db FILE               keep the data in this SQLite file (default: in memory)\n"
               "  --demo                  seed an empty database with demo conferences and texts\n"
               "                          (names and texts in UTF-8 unless --charset says otherwise)\n"
               "  --charset SET           utf-8 or iso-8859-1 (default): the character set\n"
               "                          names and texts are in; name look-up folds letter\n"
               "                          case in it\n"
               "  --no-companion          no demo companion session\n"
               "  --companion-interval S  the demo companion posts every S seconds\n"
               "  --old-protocol          behave as an older server (protocol version 9)\n"
               "Encryption:\n"
               "  --tls-cert FILE         serve TLS with this PEM certificate (chain)\n"
               "  --tls-key FILE          and this PEM private key\n"
               "  --tls-port N            the TLS port (default 4896). Without --port given\n"
               "                          too, only TLS is served; with both, plain and TLS\n"
               "                          side by side\n"
               "                          With --demo and --db FILE but no certificate, a\n"
               "                          self-signed one is made next to FILE on first start\n"
               "                          and TLS is served beside the plain port\n"
               "  --max-text BYTES        longest text accepted (default 1048576)\n"
               "Limits against hostile peers:\n"
               "  --max-request BYTES     longest request of a logged-on session, strings\n"
               "                          included (default twice --max-text plus 65536);\n"
               "                          before logging on 65536. A longer request is\n"
               "                          read to its end, its strings dropped, and refused\n"
               "                          with error 5 (string too long)\n"
               "  --max-output BYTES      unsent bytes a link may have before it is dropped\n"
               "                          (default 16777216); its requests wait from 256 KiB on\n"
               "  --output-budget MIB     unsent bytes of all links together (default 96 MiB).\n"
               "                          Past it the links with the most unsent bytes are\n"
               "                          dropped, those that are not reading first, until\n"
               "                          7/8 of it is left; sessions that read are served\n"
               "  --message-rate N        messages a session may send to persons and\n"
               "                          conferences per second (default 20; 0 = no limit)\n"
               "  --message-burst N       and at once (default 100)\n"
               "  --broadcast-rate N      messages to everyone per second (default 2)\n"
               "  --broadcast-burst N     and at once (default 10). A message over the\n"
               "                          rate is refused with error 45 (temporary failure)\n"
               "  --handshake-timeout S   close a link without a handshake after S seconds (30)\n"
               "  --anonymous-idle S      close a link that has not logged on after S seconds\n"
               "                          without a request (300); logged-on sessions may idle\n"
               "  --max-links N           links at once (default: the descriptor limit less 64)\n"
               "  --max-links-per-address N  links at once from one address (default 256)\n"
               "  --hash-threads N        threads that hash passwords beside the loop (default 2)\n"
               "  --logon-attempts N      logon attempts from one address waiting or being\n"
               "                          checked at once (default 4); more get error 45\n"
               "Failed logons slow the source that fails, not the person it guesses at:\n"
               "  after 5 failures of one address for one person, that address's next\n"
               "  attempt for that person waits 250 ms after its last failure, doubling up\n"
               "  to 30 s. When a person has failed logons from 3 or more addresses, those\n"
               "  addresses (only) wait after the person's last failure, 250 ms doubling\n"
               "  up to 5 s; an address that fails for 3 or more persons waits likewise,\n"
               "  up to 30 s, for anyone. Waits follow the last failure, nothing is booked\n"
               "  ahead: when the guessing stops, so does the wait. A right password from\n"
               "  an address that has not failed for that person is checked at once, ahead\n"
               "  of any attempt that has. All is forgotten after 15 quiet minutes.\n"
               "  An address may make 20 accounts without logging on, then one per 30 s\n"
               "  (error 45 meanwhile).\n"
               "What one session may learn of another:\n"
               "  An invisible session is listed (who is on) and described only to its own\n"
               "  person and to administrators. The system login, address and ident of a\n"
               "  session go to its own person and administrators; others get empty strings.\n"
               "  Someone else's memberships show the conference and priority only, never\n"
               "  what was read or when. On someone else's text a reader may keep at most\n"
               "  4 aux items, 4096 bytes of data in all (error 46 or 5 beyond).\n"
               "Fault switches for tests:\n"
               "  --withhold-greeting     never send the greeting\n"
               "  --reply-delay MS        delay every reply\n"
               "  --byte-by-byte          write replies one byte at a time\n"
               "  --close-after N         close each link after N requests\n"
               "  --inject-unknown-async  send an unknown asynchronous message before each reply\n"
               "  --help                  this text\n",
               out);
}

bool ParseNumber(const char* s, long min, long max, long& out)
{
    char* end = nullptr;
    errno = 0;
    out = std::strtol(s, &end, 10);
    return errno == 0 && end != s && *end == '\0' && out >= min && out <= max;
}


// What the command line says, before the options that depend on one another
// are settled.
struct Arguments {
    miravod::ServerOptions options;
    std::optional<pellar::WireCharset> charset;
    bool portGiven = false;
    bool tlsPortGiven = false;
};

// Options that take a number: its range, and where it goes.
struct NumberOption {
    const char* name;
    long min, max;
    void (*set)(Arguments&, long);
};
const NumberOption kNumberOptions[] = {
    {"--port", 0, 65535,
     [](Arguments& a, long n) {
         a.options.port = static_cast<int>(n);
         a.portGiven = true;
     }},
    {"--tls-port", 0, 65535,
     [](Arguments& a, long n) {
         a.options.tlsPort = static_cast<int>(n);
         a.tlsPortGiven = true;
     }},
    {"--companion-interval", 1, 3600,
     [](Arguments& a, long n) { a.options.demoCompanionIntervalMs = static_cast<int>(n) * 1000; }},
    {"--max-text", 1, 1L << 30, [](Arguments& a, long n) { a.options.maxTextBytes = static_cast<size_t>(n); }},
    {"--max-request", 65536, 1L << 31,
     [](Arguments& a, long n) { a.options.maxRequestBytes = static_cast<size_t>(n); }},
    {"--max-output", 1L << 20, 1L << 31,
     [](Arguments& a, long n) { a.options.maxPendingOut = static_cast<size_t>(n); }},
    {"--handshake-timeout", 1, 86400,
     [](Arguments& a, long n) { a.options.handshakeTimeoutMs = static_cast<int>(n) * 1000; }},
    {"--anonymous-idle", 1, 86400,
     [](Arguments& a, long n) { a.options.anonymousIdleMs = static_cast<int>(n) * 1000; }},
    {"--max-links", 1, 1000000, [](Arguments& a, long n) { a.options.maxConnections = static_cast<size_t>(n); }},
    {"--max-links-per-address", 1, 1000000,
     [](Arguments& a, long n) { a.options.maxConnectionsPerAddress = static_cast<size_t>(n); }},
    {"--hash-threads", 1, 64, [](Arguments& a, long n) { a.options.hashThreads = static_cast<int>(n); }},
    {"--logon-attempts", 1, 1000,
     [](Arguments& a, long n) { a.options.throttle.maxAttemptsPerAddress = static_cast<int>(n); }},
    {"--output-budget", 1, 1L << 20,
     [](Arguments& a, long n) { a.options.outputBudget = static_cast<size_t>(n) << 20; }},
    {"--message-rate", 0, 1000000,
     [](Arguments& a, long n) { a.options.messageRate.perSecond = static_cast<double>(n); }},
    {"--message-burst", 1, 1000000,
     [](Arguments& a, long n) { a.options.messageRate.burst = static_cast<double>(n); }},
    {"--broadcast-rate", 0, 1000000,
     [](Arguments& a, long n) { a.options.broadcastRate.perSecond = static_cast<double>(n); }},
    {"--broadcast-burst", 1, 1000000,
     [](Arguments& a, long n) { a.options.broadcastRate.burst = static_cast<double>(n); }},
    {"--reply-delay", 0, 600000, [](Arguments& a, long n) { a.options.replyDelayMs = static_cast<int>(n); }},
    {"--close-after", 1, 1L << 30,
     [](Arguments& a, long n) { a.options.closeAfterRequests = static_cast<int>(n); }},
};

// Options that take a file name or an address.
struct TextOption {
    const char* name;
    std::string miravod::ServerOptions::*field;
};
const TextOption kTextOptions[] = {
    {"--listen", &miravod::ServerOptions::listenAddress},
    {"--tls-cert", &miravod::ServerOptions::tlsCertFile},
    {"--tls-key", &miravod::ServerOptions::tlsKeyFile},
    {"--db", &miravod::ServerOptions::dbPath},
};

// Options without a value: the setting each one turns on or off.
struct SwitchOption {
    const char* name;
    bool miravod::ServerOptions::*field;
    bool value;
};
const SwitchOption kSwitchOptions[] = {
    {"--demo", &miravod::ServerOptions::demo, true},
    {"--no-companion", &miravod::ServerOptions::demoCompanion, false},
    {"--old-protocol", &miravod::ServerOptions::oldProtocol, true},
    {"--withhold-greeting", &miravod::ServerOptions::withholdGreeting, true},
    {"--byte-by-byte", &miravod::ServerOptions::byteByByte, true},
    {"--inject-unknown-async", &miravod::ServerOptions::injectUnknownAsync, true},
};

template <typename Option, size_t N>
const Option* Find(const Option (&options)[N], const std::string& name)
{
    for (const Option& option : options) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

// Reads the options in order. An exit code means the program ends here: 0
// after --help, 2 on a usage error (already reported).
std::optional<int> ParseArguments(int argc, char** argv, Arguments& args)
{
    args.options.port = 4894;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("miravod %d.%d.%d (build %d)\n", PELLAR_VERSION_MAJOR, PELLAR_VERSION_MINOR,
                        PELLAR_VERSION_RELEASE, PELLAR_VERSION_BUILD);
            return 0;
        }
        if (const NumberOption* option = Find(kNumberOptions, a)) {
            long n = 0;
            if (!hasValue || !ParseNumber(argv[i + 1], option->min, option->max, n)) {
                std::fprintf(stderr, "miravod: %s needs a number from %ld to %ld\n", a.c_str(), option->min,
                             option->max);
                return 2;
            }
            ++i;
            option->set(args, n);
        } else if (const TextOption* text = Find(kTextOptions, a); text && hasValue) {
            args.options.*text->field = argv[++i];
        } else if (const SwitchOption* on = Find(kSwitchOptions, a)) {
            args.options.*on->field = on->value;
        } else if (a == "--charset" && hasValue) {
            args.charset = pellar::ParseWireCharset(argv[++i]);
            if (!args.charset) {
                std::fprintf(stderr, "miravod: --charset takes utf-8 or iso-8859-1, not %s\n", argv[i]);
                return 2;
            }
        } else {
            std::fprintf(stderr, "miravod: unknown option %s\n", a.c_str());
            Usage(stderr);
            return 2;
        }
    }
    return std::nullopt;
}

// Settles what follows from the options together: the character set, the
// demo's own certificate and which ports serve. An exit code means an error
// (reported): 2 for a usage error, 1 when the certificate cannot be made.
std::optional<int> SettleOptions(Arguments& args)
{
    miravod::ServerOptions& o = args.options;
    o.charset = args.charset.value_or(o.demo ? pellar::WireCharset::Utf8 : pellar::WireCharset::Latin1);
    if (o.tlsCertFile.empty() != o.tlsKeyFile.empty()) {
        std::fprintf(stderr, "miravod: --tls-cert and --tls-key go together\n");
        return 2;
    }
    if (o.tlsCertFile.empty() && o.demo && !o.dbPath.empty()) {
        // The demo runs encrypted with a certificate of its own; clients
        // pin its fingerprint, printed when serving.
        std::filesystem::path cert, key;
        std::string error;
        const auto dir = std::filesystem::absolute(o.dbPath).parent_path();
        if (!miravod::EnsureDemoCertificate(dir, &cert, &key, &error)) {
            std::fprintf(stderr, "miravod: %s\n", error.c_str());
            return 1;
        }
        o.tlsCertFile = cert.string();
        o.tlsKeyFile = key.string();
        args.portGiven = true;
    }
    if (!o.tlsCertFile.empty()) {
        if (!args.tlsPortGiven) o.tlsPort = 4896;
        o.plain = args.portGiven;
    } else if (args.tlsPortGiven) {
        std::fprintf(stderr, "miravod: --tls-port needs --tls-cert and --tls-key\n");
        return 2;
    }
    return std::nullopt;
}

// Serves until SIGINT or SIGTERM; 1 when the server cannot start.
int Serve(const miravod::ServerOptions& o)
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr); // the server thread inherits this
    std::signal(SIGPIPE, SIG_IGN);
    miravod::Server server(o);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "miravod: %s\n", error.c_str());
        return 1;
    }
    if (o.plain) std::printf("miravod listening on %s port %d\n", o.listenAddress.c_str(), server.Port());
    if (server.TlsPort() != 0)
        std::printf("miravod serving TLS on %s port %d, certificate SHA-256 fingerprint %s\n",
                    o.listenAddress.c_str(), server.TlsPort(), server.TlsFingerprint().c_str());
    std::fflush(stdout);
    int sig = 0;
    sigwait(&set, &sig);
    server.Stop();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments args;
    if (const auto code = ParseArguments(argc, argv, args))
        return *code;
    if (const auto code = SettleOptions(args))
        return *code;
    return Serve(args.options);
}
