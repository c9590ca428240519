// The templates' combo-box lists as the .rc files write them: every record declares the length of
// the string it carries (the dialog reads the records by those lengths), and the weapon lists hold
// exactly the texts of the weapon tables, so that every weapon shown can be stored and every
// weapon stored can be shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/weapons.h"
#include "rc_lists.h"

namespace {

std::vector<std::string> RcFiles() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(MH_RES_DIR))
        if (entry.path().extension() == ".rc") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(RcLists, EveryRecordDeclaresTheLengthOfItsStringWithOneTerminatorAtTheEnd) {
    std::size_t records = 0;
    for (const std::string& file : RcFiles()) {
        const RcLists lists = ReadRcLists(file);
        EXPECT_EQ(lists.errors, std::vector<std::string>{});
        for (const RcListRecord& record : lists.records) {
            SCOPED_TRACE(file + ":" + std::to_string(record.line));
            EXPECT_EQ(record.message, "DLGINIT_CB_ADDSTRING");
            EXPECT_EQ(record.declaredLength, record.bytes.size());
            EXPECT_EQ(record.bytes.find('\0'), record.bytes.size() - 1);
            EXPECT_FALSE(record.Text().empty());
        }
        records += lists.records.size();
    }
    // The two weapon lists and the video resolutions.
    EXPECT_EQ(records, kPrimaryWeaponCount + kSecondaryWeaponCount + 11);
}

TEST(RcLists, TheWeaponListsHoldEachTableTextOnceAndNothingElse) {
    const RcLists lists = ReadRcLists(MH_RES_DIR "/player_config_dlg.rc");
    ASSERT_EQ(lists.errors, std::vector<std::string>{});
    const struct {
        const char* control;
        WeaponTable table;
    } kLists[] = {{"IDC_PRIMARY_WEAPON", PrimaryWeapons()}, {"IDC_SECONDARY_WEAPON", SecondaryWeapons()}};
    for (const auto& list : kLists) {
        SCOPED_TRACE(list.control);
        const std::vector<std::string> texts = ListTexts(lists, list.control);
        EXPECT_EQ(texts.size(), list.table.count);
        for (const std::string& text : texts) EXPECT_NE(FindWeaponByText(list.table, text), nullptr) << text;
        for (const WeaponEntry& row : list.table)
            EXPECT_EQ(std::count(texts.begin(), texts.end(), row.text), 1) << row.text;
    }
}

TEST(RcLists, TheReaderReportsWhatItDoesNotUnderstand) {
    const std::string path = testing::TempDir() + "rc_lists_faults.rc";
    {
        std::ofstream out(path);
        out << "IDD_X RT_DLGINIT_ID\n"
               "BEGIN\n"
               "    IDC_A, DLGINIT_CB_ADDSTRING, 4L, \"a\\\"b\\0\",\n"
               "    IDC_A, DLGINIT_CB_ADDSTRING, 3L \"ab\\0\",\n"
               "    IDC_A, DLGINIT_CB_ADDSTRING, 3L, \"a\\qb\\0\",\n"
               "    0\n"
               "END\n"
               "IDD_Y RT_DLGINIT_ID\n"
               "    IDC_B, DLGINIT_CB_ADDSTRING, 2L, \"b\\0\",\n";
    }
    const RcLists lists = ReadRcLists(path);
    ASSERT_EQ(lists.records.size(), 1u);
    EXPECT_EQ(lists.records[0].dialog, "IDD_X");
    EXPECT_EQ(lists.records[0].control, "IDC_A");
    EXPECT_EQ(lists.records[0].declaredLength, 4u);
    EXPECT_EQ(lists.records[0].bytes, std::string("a\"b\0", 4));
    EXPECT_EQ(lists.records[0].Text(), "a\"b");
    EXPECT_EQ(lists.errors, (std::vector<std::string>{path + ":4: not a list record", path + ":5: unknown escape",
                                                       path + ":9: BEGIN expected",
                                                       path + ":9: list block not closed"}));
    EXPECT_EQ(ReadRcLists(path + ".none").errors, std::vector<std::string>{path + ".none: cannot be read"});
    std::remove(path.c_str());
}

}  // namespace
