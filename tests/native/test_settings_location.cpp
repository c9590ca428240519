// Comparison of the machine key with the per-user copy, compatibility layers, paths and the payload of
// the elevated copy.
#include <gtest/gtest.h>

#include "core/machine_values.h"
#include "core/settings_location.h"
#include "memory_registry.h"

namespace {

StoredValue Sz(const std::string& text) { return StoredValue{1, text + std::string(1, '\0')}; }
StoredValue Dword(unsigned value) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return StoredValue{4, data};
}

TEST(CompareValues, ListsEveryValueThatDiffersSortedByNameWithoutCase) {
    const StoredValues machine = {{"Same", Sz("x")},        {"zeta", Sz("m")},      {"OnlyMachine", Sz("m")},
                                  {"TypeOnly", Sz("1")},    {"alpha", Dword(1)},    {"CaseName", Sz("a")},
                                  {"Long", Sz(std::string(300, 'm'))}};
    const StoredValues user = {{"same", Sz("x")},           {"Zeta", Sz("u")},      {"OnlyUser", Sz("u")},
                               {"TypeOnly", {2, std::string("1\0", 2)}},             {"ALPHA", Dword(2)},
                               {"casename", Sz("a")},       {"Long", Sz(std::string(300, 'u'))}};
    const auto rows = CompareValues(machine, user);
    const std::vector<std::string> names = {"alpha", "Long", "OnlyMachine", "OnlyUser", "TypeOnly", "zeta"};
    ASSERT_EQ(rows.size(), names.size());
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].name, names[i]) << i;
    EXPECT_EQ(rows[0].machine, Dword(1));
    EXPECT_EQ(rows[0].user, Dword(2));
    EXPECT_EQ(rows[1].user->data.size(), 301u);
    EXPECT_TRUE(rows[2].machine && !rows[2].user);
    EXPECT_TRUE(!rows[3].machine && rows[3].user);
    EXPECT_EQ(rows[4].user->type, 2u);

    // What the copy writes: the per-user side of each difference, never a value only the machine has.
    const StoredValues copy = ValuesToCopy(rows);
    EXPECT_EQ(copy.size(), 5u);
    EXPECT_EQ(copy.count("OnlyMachine"), 0u);
    EXPECT_EQ(copy.at("ZETA"), Sz("u"));
    EXPECT_TRUE(CompareValues(user, user).empty());
    EXPECT_TRUE(CompareValues({}, {}).empty());
}

TEST(ReadableValue, ShowsStringsWholeNumbersAndBytes) {
    const struct {
        StoredValue value;
        const char *type, *text;
    } cases[] = {
        {Sz("C:\\Games"), "REG_SZ", "C:\\Games"},
        {{2, std::string("12\0" "3", 4)}, "REG_EXPAND_SZ", "12"},
        {{1, "unterminated"}, "REG_SZ", "unterminated"},
        {{7, std::string("a\0bc\0\0", 6)}, "REG_MULTI_SZ", "a | bc"},
        {Dword(258), "REG_DWORD", "258 (0x102)"},
        {{4, "ab"}, "REG_DWORD", "61 62"},
        {{11, std::string("\x01\0\0\0\0\0\0\x01", 8)}, "REG_QWORD", "72057594037927937 (0x100000000000001)"},
        {{3, std::string("\x00\xff\x10", 3)}, "REG_BINARY", "00 ff 10"},
        {{42, "A"}, "type 42", "41"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TypeName(c.value.type), c.type);
        EXPECT_EQ(ReadableValue(c.value), c.text) << c.type;
    }
}

TEST(CompatibilityLayers, RunAsAdminIsOneTokenOfTheList) {
    const struct {
        const char* layers;
        bool runAsAdmin;
    } cases[] = {
        {"RUNASADMIN", true},          {"~ RUNASADMIN", true},     {"$ ~ WIN7RTM RUNASADMIN", true},
        {"~RUNASADMIN", true},         {"runasadmin", true},       {"WINXPSP3  RUNASADMIN ", true},
        {"RUNASINVOKER", false},       {"RUNASADMINX", false},     {"NORUNASADMIN", false},
        {"", false},                   {"~ WIN7RTM", false},       {"RUNAS ADMIN", false},
    };
    for (const auto& c : cases) EXPECT_EQ(HasRunAsAdminLayer(c.layers), c.runAsAdmin) << c.layers;

    // An executable's own value: a string of layers, looked up by its path with backslashes.
    EXPECT_TRUE(SetToRunAsAdmin(Sz("~ RUNASADMIN")));
    EXPECT_TRUE(SetToRunAsAdmin(StoredValue{2, std::string("RUNASADMIN\0", 11)}));
    EXPECT_FALSE(SetToRunAsAdmin(Sz("~ WIN98")));
    EXPECT_FALSE(SetToRunAsAdmin(StoredValue{3, "RUNASADMIN"}));  // not a string
    EXPECT_FALSE(SetToRunAsAdmin(std::nullopt));
    EXPECT_EQ(LayersValueName("D:/Games\\Orvanta/orvanta.exe"), "D:\\Games\\Orvanta\\orvanta.exe");
}

TEST(Paths, ExecutablesAndVirtualStoreOfEachFamily) {
    EXPECT_EQ(PathInFolder("C:\\Games\\Mireholt\\\\", "Mireholt.exe"), "C:\\Games\\Mireholt\\Mireholt.exe");
    EXPECT_EQ(PathInFolder("D:/Mireholt", "Mireholt.exe"), "D:/Mireholt\\Mireholt.exe");
    EXPECT_EQ(ExecutablesOf(GameFamily::Orvanta), (std::vector<std::string>{"orvanta.exe", "orvantaMP.exe"}));
    EXPECT_EQ(ExecutablesOf(GameFamily::Mireholt), std::vector<std::string>{"Mireholt.exe"});
    EXPECT_EQ(VirtualStorePath(GameFamily::Mireholt, true),
              "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Tarnwell\\Mireholt");
    EXPECT_EQ(VirtualStorePath(GameFamily::Orvanta, false),
              "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Tarnwell\\Haskett's Orvanta");
    EXPECT_EQ(FamilyFromToken(FamilyToken(GameFamily::Orvanta)), GameFamily::Orvanta);
    EXPECT_EQ(FamilyFromToken(FamilyToken(GameFamily::Mireholt)), GameFamily::Mireholt);
    EXPECT_FALSE(FamilyFromToken("mireholt"));
}

TEST(SettingsLocation, TheExplanationSaysWhichCopyEachStartReads) {
    SettingsLocation where;
    EXPECT_NE(where.Explanation().find("no per-user copy"), std::string::npos);
    where.userCopyExists = true;
    EXPECT_NE(where.Explanation().find("administrator, it reads the machine values only"), std::string::npos);
}

TEST(Payload, RoundTripsAnyNameTypeAndBytesInCommandLineSafeCharacters) {
    const StoredValues values = {{"Name with spaces \"quoted\" -.", Sz("caf\xe9 & | ^ % ! \\")},
                                 {"", {3, std::string("\0\xff\x01", 3)}},
                                 {"Empty", {1, ""}},
                                 {"Number", Dword(7)},
                                 {"Long", Sz(std::string(2000, 'L'))}};
    const std::string payload = EncodeValues(values);
    EXPECT_EQ(payload.find_first_not_of("0123456789abcdef.-"), std::string::npos);
    const auto decoded = DecodeValues(payload);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, values);
    EXPECT_EQ(EncodeValues({{"A", Sz("b")}}), "41.1.6200");
    EXPECT_EQ(MachineValuesParameters(GameFamily::Mireholt, {{"A", Sz("b")}}),
              "--write-machine-values Mireholt 41.1.6200");
}

TEST(Payload, DecodingRefusesAnythingMalformed) {
    const char* bad[] = {
        "",                      // nothing to copy
        "41.1.6200-",            // empty entry
        "41.1",                  // two fields
        "41.1.62.00",            // four fields
        "41.1.620",              // odd data digits
        "4.1.62",                // odd name digits
        "41.1.6G",               // not hex
        "41.1.6A",               // upper case
        "41..62",                // no type
        "41.x.62",               // type not a number
        "41.-1.62",              // negative type
        "41.01.62",              // leading zero
        "41.1234567890.62",      // type too long
        "41.1.62-61.1.62",       // the same name twice, without regard to case
        "0041.1.62",             // zero byte in the name
        " 41.1.62",              // blank
    };
    for (const char* payload : bad) EXPECT_FALSE(DecodeValues(payload)) << payload;
    EXPECT_FALSE(DecodeValues(std::string(2 * 16384, 'a') + ".1.00"));
    EXPECT_TRUE(DecodeValues(std::string(2 * 16383, 'a') + ".1.00"));
}

TEST(WriteMachineValues, WritesOnlyTheListedValuesIntoTheFamilysExistingKey) {
    MemoryRegistry registry;
    const std::string key = KeyPathOf(GameFamily::Orvanta);
    const StoredValues values = {{"Name", Sz("u")}, {"Number", Dword(3)}};
    EXPECT_EQ(WriteMachineValues(registry, GameFamily::Orvanta, values), -1);
    EXPECT_TRUE(registry.Writes().empty());

    registry.SetString(key, "Name", "m");
    registry.SetString(key, "Kept", "k");
    registry.SetString(KeyPathOf(GameFamily::Mireholt), "Name", "other family");
    EXPECT_EQ(WriteMachineValues(registry, GameFamily::Orvanta, values), 2);
    ASSERT_EQ(registry.Writes().size(), 2u);
    EXPECT_EQ(registry.Find(key, "Name")->data, std::string("u\0", 2));
    EXPECT_EQ(registry.Find(key, "Number")->type, 4u);
    EXPECT_EQ(registry.Find(key, "Kept")->data, std::string("k\0", 2));
    EXPECT_EQ(registry.Find(KeyPathOf(GameFamily::Mireholt), "Name")->data, std::string("other family\0", 13));
    EXPECT_EQ(registry.OpenKeys(), 0);
}

}  // namespace

namespace {

TEST(ShownValue, TypeShowsForNonStringsAndWhenTheCopiesDisagreeOnIt) {
    const StoredValue expand{2, std::string("x\0", 2)};
    EXPECT_EQ(ShownValue(std::nullopt, Sz("a")), "(not present)");
    EXPECT_EQ(ShownValue(Sz("a"), std::nullopt), "a");
    EXPECT_EQ(ShownValue(Sz("a"), Sz("b")), "a");
    EXPECT_EQ(ShownValue(Sz("x"), expand), "REG_SZ: x");
    EXPECT_EQ(ShownValue(expand, Sz("x")), "REG_EXPAND_SZ: x");
    EXPECT_EQ(ShownValue(Dword(5), Dword(6)), "REG_DWORD: 5 (0x5)");
}

TEST(ForgetQuestion, NamesWhatIsLost) {
    std::vector<ValueDifference> rows = {{"OnlyMachine", Sz("m"), std::nullopt},
                                         {"Name", Sz("m"), Sz("mine")},
                                         {"Long", std::nullopt, Sz(std::string(100, 'L'))}};
    EXPECT_EQ(ForgetQuestion(GameFamily::Mireholt, rows),
              "Forget your per-user copy of the Mireholt settings?\n\nThese values of yours will be lost:\n"
              "    Name = mine\n    Long = " + std::string(60, 'L') +
                  "...\n\nThe game and this program will then read the machine values.");
    EXPECT_EQ(ForgetQuestion(GameFamily::Orvanta, {rows[0]}),
              "Forget your per-user copy of the Orvanta settings?\n\nIt holds nothing that differs from the machine "
              "values.");
    rows.clear();
    for (int i = 0; i < 17; ++i) rows.push_back({"V" + std::to_string(i + 10), std::nullopt, Sz("u")});
    const std::string many = ForgetQuestion(GameFamily::Orvanta, rows);
    EXPECT_NE(many.find("V24 = u\n    ... and 2 more\n"), std::string::npos);
    EXPECT_EQ(many.find("V25"), std::string::npos);
}

}  // namespace
