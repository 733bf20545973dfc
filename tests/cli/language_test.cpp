// kalvento-cli speaks Japanese under a Japanese locale, whether or not the
// machine has that locale generated, and English otherwise; JSON stays English.
#include "cli/translation.h"
#include "tests/cli/cli_test_util.h"

namespace kalvento::test {
namespace {

// Each variable set explicitly: what the test runner has does not count.
std::string environment(const std::string& language, const std::string& lc_all,
                        const std::string& lc_messages, const std::string& lang) {
    return "LANGUAGE=" + shell_quote(language) + " LC_ALL=" + shell_quote(lc_all) +
           " LC_MESSAGES=" + shell_quote(lc_messages) + " LANG=" + shell_quote(lang);
}

TEST(CliLanguage, FailedRenameIsToldInTheUsersLanguage) {
    CliScratch scratch;
    scratch.write_settings(kNameAndDate);
    std::ofstream(scratch.file("noise.ts"), std::ios::binary) << std::string(5000, 'x');
    const Args rename = {"rename", scratch.file("noise.ts"), scratch.file("missing.ts")};
    const std::string english_noise = scratch.file("noise.ts") + ": not renamed: no programme data";
    const std::string japanese_noise =
        scratch.file("noise.ts") + ": 改名しませんでした: 番組情報がありません";
    const std::string english_missing = scratch.file("missing.ts") + ": not renamed: cannot read: ";
    const std::string japanese_missing =
        scratch.file("missing.ts") + ": 改名しませんでした: 読み込めません: ";

    struct Case {
        std::string environment;
        bool japanese;
    };
    // ja_JP.UTF-8 works without the generated locale (this machine need not have it).
    for (const Case& c : {Case{environment("", "", "", "C"), false},
                          Case{environment("", "", "", "ja_JP.UTF-8"), true},
                          Case{environment("", "", "ja_JP.utf8", "C.UTF-8"), true},
                          Case{environment("ja", "", "", "C"), true},
                          Case{environment("", "C", "", "ja_JP.UTF-8"), false},
                          Case{environment("", "", "", ""), false}}) {
        const CliRun run = scratch.run(rename, c.environment);
        EXPECT_EQ(run.exitCode, 1) << c.environment;
        const std::vector<std::string> lines = lines_of(run.output);
        ASSERT_EQ(lines.size(), 2u) << c.environment << run.output;
        EXPECT_EQ(lines[0], c.japanese ? japanese_noise : english_noise) << c.environment;
        EXPECT_EQ(lines[1].rfind(c.japanese ? japanese_missing : english_missing, 0), 0u)
            << c.environment << lines[1];
    }
    EXPECT_EQ(names_in(scratch.path()), std::set<std::string>({"noise.ts"}));

    // Machines read JSON: the same words in every language.
    const Args json_rename = concat({"rename", "--json"}, Args(rename.begin() + 1, rename.end()));
    const CliRun english = scratch.run(json_rename, environment("", "", "", "C"));
    const CliRun japanese = scratch.run(json_rename, environment("ja", "", "", "ja_JP.UTF-8"));
    EXPECT_EQ(japanese.output, english.output);
    ASSERT_EQ(json_lines(japanese).size(), 2u);
    EXPECT_EQ(json_lines(japanese)[0]["message"], "no programme data");
}

TEST(CliLanguage, HelpAndUsageErrorsInJapanese) {
    CliScratch scratch;
    const std::string japanese = environment("", "", "", "ja_JP.UTF-8");
    const CliRun top = scratch.run({"--help"}, japanese);
    EXPECT_EQ(top.exitCode, 0);
    EXPECT_NE(top.output.find("使い方:"), std::string::npos) << top.output;
    EXPECT_NE(top.output.find("放送されていた番組に従って改名します"), std::string::npos);
    EXPECT_NE(top.output.find("このヘルプを表示して終了"), std::string::npos);
    // Command names and options stay as they are typed.
    EXPECT_NE(top.output.find("rename"), std::string::npos);

    const CliRun rename = scratch.run({"help", "rename"}, japanese);
    EXPECT_EQ(rename.exitCode, 0);
    for (const char* text : {"録画ファイルを番組に従って自動で改名します", "--dry-run",
                             "ファイルには触れない", "--lock-timeout", "オプション:"})
        EXPECT_NE(rename.output.find(text), std::string::npos) << text << "\n" << rename.output;
    EXPECT_EQ(rename.output.find("Compose and print"), std::string::npos) << rename.output;

    // The macros' meanings, written in a lower layer, are looked up where printed.
    const CliRun macros = scratch.run({"help", "macros"}, japanese);
    EXPECT_NE(macros.output.find("番組名。ルールの TT が有効なら番組表サービスのタイトル"),
              std::string::npos)
        << macros.output;
    EXPECT_EQ(macros.output.find("The programme name"), std::string::npos);

    // The English help is the same as without any locale.
    EXPECT_EQ(scratch.run({"help", "rename"}, environment("", "C.UTF-8", "", "ja_JP.UTF-8")).output,
              scratch.run({"help", "rename"}, environment("", "", "", "")).output);

    const CliRun wrong = scratch.run({"rename", "--no-such-option"}, japanese);
    expect_usage_error(wrong, "unknown option");
    EXPECT_NE(wrong.errors.find("kalvento-cli: \"kalvento-cli help rename\" を参照してください"),
              std::string::npos)
        << wrong.errors;
    const CliRun nothing = scratch.run({}, japanese);
    EXPECT_EQ(nothing.exitCode, 2);
    EXPECT_EQ(nothing.errors.rfind("kalvento-cli: コマンドが指定されていません\n", 0), 0u)
        << nothing.errors;
}

// Translations put the values where their sentence wants them.
TEST(CliLanguage, FillPutsValuesInTheirPlaces) {
    using cli::fill;
    EXPECT_EQ(fill("rule %s is now rule %s", {"3", "1"}), "rule 3 is now rule 1");
    EXPECT_EQ(fill("%2$s から数えて第 %1$s 話", {"7", "2010-01-05"}),
              "2010-01-05 から数えて第 7 話");
    EXPECT_EQ(fill("ReadStartPos %s (%), 100%", {"1..100"}), "ReadStartPos 1..100 (%), 100%");
    EXPECT_EQ(fill("%s and %s and %3$s", {"a"}), "a and  and ");
}

}  // namespace
}  // namespace kalvento::test
