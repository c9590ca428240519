// The combo-box lists of dialog templates as the .rc files write them: blocks of type
// RT_DLGINIT_ID holding records of control id, add-string message, declared length and string
// literal, ended by a 0.
#pragma once

#include <string>
#include <vector>

struct RcListRecord {
    std::string dialog;   // the block's resource name
    std::string control;  // the control id as written
    std::string message;  // the message as written
    unsigned long declaredLength = 0;
    std::string bytes;  // the literal's bytes, escapes decoded: what the resource compiler stores
    int line = 0;
    // The text a list shows: the bytes up to the first zero byte.
    std::string Text() const { return bytes.substr(0, bytes.find('\0')); }
};

struct RcLists {
    std::vector<RcListRecord> records;
    std::vector<std::string> errors;  // "file:line: what", for every line of a block not understood
};

RcLists ReadRcLists(const std::string& path);

// The texts of one control's list, in list order.
std::vector<std::string> ListTexts(const RcLists& lists, const std::string& control);
