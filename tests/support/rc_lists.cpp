#include "rc_lists.h"

#include <fstream>
#include <regex>

namespace {

// Decodes the escapes of an .rc string literal's body; false on one it does not know.
bool Decode(const std::string& body, std::string& bytes) {
    bytes.clear();
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\') {
            bytes += body[i];
            continue;
        }
        if (++i == body.size()) return false;
        const char c = body[i];
        if (c >= '0' && c <= '7') {
            int value = 0;
            for (int digits = 0; digits < 3 && i < body.size() && body[i] >= '0' && body[i] <= '7'; ++digits, ++i)
                value = value * 8 + (body[i] - '0');
            --i;
            bytes += static_cast<char>(value);
        } else if (c == '\\' || c == '"') {
            bytes += c;
        } else if (c == 'n') {
            bytes += '\n';
        } else if (c == 't') {
            bytes += '\t';
        } else if (c == 'r') {
            bytes += '\r';
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

RcLists ReadRcLists(const std::string& path) {
    static const std::regex kHeader(R"(^\s*(\w+)\s+RT_DLGINIT_ID\s*$)");
    static const std::regex kRecord(R"re(^\s*(\w+)\s*,\s*(\w+)\s*,\s*(\d+)L?\s*,\s*"((?:[^"\\]|\\.)*)"\s*,\s*$)re");
    static const std::regex kEndOfRecords(R"(^\s*0\s*$)");
    static const std::regex kBlank(R"(^\s*(//.*)?$)");
    static const std::regex kBegin(R"(^\s*BEGIN\s*$)");
    static const std::regex kEnd(R"(^\s*END\s*$)");

    enum class State { Outside, Header, Records, Closing };
    RcLists lists;
    std::ifstream in(path);
    if (!in) {
        lists.errors.push_back(path + ": cannot be read");
        return lists;
    }
    State state = State::Outside;
    std::string dialog, line;
    int number = 0;
    const auto fail = [&](const std::string& what) {
        lists.errors.push_back(path + ":" + std::to_string(number) + ": " + what);
    };
    std::smatch m;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (state == State::Outside) {
            if (std::regex_match(line, m, kHeader)) {
                dialog = m[1];
                state = State::Header;
            } else if (line.find("RT_DLGINIT_ID") != std::string::npos && !std::regex_match(line, kBlank)) {
                fail("not a list block header");
            }
            continue;
        }
        if (std::regex_match(line, kBlank)) continue;
        if (state == State::Header) {
            if (std::regex_match(line, kBegin))
                state = State::Records;
            else
                fail("BEGIN expected");
        } else if (state == State::Records) {
            if (std::regex_match(line, m, kRecord)) {
                RcListRecord record;
                record.dialog = dialog;
                record.control = m[1];
                record.message = m[2];
                record.declaredLength = std::stoul(m[3]);
                record.line = number;
                if (Decode(m[4], record.bytes))
                    lists.records.push_back(record);
                else
                    fail("unknown escape");
            } else if (std::regex_match(line, kEndOfRecords)) {
                state = State::Closing;
            } else {
                fail("not a list record");
            }
        } else if (std::regex_match(line, kEnd)) {
            state = State::Outside;
        } else {
            fail("END expected after the closing 0");
        }
    }
    if (state != State::Outside) fail("list block not closed");
    return lists;
}

std::vector<std::string> ListTexts(const RcLists& lists, const std::string& control) {
    std::vector<std::string> texts;
    for (const RcListRecord& record : lists.records)
        if (record.control == control) texts.push_back(record.Text());
    return texts;
}
