#include "tests/cli/cli_test_util.h"

namespace kalvento::test {
namespace {

TEST(CliRules, ImportListExport) {
    CliScratch scratch;
    const std::string exchange = scratch.file("rules.txt");
    {
        std::ofstream out(exchange, std::ios::binary);
        out << cp932("表示") << "\t\t@TT\t\t\t\t0\t0\t0\t0\t0\r\n"
            << "short\tline\r\n"
            << "\tTOKYO MX\t@TT "
               "[@CH]\tword\t\t\t0\t0\t0\t0\t1\t1704380400\t5\t0\t1\t0\t0\t0\t0\t1\n"
            << "A\tB\tboth\t\t\t\t0\t0\t0\t0\t0\r\n";
    }
    const CliRun imported = scratch.run({"rules", "import", exchange});
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.errors,
              "kalvento-cli: " + exchange + ": line 2: 2 fields, 11 expected\n3 rules added\n");
    EXPECT_TRUE(imported.output.empty());
    const std::string settings = read_all(scratch.file("config/kalvento.ini"));
    EXPECT_NE(settings.find("[OmbrixReName]\r\nIndexNo=2\r\n"), std::string::npos);

    const CliRun listed = scratch.run({"rules", "list"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.output,
              "両方\tA,B\tboth\t\t\n"
              "番組名\t表示\t@TT\t\t\n"
              "放送局\tTOKYO MX\t@TT [@CH]\tword\t2024/01/05(金) #5 月土\n");

    const CliRun exported = scratch.run({"rules", "export", scratch.file("out.txt")});
    EXPECT_EQ(exported.exitCode, 0);
    EXPECT_EQ(exported.errors, "3 rules exported\n");
    EXPECT_EQ(read_all(scratch.file("out.txt")),
              "A\tB\tboth\t\t\t\t0\t0\t0\t0\t0\r\n" + cp932("表示") +
                  "\t\t@TT\t\t\t\t0\t0\t0\t0\t0\r\n" +
                  "\tTOKYO MX\t@TT "
                  "[@CH]\tword\t\t\t0\t0\t0\t0\t1\t1704380400\t5\t0\t1\t0\t0\t0\t0\t1\r\n");

    // A missing file changes nothing.
    EXPECT_EQ(scratch.run({"rules", "import", scratch.file("missing.txt")}).exitCode, 1);
    EXPECT_EQ(read_all(scratch.file("config/kalvento.ini")), settings);
}

TEST(CliRules, Utf8FilesInAndOut) {
    CliScratch scratch;
    const std::string settings = scratch.file("config/kalvento.ini");
    // UTF-8 without a byte-order mark, told apart by its non-ASCII text (also
    // when --encoding auto says so); a character CP932 lacks refuses its line only.
    const std::string utf8_lines =
        "夜のドラマ\t\t@TT 第@2nb話「@sb」\t\t\t\t0\t0\t0\t0\t0\r\n"
        "\tＢＳ\t@TT ☃ [@CH]\t\t\t\t0\t0\t0\t0\t0\r\n"
        "\tＢＳ\t@TT [@CH]\t\t\t\t0\t0\t0\t0\t1\t1704380400\t5\t0\t1\t0\t0\t0\t0\t1\r\n";
    write_text(scratch.file("utf8.txt"), utf8_lines);
    const CliRun imported =
        scratch.run({"rules", "import", "--encoding", "auto", scratch.file("utf8.txt")});
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.errors, "kalvento-cli: " + scratch.file("utf8.txt") +
                                   ": line 2: the character '☃' (U+2603) has no CP932 "
                                   "(Shift-JIS) form\n2 rules added (read as UTF-8)\n");
    EXPECT_NE(read_all(settings).find(cp932("RenameText=@TT 第@2nb話「@sb」\r\n")),
              std::string::npos);

    // Out again as UTF-8 to standard output, and back in through standard
    // input, with a byte-order mark, into a second settings directory.
    const CliRun exported = scratch.run({"rules", "export", "--encoding", "utf-8", "-"});
    EXPECT_EQ(exported.exitCode, 0);
    EXPECT_EQ(exported.output,
              "夜のドラマ\t\t@TT 第@2nb話「@sb」\t\t\t\t0\t0\t0\t0\t0\r\n"
              "\tＢＳ\t@TT [@CH]\t\t\t\t0\t0\t0\t0\t1\t1704380400\t5\t0\t1\t0\t0\t0\t0\t1\r\n");
    write_text(scratch.file("marked.txt"), "\xEF\xBB\xBF" + exported.output);
    fs::create_directory(scratch.file("other"));
    const std::string other =
        "KALVENTO_DIR=" + shell_quote(scratch.file("other")) + " " + shell_quote(KALVENTO_CLI_PATH);
    ASSERT_EQ(
        run_shell(other + " rules import - <" + shell_quote(scratch.file("marked.txt"))).exitCode,
        0);
    EXPECT_EQ(read_all(scratch.file("other/kalvento.ini")), read_all(settings));

    // --encoding overrides the guess: the same UTF-8 bytes read as CP932 are
    // other text, and CP932 forced as UTF-8 is refused line by line.
    const CliRun as_cp932 = scratch.run({"rules", "export", "--encoding", "cp932", "-"});
    EXPECT_EQ(as_cp932.output.substr(0, 10), cp932("夜のドラマ"));
    write_text(scratch.file("cp932.txt"), as_cp932.output);
    const CliRun forced =
        scratch.run({"rules", "import", "--encoding", "utf-8", scratch.file("cp932.txt")});
    EXPECT_EQ(forced.exitCode, 1);
    EXPECT_NE(forced.errors.find(": line 1: not UTF-8 text\n"), std::string::npos) << forced.errors;
    EXPECT_NE(forced.errors.find("0 rules added"), std::string::npos);
}

// The UTF-16 form of UTF-8 text (surrogate pairs beyond the first plane).
std::string utf16(const std::string& utf8_text, bool big_endian) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    auto put = [&](unsigned unit) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += big_endian ? std::string{high, low} : std::string{low, high};
    };
    const std::wstring wide = utf8_to_wide(utf8_text).value_or(std::wstring());
    for (const wchar_t c : wide) {
        const auto code = static_cast<unsigned>(c);
        if (code < 0x10000) {
            put(code);
        } else {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

TEST(CliRules, Utf16FilesAndLinesTooLongToKeep) {
    const std::string lines =
        "夜のドラマ\t\t@TT 第@2nb話\t\t\t\t0\t0\t0\t0\t0\r\n"
        "\tＢＳ\t@TT \xF0\x9F\x98\x80\t\t\t\t0\t0\t0\t0\t0\r\n"
        "\tＢＳ\t@TT [@CH]\t\t\t\t0\t0\t0\t0\t0\r\n";
    // What Windows Notepad saves as "Unicode", and its big-endian form; the
    // byte-order mark wins over an encoding that was asked for.
    for (const bool big_endian : {false, true}) {
        CliScratch scratch;
        const std::string file = scratch.file("unicode.txt");
        write_text(file, utf16(lines, big_endian));
        const CliRun imported =
            scratch.run({"rules", "import", "--encoding", big_endian ? "cp932" : "auto", file});
        EXPECT_EQ(imported.exitCode, 0);
        EXPECT_EQ(imported.errors,
                  "kalvento-cli: " + file +
                      ": line 2: the character '\xF0\x9F\x98\x80' (U+1F600) has no CP932 "
                      "(Shift-JIS) form\n2 rules added (read as UTF-16)\n");
        EXPECT_EQ(scratch.run({"rules", "list"}).output,
                  "番組名\t夜のドラマ\t@TT 第@2nb話\t\t\n"
                  "放送局\tＢＳ\t@TT [@CH]\t\t\n");
    }

    // A value longer than a rule keeps, or a line longer than is read at
    // once, is refused whole instead of being cut.
    CliScratch scratch;
    const std::string tail = "\t\t@TT\t\t\t\t0\t0\t0\t0\t0\r\n";
    const std::string file = scratch.file("long.txt");
    write_text(file, std::string(1024, 'x') + tail + std::string(1023, 'y') + tail + "z\t" +
                         std::string(70000, 'w') + tail);
    const CliRun imported = scratch.run({"rules", "import", file});
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.errors,
              "kalvento-cli: " + file +
                  ": line 1: FindText has 1024 bytes, more than the 1023 a rule keeps; not "
                  "imported\nkalvento-cli: " +
                  file + ": line 3: longer than 65535 bytes; not imported\n1 rule added\n");
    EXPECT_EQ(scratch.run({"rules", "list"}).output,
              "番組名\t" + std::string(1023, 'y') + "\t@TT\t\t\n");
}

TEST(CliRules, ImportThatAddsNothingSaysWhy) {
    CliScratch scratch;
    std::string lines;
    for (int i = 1; i <= 7; ++i) lines += std::string(static_cast<std::size_t>(i), '\t') + "x\n";
    write_text(scratch.file("bad.txt"), "\n" + lines);
    const CliRun run = scratch.run({"rules", "import", scratch.file("bad.txt")});
    EXPECT_EQ(run.exitCode, 1);
    const std::string name = "kalvento-cli: " + scratch.file("bad.txt");
    EXPECT_EQ(run.errors, name + ": line 2: 2 fields, 11 expected\n" + name +
                              ": line 3: 3 fields, 11 expected\n" + name +
                              ": line 4: 4 fields, 11 expected\n" + name +
                              ": line 5: 5 fields, 11 expected\n" + name +
                              ": line 6: 6 fields, 11 expected\n" + name +
                              ": 2 more lines skipped\n0 rules added\n");
    EXPECT_FALSE(fs::exists(scratch.file("config/kalvento.ini")));
    // An empty file is no failure.
    write_text(scratch.file("empty.txt"), "");
    EXPECT_EQ(scratch.run({"rules", "import", scratch.file("empty.txt")}).exitCode, 0);
}

TEST(CliRules, AddOneRule) {
    CliScratch scratch;
    EXPECT_EQ(
        scratch.run({"rules", "add", "--find", "^夜の", "--template", "@TT 第@2nb話"}).exitCode, 0);
    EXPECT_EQ(
        scratch.run({"rules", "add", "--channel", "ＢＳ", "--template", "@TT [@CH]"}).exitCode, 0);
    const CliRun again =
        scratch.run({"rules", "add", "--channel", "ＢＳ", "--template", "@TT (@CH)"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.errors.find("tried first"), std::string::npos);
    EXPECT_EQ(scratch.run({"rules", "list"}).output,
              "番組名\t^夜の\t@TT 第@2nb話\t\t\n"
              "放送局\tＢＳ\t@TT [@CH]\t\t\n"
              "放送局\tＢＳ\t@TT (@CH)\t\t\n");

    // A broken pattern would match every programme; no pattern matches none.
    const std::string settings = read_all(scratch.file("config/kalvento.ini"));
    for (const Args& refused :
         std::vector<Args>{{"--find", "(", "--template", "@TT"},
                           {"--channel", "[", "--template", "@TT"},
                           {"--template", "@TT"},
                           {"--find", "x", "--template", ""},
                           {"--find", "x", "--template", "@TT \xF0\x9F\x98\x80"},
                           {"--find", "x"}}) {
        expect_usage_error(scratch.run(concat({"rules", "add"}, refused)), refused[1]);
    }
    EXPECT_EQ(read_all(scratch.file("config/kalvento.ini")), settings);
}

}  // namespace
}  // namespace kalvento::test
