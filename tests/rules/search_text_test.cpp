#include "rules/search_text.h"

#include "platform/codepage.h"
#include "text/text_edit.h"

#include <gtest/gtest.h>

#include <array>

namespace kalvento::test {
namespace {

ProgramInfo candidate() {
    ProgramInfo info;
    info.eventName = cp932("＜新＞番組名「サブ」ほげ");
    info.title = cp932("番組名 第12話");
    info.eventText = cp932("本文\rつづき");
    info.extendedText = cp932("出演：誰か");
    info.channelName = cp932("放送局");
    info.serviceName = cp932("サービス");
    info.channelLabel = cp932("ラベル");
    info.genreMajor = cp932("アニメ");
    info.genreMinor = cp932("国内");
    return info;
}

const std::array<std::string, kSlotsPerSource>& slot(const SearchContext& context,
                                                     SlotSource source) {
    return context.slots[static_cast<std::size_t>(source)];
}

TEST(SearchContext, TemplateShapesTheSearchedTitleOnly) {
    const ProgramInfo info = candidate();
    // @C and @MST act on working copies; @R and every other macro do nothing.
    SearchContext context = prepare_search_context(
        info, cp932("@R'番組/X'@C'ほげ'@TT@MST[@CH] @NT1'第(\\d+)話'@NF2'(\\d+)'@NS3'つづき'"),
        "rec_0042.ts");
    EXPECT_EQ(context.title, cp932("＜新＞番組名"));
    EXPECT_EQ(context.subtitle, cp932("「サブ」"));
    EXPECT_EQ(slot(context, SlotSource::title)[0], "12");
    EXPECT_EQ(slot(context, SlotSource::currentName)[1], "0042");
    EXPECT_EQ(slot(context, SlotSource::eventText)[2],
              "");  // @MST came first: the subtitle holds no つづき any more
    EXPECT_EQ(info.eventName, cp932("＜新＞番組名「サブ」ほげ"));

    // Order matters: @NS before @MST sees the event text, with CR written as CR LF.
    context = prepare_search_context(info, cp932("@NS1'本文\\r\\n'@MST"), "");
    EXPECT_EQ(slot(context, SlotSource::eventText)[0], cp932("本文\r\n"));
    // Broken arguments are passed over; the scan goes on behind them.
    context = prepare_search_context(info, "@C@NT9'x'@NT1@C'nope", "");
    EXPECT_EQ(context.title, info.eventName);
    EXPECT_EQ(slot(context, SlotSource::title)[0], "");
    // A second byte 0x40 inside a two-byte character never starts a macro.
    context = prepare_search_context(info, cp932("　MST") + "\x81@MST", "");
    EXPECT_EQ(context.title, info.eventName);
    // 「 (81 75) is looked for only where a character starts: in "＝u" the
    // trail byte of ＝ (81 81) and the "u" spell it too.
    ProgramInfo straddling = info;
    straddling.eventName = cp932("番組＝u」後");
    context = prepare_search_context(straddling, "@MST", "");
    EXPECT_EQ(context.title, straddling.eventName);
    EXPECT_EQ(context.subtitle, straddling.eventText);
}

TEST(SearchContext, SearchTextsKnowOnlyTheirOwnMacros) {
    const ProgramInfo info = candidate();
    SearchContext context = prepare_search_context(info, cp932("@MST@NT2'\\d+'"), "");
    EXPECT_EQ(expand_search_text("@TT|@SB|@G1|@G2|@CH|@CH2|@CH3|@CH9", context, info),
              cp932("＜新＞番組名ほげ|「サブ」|アニメ|国内|放送局|サービス|ラベル|放送局9"));
    EXPECT_EQ(expand_search_text("[@PT2][@PT1][@PC1][@PT9][@PS]", context, info), "[12][][][9][]");
    // Date, numbering and unknown macros are sent as written.
    EXPECT_EQ(expand_search_text("@TT @2nb@YY@@TT@", context, info),
              cp932("＜新＞番組名ほげ @2nb@YY@＜新＞番組名ほげ@"));
    context.subtitle = cp932("　 サブ 　");
    EXPECT_EQ(expand_search_text("@sb|@SB", context, info), cp932("サブ|　 サブ 　"));
}

TEST(SearchContext, CleaningLeavesTheBareTitle) {
    std::string word = cp932("＜新＞＜字＞番組名「サブタイトル」＃12 ");
    clean_search_word(word);
    EXPECT_EQ(word, cp932("番組名"));
    word = cp932("[字][再]番組名（仮） 第3話 #4");
    clean_search_word(word);
    EXPECT_EQ(word, cp932("番組名"));

    std::string subtitle = cp932(" 「サブ」　");
    clean_subtitle_search(subtitle);
    EXPECT_EQ(subtitle, cp932("サブ"));

    RenameRule rule;
    rule.RenameText = cp932("@C'ほげ'@TT");
    rule.SyoboFind = "@TT";
    rule.SyoboFindCh = "@CH";
    rule.SyoboFindSt = "@SB";
    const SearchTexts texts = build_search_texts(candidate(), rule, "");
    EXPECT_EQ(texts.word, cp932("番組名"));
    EXPECT_EQ(texts.channel, cp932("放送局"));
    EXPECT_EQ(texts.subtitle, cp932("本文\rつづき"));
    // Every byte of the UTF-8 form is percent-encoded, letters and blanks too.
    EXPECT_EQ(url_encode("a b"), "%61%20%62");
    EXPECT_EQ(url_encode(texts.word), "%E7%95%AA%E7%B5%84%E5%90%8D");
}

}  // namespace
}  // namespace kalvento::test
