#include "cli_test_util.h"
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <fstream>

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
    EXPECT_EQ(imported.output, "3 rules added\n");
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
    EXPECT_EQ(read_all(scratch.file("out.txt")),
              "A\tB\tboth\t\t\t\t0\t0\t0\t0\t0\r\n" + cp932("表示") +
                  "\t\t@TT\t\t\t\t0\t0\t0\t0\t0\r\n" +
                  "\tTOKYO MX\t@TT "
                  "[@CH]\tword\t\t\t0\t0\t0\t0\t1\t1704380400\t5\t0\t1\t0\t0\t0\t0\t1\r\n");

    // A missing file changes nothing.
    EXPECT_EQ(scratch.run({"rules", "import", scratch.file("missing.txt")}).exitCode, 1);
    EXPECT_EQ(read_all(scratch.file("config/kalvento.ini")), settings);
}

}  // namespace
}  // namespace kalvento::test
