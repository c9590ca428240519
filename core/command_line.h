// The program's command line: options, join links, and the hand-over of a request to a running copy.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/server_address.h"
#include "core/stored_values.h"
#include "core/targets.h"

enum class RequestKind {
    Open,             // no arguments: the toolkit as always
    Help,             // --help, -h, /?
    Malformed,        // anything not understood: the usage is shown
    BadLink,          // an argument that starts like a link but is not a valid one
    Join,             // --join GAME HOST[:PORT]
    Link,             // mhtoolkit://join/GAME/HOST[:PORT], as the only argument
    RegisterLinks,    // --register-links
    UnregisterLinks,  // --unregister-links
    // --write-machine-values FAMILY PAYLOAD: the elevated copy that writes per-user values into the
    // machine key (core/machine_values.h). Without a window, before the single-instance rule.
    WriteMachineValues,
};

struct Request {
    RequestKind kind = RequestKind::Open;
    GameTarget target = GameTarget::MH;        // Join and Link
    ServerAddress server;                      // Join and Link
    GameFamily family = GameFamily::Orvanta;   // WriteMachineValues
    StoredValues values;                       // WriteMachineValues; empty when the arguments are refused
};

constexpr size_t kMaxLinkLength = 255;
constexpr const char* kLinkScheme = "mhtoolkit";
constexpr const char* kBadLinkMessage = "This is not a valid MH Toolkit link.";

// The arguments after the program's name.
Request ParseArguments(const std::vector<std::string>& args);

// "mhtoolkit://join/GAME/HOST[:PORT]", one trailing '/' allowed; the scheme in any case, the rest
// exactly as written; at most 255 characters of letters, digits, ':', '/', '.' and '-'.
std::optional<Request> ParseLink(const std::string& link);
// Whether an argument is meant as a link: it holds "mhtoolkit:" in any case, anywhere.
bool LooksLikeLink(const std::string& arg);

// The question a link asks before it joins: "Join HOST:PORT with <game>?", with the port the join will
// use (the link's, else the stored one; just HOST when there is neither).
std::string LinkQuestion(const Request& request, const std::string& storedPort);

std::string UsageText(const std::string& programName);

// A request handed to a running copy travels as its arguments, each ended by '\0'; the receiver
// parses them again. Unpacking refuses more than kMaxPackedBytes or a last argument without its end.
constexpr size_t kMaxPackedBytes = 1024;
std::string PackArguments(const std::vector<std::string>& args);
std::optional<std::vector<std::string>> UnpackArguments(const std::string& packed);
