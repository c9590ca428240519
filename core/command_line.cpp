#include "core/command_line.h"

#include "core/machine_values.h"
#include "core/text.h"

namespace {

bool IsLinkCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' || c == '/' ||
           c == '.' || c == '-';
}

Request JoinRequest(RequestKind kind, GameTarget target, ServerAddress server) {
    Request request;
    request.kind = kind;
    request.target = target;
    request.server = std::move(server);
    return request;
}

Request Simple(RequestKind kind) {
    Request request;
    request.kind = kind;
    return request;
}

}  // namespace

bool LooksLikeLink(const std::string& arg) { return ContainsNoCase(arg, std::string(kLinkScheme) + ":"); }

std::optional<Request> ParseLink(const std::string& link) {
    if (link.size() > kMaxLinkLength) return std::nullopt;
    for (char c : link)
        if (!IsLinkCharacter(c)) return std::nullopt;
    const std::string head = std::string(kLinkScheme) + "://";
    if (!StartsWithNoCase(link, head)) return std::nullopt;
    std::string rest = link.substr(head.size());
    if (rest.compare(0, 5, "join/") != 0) return std::nullopt;
    rest.erase(0, 5);
    const size_t slash = rest.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const auto target = TargetOfCode(rest.substr(0, slash));
    if (!target) return std::nullopt;
    std::string server = rest.substr(slash + 1);
    if (!server.empty() && server.back() == '/') server.pop_back();
    auto address = ParseServer(server, false);  // a '/' left in it is no host character
    if (!address) return std::nullopt;
    return JoinRequest(RequestKind::Link, *target, std::move(*address));
}

namespace {

// The elevated copy's arguments, exactly: option, family token, payload. Anything else after the
// option is refused, links included.
Request MachineValuesRequest(const std::vector<std::string>& args) {
    Request request = Simple(RequestKind::WriteMachineValues);
    const auto family = args.size() == 3 ? FamilyFromToken(args[1]) : std::nullopt;
    if (!family) return request;
    request.family = *family;
    // A payload without values is refused as well.
    if (auto values = DecodeValues(args[2])) request.values = std::move(*values);
    return request;
}

}  // namespace

Request ParseArguments(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == kWriteMachineValuesOption) return MachineValuesRequest(args);
    for (const std::string& arg : args) {
        if (!LooksLikeLink(arg)) continue;
        // Only what the shell passes for a link: the link alone.
        auto request = args.size() == 1 ? ParseLink(arg) : std::nullopt;
        return request ? std::move(*request) : Simple(RequestKind::BadLink);
    }
    if (args.empty()) return Simple(RequestKind::Open);
    const std::string& option = args[0];
    if (args.size() == 1) {
        if (option == "--help" || option == "-h" || option == "/?") return Simple(RequestKind::Help);
        if (option == "--register-links") return Simple(RequestKind::RegisterLinks);
        if (option == "--unregister-links") return Simple(RequestKind::UnregisterLinks);
    }
    if (args.size() == 3 && option == "--join") {
        const auto target = TargetOfCode(args[1]);
        auto server = ParseServer(args[2], false);
        if (target && server) return JoinRequest(RequestKind::Join, *target, std::move(*server));
    }
    return Simple(RequestKind::Malformed);
}

std::string LinkQuestion(const Request& request, const std::string& storedPort) {
    const std::string port = request.server.port ? *request.server.port : storedPort;
    return "Join " + ShareText(request.server.host, port) + " with " + InfoOf(request.target).name + "?";
}

std::string UsageText(const std::string& programName) {
    const std::string& p = programName;
    // "ov (Orvanta), bm (Brightmoor) or mh (Mireholt)"
    std::string games;
    const auto targets = AllTargets();
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (i) games += i + 1 == targets.size() ? " or " : ", ";
        games += std::string(targets[i].code) + " (" + targets[i].name + ")";
    }
    return p + "\nOpens the toolkit.\n\n" +
           p + " --join GAME HOST[:PORT]\nJoins a server. GAME: " + games + ". "
               "HOST: an IPv4 address or a DNS name. Without PORT, the game's stored join port.\n\n" +
           p + " mhtoolkit://join/GAME/HOST[:PORT]\nThe same, after asking.\n\n" +
           p + " --register-links\nOpens mhtoolkit:// links with this program (for the current user).\n\n" +
           p + " --unregister-links\nStops opening them.\n\n" +
           p + " --help\nShows this text.";
}

std::string PackArguments(const std::vector<std::string>& args) {
    std::string packed;
    for (const std::string& arg : args) {
        packed += arg;
        packed += '\0';
    }
    return packed;
}

std::optional<std::vector<std::string>> UnpackArguments(const std::string& packed) {
    if (packed.size() > kMaxPackedBytes || (!packed.empty() && packed.back() != '\0')) return std::nullopt;
    if (packed.empty()) return std::vector<std::string>();
    return Split(std::string_view(packed).substr(0, packed.size() - 1), '\0');
}
