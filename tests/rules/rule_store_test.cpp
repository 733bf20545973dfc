#include "rules/rule_store.h"

#include "platform/codepage.h"
#include "rules/rule_keys.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace kalvento::test {
namespace {

RenameRule programme_rule(std::string find_text, std::string templ = "@TT") {
    RenameRule rule;
    rule.FindText = std::move(find_text);
    rule.RenameText = std::move(templ);
    derive_find_type(rule);
    return rule;
}

NumberingEntry entry(std::int64_t start, std::int32_t number, int weekday = -1) {
    NumberingEntry e;
    e.StartTime = start;
    e.StartNo = number;
    if (weekday >= 0) e.WeekCheck[static_cast<std::size_t>(weekday)] = 1;
    return e;
}

std::vector<std::string> loaded_titles(const ProfileFile& profile) {
    std::vector<std::string> titles;
    for (const RenameRule& rule : load_rules(profile)) titles.push_back(rule.FindText);
    return titles;
}

TEST(RuleStore, LoadingStopsOrSkipsByIndexNo) {
    const std::string sections =
        "[OmbrixReNameSet000000]\r\nFindText=A\r\nFindType=1\r\nRenameText=@TT a\r\nSyoboTT=1\r\n"
        "[OmbrixReNameSet000001]\r\nRenameText=orphan\r\n"
        "[OmbrixReNameSet000002]\r\nFindTextCh=C\r\nFindType=2\r\n";
    // Without a usable IndexNo loading ends at the first section without
    // patterns; with it, sections after IndexNo are ignored.
    for (const char* head :
         {"", "[OmbrixReName]\r\nIndexNo=-7\r\n", "[OmbrixReName]\r\nIndexNo=1\r\n"})
        EXPECT_EQ(loaded_titles(ProfileFile::from_bytes("", head + sections)),
                  (std::vector<std::string>{"A"}))
            << head;
    // With it, empty sections are skipped up to IndexNo and later ones ignored.
    const RuleList both =
        load_rules(ProfileFile::from_bytes("", "[OmbrixReName]\r\nIndexNo=2\r\n" + sections));
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].RenameText, "@TT a");
    EXPECT_EQ(both[0].SyoboTT, 1);
    EXPECT_EQ(both[1].FindTextCh, "C");
    EXPECT_EQ(both[1].SectionIndex, 2);

    // A damaged IndexNo does not keep loading busy.
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(load_rules(ProfileFile::from_bytes(
                             "", "[OmbrixReName]\r\nIndexNo=2147483647\r\n" + sections))
                  .size(),
              2u);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
}

TEST(RuleStore, WritesTheSettingsLayout) {
    RuleList working;
    RenameRule rule = programme_rule("T");
    rule.FindTextCh = "C";
    rule.SyoboNB = 1;
    derive_find_type(rule);
    rule.Numbering = {entry(5000000000, 3, 2), entry(86400, 7)};
    add_new_rule(working, rule);
    ProfileFile profile;
    const RuleList store = save_rules(profile, {}, working);
    EXPECT_EQ(store.at(0).Modified, 0);
    std::string expected =
        "[OmbrixReNameSet000000]\r\nFindText=T\r\nFindTextCh=C\r\nFindType=0\r\nRenameText=@TT\r\n"
        "SyoboFind=\r\nSyoboFindCh=\r\nSyoboFindSt=\r\nSyoboTT=0\r\nSyoboNB=1\r\nSyoboSB="
        "0\r\nSyoboCH=0\r\n"
        "StartTime=5000000000\r\nStartNo=3\r\n";
    for (int d = 0; d < 7; ++d)
        expected += "WeekCheck" + std::to_string(d) + "=" + (d == 2 ? "1" : "0") + "\r\n";
    expected += "StartTime000001=86400\r\nStartNo000001=7\r\n";
    for (int d = 0; d < 7; ++d) expected += "WeekCheck000001_" + std::to_string(d) + "=0\r\n";
    expected += "[OmbrixReName]\r\nIndexNo=0\r\n";
    EXPECT_EQ(profile.serialized(), expected);
}

TEST(RuleStore, SavingAfterDeletionsClearsSectionsAndFreesIndexes) {
    TempDir dir;
    const std::string path = dir.file("kalvento.ini");
    RuleStore store;
    RuleList working = store.working_copy();
    for (const char* title : {"zero", "one", "two"}) add_new_rule(working, programme_rule(title));
    for (RenameRule& rule : working)
        if (rule.FindText == "two")
            rule.Numbering = {entry(1000, 1), entry(2000, 2), entry(3000, 3)};
    ProfileFile profile = ProfileFile::load(path);
    ASSERT_TRUE(store.commit(working, profile).ok());

    // A restart, then sections 0 and 2 deleted.
    store.load(ProfileFile::load(path));
    ASSERT_EQ(store.rules().size(), 3u);
    working = store.working_copy();
    std::erase_if(working, [](const RenameRule& rule) { return rule.SectionIndex != 1; });
    ProfileFile again = ProfileFile::load(path);
    ASSERT_TRUE(store.commit(working, again).ok());
    EXPECT_EQ(store.rules().size(), 1u);

    const ProfileFile reread = ProfileFile::load(path);
    EXPECT_EQ(reread.read_int("OmbrixReName", "IndexNo", -1), 1);
    for (const char* section : {"OmbrixReNameSet000000", "OmbrixReNameSet000002"}) {
        for (const char* key :
             {"FindText", "FindType", "SyoboCH", "StartTime", "StartNo000001", "WeekCheck000002_6"})
            EXPECT_FALSE(reread.find_value(section, key)) << section << " " << key;
    }
    EXPECT_NE(read_all(path).find("[OmbrixReNameSet000002]"), std::string::npos);  // header stays

    RuleStore restarted;
    restarted.load(reread);
    ASSERT_EQ(restarted.rules().size(), 1u);
    EXPECT_EQ(restarted.rules()[0].FindText, "one");
    RuleList next = restarted.working_copy();
    EXPECT_EQ(next[add_new_rule(next, programme_rule("new"))].SectionIndex, 0);
}

TEST(RuleStore, NumberingEntriesSurviveSavesAsStored) {
    ProfileFile profile;
    RuleList working;
    RenameRule dropped_first = programme_rule("a");
    dropped_first.Numbering = {entry(0, 5), entry(100, 6), entry(200, 7)};
    RenameRule cut_later = programme_rule("b");
    cut_later.Numbering = {entry(100, 1), entry(0, 2), entry(300, 3)};
    add_new_rule(working, dropped_first);
    add_new_rule(working, cut_later);
    RuleList store = save_rules(profile, {}, working);
    EXPECT_EQ(profile.read_string("OmbrixReNameSet000000", "StartTime", "x"), "0");

    RuleList back = load_rules(profile);
    ASSERT_EQ(back.size(), 2u);
    // An unset entry 0 is dropped while later entries are read; an unset later
    // entry ends the list.
    ASSERT_EQ(back[0].Numbering.size(), 2u);
    EXPECT_EQ(back[0].Numbering[0].StartNo, 6);
    ASSERT_EQ(back[1].Numbering.size(), 1u);

    // Shrinking a rule's entries removes the keys of the dropped ones, so they
    // do not come back at the next load.
    RuleList edited = back;
    edited[0].Numbering.resize(1);
    edited[0].Modified = 1;
    store = save_rules(profile, store, edited);
    EXPECT_FALSE(profile.find_value("OmbrixReNameSet000000", "StartTime000001"));
    EXPECT_FALSE(profile.find_value("OmbrixReNameSet000000", "WeekCheck000002_3"));
    EXPECT_EQ(load_rules(profile)[0].Numbering.size(), 1u);
    edited[0].Numbering.clear();
    store = save_rules(profile, store, edited);
    EXPECT_FALSE(profile.find_value("OmbrixReNameSet000000", "StartTime"));
    EXPECT_TRUE(load_rules(profile)[0].Numbering.empty());

    // Extremes of the stored numbers come back unchanged.
    edited[0].Numbering = {entry(INT64_MIN + 1, INT32_MAX), entry(INT64_MAX, INT32_MIN)};
    edited[0].Modified = 1;
    save_rules(profile, store, edited);
    const std::vector<NumberingEntry> extreme = load_rules(profile)[0].Numbering;
    ASSERT_EQ(extreme.size(), 2u);
    EXPECT_TRUE(extreme[0].StartTime == INT64_MIN + 1 && extreme[0].StartNo == INT32_MAX);
    EXPECT_TRUE(extreme[1].StartTime == INT64_MAX && extreme[1].StartNo == INT32_MIN);

    // An entry that lost its start keys (a file edited by hand) is cleared
    // too, and so are the entries behind it.
    edited[0].Numbering.assign(12, entry(86400, 1));
    store = save_rules(profile, store, edited);
    profile.delete_key("OmbrixReNameSet000000", start_time_key(10));
    profile.delete_key("OmbrixReNameSet000000", start_no_key(10));
    edited[0].Numbering.resize(1);
    store = save_rules(profile, store, edited);
    EXPECT_FALSE(profile.find_value("OmbrixReNameSet000000", start_time_key(11)));

    // The most entries a rule can hold come back, and no more.
    edited[0].Numbering.assign(kMaxNumberingEntries, entry(86400, 1));
    save_rules(profile, store, edited);
    profile.write_string("OmbrixReNameSet000000", start_time_key(kMaxNumberingEntries), "86400");
    EXPECT_EQ(load_rules(profile)[0].Numbering.size(), kMaxNumberingEntries);
}

TEST(RuleStore, OnlyModifiedRulesAreWrittenAndSectionsNeverShared) {
    ProfileFile profile =
        ProfileFile::from_bytes("",
                                "[OmbrixReName]\r\nIndexNo=0\r\n[OmbrixReNameSet000000]"
                                "\r\nFindText=A\r\nRenameText=kept\r\n");
    RuleList store = load_rules(profile);
    RuleList working = store;
    working[0].RenameText = "changed in memory only";
    // Two rules claiming one section, and one without any: each gets its own.
    RenameRule twin = programme_rule("B");
    twin.SectionIndex = 0;
    twin.Modified = 1;
    working.push_back(twin);
    RenameRule homeless = programme_rule("C");
    homeless.Modified = 1;
    working.push_back(homeless);
    store = save_rules(profile, store, working);
    EXPECT_EQ(profile.read_string("OmbrixReNameSet000000", "RenameText", ""), "kept");
    const RuleList back = load_rules(profile);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].FindText + back[1].FindText + back[2].FindText, "ABC");
    EXPECT_NE(back[1].SectionIndex, back[2].SectionIndex);
}

TEST(RuleStore, CommitReportsAFailedSave) {
    TempDir dir;
    ProfileFile profile(dir.file("missing-dir/kalvento.ini"));
    RuleStore store;
    RuleList working;
    add_new_rule(working, programme_rule(cp932("番組")));
    EXPECT_FALSE(store.commit(working, profile).ok());
    EXPECT_EQ(store.rules().size(), 1u);  // in effect for this run
}

}  // namespace
}  // namespace kalvento::test
