// The weapon tables: both directions of the translation, exact and case-sensitive.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "core/weapons.h"

namespace {

TEST(WeaponTables, EveryRowRoundTripsFromFileNameToTextAndBack) {
    for (WeaponTable table : {PrimaryWeapons(), SecondaryWeapons()}) {
        std::set<std::string> texts, files;
        for (const WeaponEntry& row : table) {
            SCOPED_TRACE(row.fileName);
            const WeaponEntry* byFile = FindWeaponByFileName(table, row.fileName);
            ASSERT_NE(byFile, nullptr);
            EXPECT_STREQ(byFile->text, row.text);
            const WeaponEntry* byText = FindWeaponByText(table, byFile->text);
            ASSERT_NE(byText, nullptr);
            EXPECT_STREQ(byText->fileName, row.fileName);
            texts.insert(row.text);
            files.insert(row.fileName);
        }
        // Unique both ways, so at most one row can match.
        EXPECT_EQ(texts.size(), table.count);
        EXPECT_EQ(files.size(), table.count);
    }
    EXPECT_EQ(PrimaryWeapons().count, 24u);
    EXPECT_EQ(SecondaryWeapons().count, 8u);
}

TEST(WeaponTables, PrimaryRowsStandInFileNameOrderWithTheEnfieldLast) {
    const WeaponTable table = PrimaryWeapons();
    for (std::size_t i = 1; i + 1 < table.count; ++i)
        EXPECT_LT(std::strcmp(table.rows[i - 1].fileName, table.rows[i].fileName), 0) << table.rows[i].fileName;
    EXPECT_STREQ(table.rows[0].text, "Barret 82A1");
    EXPECT_STREQ(table.rows[0].fileName, "pw_barrett.wpn");
    EXPECT_STREQ(table.rows[23].text, "Enfield L85A1");
    EXPECT_STREQ(table.rows[23].fileName, "pw_iweap.wpn");
    EXPECT_STREQ(FindWeaponByText(table, "HK MP5A5")->fileName, "pw_mp5.wpn");
    EXPECT_STREQ(FindWeaponByText(table, "UZI")->fileName, "tw_uzi.wpn");
    EXPECT_STREQ(FindWeaponByText(table, "Benelli 12ga.")->fileName, "pw_shotgun.wpn");
}

TEST(WeaponTables, TheTwoOddSecondaryNamesAreKeptAsTheyAre) {
    const WeaponTable table = SecondaryWeapons();
    EXPECT_STREQ(FindWeaponByText(table, "92FS 9mm-SD")->fileName, "sw_9mmsd");
    EXPECT_STREQ(FindWeaponByText(table, ".50 Desert Eagle")->fileName, "sw_.50wpn");
    EXPECT_STREQ(FindWeaponByFileName(table, "sw_9mmsd")->text, "92FS 9mm-SD");
    EXPECT_STREQ(FindWeaponByFileName(table, "sw_.50wpn")->text, ".50 Desert Eagle");
    // The "regular" spellings are not the stored forms.
    EXPECT_EQ(FindWeaponByFileName(table, "sw_9mmsd.wpn"), nullptr);
    EXPECT_EQ(FindWeaponByFileName(table, "sw_.50.wpn"), nullptr);
    EXPECT_EQ(FindWeaponByFileName(table, "sw_50.wpn"), nullptr);
}

TEST(WeaponTables, OnlyExactSpellingsMatch) {
    const WeaponTable primary = PrimaryWeapons(), secondary = SecondaryWeapons();
    for (const char* file : {"PW_MP5.WPN", "Pw_mp5.wpn", "pw_mp5.WPN", "pw_mp5.wpn.wpn", "pw_mp5", " pw_mp5.wpn",
                             "pw_mp5.wpn ", "", "sw_9mm.wpn"})
        EXPECT_EQ(FindWeaponByFileName(primary, file), nullptr) << file;
    for (const char* text : {"uzi", "Uzi", "UZI ", " UZI", "HK MP5", "hk mp5a5", "Barrett 82A1", "", "92FS 9mm"})
        EXPECT_EQ(FindWeaponByText(primary, text), nullptr) << text;
    // Neither table knows the other's rows.
    EXPECT_EQ(FindWeaponByFileName(secondary, "pw_mp5.wpn"), nullptr);
    EXPECT_EQ(FindWeaponByText(secondary, "HK MP5A5"), nullptr);
    EXPECT_EQ(FindWeaponByText(secondary, "92fs 9mm"), nullptr);
}

}  // namespace
