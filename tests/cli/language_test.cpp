// kalvento-cli speaks Japanese under a Japanese locale, whether or not the
// machine has that locale generated, and English otherwise; JSON stays English.
#include "cli/message_matcher.h"
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

// Messages built below the command line with paths in them come out whole in
// Japanese, the path where the sentence wants it; English and JSON keep the
// words as written.
TEST(CliLanguage, LowerLayerMessagesWithValuesInJapanese) {
    CliScratch scratch;
    scratch.write_settings(kNameAndDate);
    const std::string recording = scratch.file("a.ts");
    write_drama(recording);
    const std::string japanese = environment("", "", "", "ja_JP.UTF-8");
    const std::string english = environment("", "", "", "C");
    // A colon in the folder's name must not cut the sentence apart.
    const std::string missing = scratch.file("no: library");
    const Args link = {"rename", "--link-to", missing, recording};
    EXPECT_EQ(scratch.run(link, japanese).output,
              recording + ": 改名しませんでした: 移動に失敗しました: ライブラリフォルダー " +
                  missing + " がありません: 先に作ってください\n");
    EXPECT_EQ(scratch.run(link, english).output,
              recording + ": not renamed: move failed: the library folder " + missing +
                  " does not exist: make it first\n");

    fs::create_directory(scratch.file("lib"));
    const Args up = {"rename", "--move-to", scratch.file("lib"), "--folder", "@TT/..", recording};
    EXPECT_EQ(
        scratch.run(up, japanese).output,
        recording +
            ": 改名しませんでした: ライブラリフォルダーがありません: フォルダーのテンプレートの"
            "部分 \"..\" は \"..\" になり、独立したフォルダーになりません\n");
    EXPECT_EQ(
        scratch.run(concat({"rename", "--json"}, Args(link.begin() + 1, link.end())), japanese)
            .output,
        scratch.run(concat({"rename", "--json"}, Args(link.begin() + 1, link.end())), english)
            .output);
    EXPECT_EQ(names_in(scratch.path()), std::set<std::string>({"a.ts"}));
}

// A message filled below is matched against the catalogue's patterns: each
// value the shortest text that lets the rest match, a reason inside it
// translated in turn, the most specific pattern first.
TEST(CliLanguage, MatcherTranslatesFilledMessages) {
    MessageCatalogue catalogue;
    catalogue.messages = {
        {"cannot make the folder %s: %s", "フォルダー %s を作れません: %s"},
        {"cannot read %s: %s", "%s を読み込めません: %s"},
        {"%s is not a folder", "%s はフォルダーではありません"},
        {"the folder %s is not a folder", "%s は名前だけのフォルダーです"},
        {"gave up after %s s waiting for the lock on %s", "%2$s のロックを %1$s 秒待ちました"},
        {"Permission denied", "アクセスが拒否されました"},
        {"found %s", "%s が見つかりました"},
    };
    const cli::MessageMatcher matcher(catalogue);
    // "a: b: c": the folder ends at the first ": " after which the reason
    // matches; the reason is itself a message, and its reason one more.
    EXPECT_EQ(matcher.shown("cannot make the folder /lib/a: cannot read /lib: Permission denied"),
              "フォルダー /lib/a を作れません: /lib を読み込めません: アクセスが拒否されました");
    // The last value runs to the end, even when it holds the text after it.
    EXPECT_EQ(matcher.shown("/x is not a folder/y is not a folder"),
              "/x is not a folder/y はフォルダーではありません");
    EXPECT_EQ(matcher.shown("the folder /z is not a folder"), "/z は名前だけのフォルダーです");
    EXPECT_EQ(matcher.shown("gave up after 1.5 s waiting for the lock on /k"),
              "/k のロックを 1.5 秒待ちました");
    // A value that is no message, a message with no pattern, and a pattern
    // too short to trust stay as they are.
    EXPECT_EQ(matcher.shown("cannot read /a.ts: Input/output error"),
              "/a.ts を読み込めません: Input/output error");
    EXPECT_EQ(matcher.shown("cannot write /a.ts: Permission denied"),
              "cannot write /a.ts: Permission denied");
    EXPECT_EQ(matcher.shown("found it"), "found it");
    EXPECT_EQ(matcher.shown(""), "");
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
