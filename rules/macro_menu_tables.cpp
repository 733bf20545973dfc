// The built-in lines of a new macro menu file, in file order, with what each
// means and a template that shows it at work; then the lines that only the
// macro reference lists.
#include "rules/macro_menu.h"

#include "platform/message_mark.h"

#include <array>

namespace kalvento {
namespace {

constexpr std::array<DefaultMacroLine, kDefaultMacroLineCount + 1> kMacroLines = {{
    {"", "@TT", "タイトル(&T)",
     N_("The programme name; the schedule service's title instead when the rule's TT is on")},
    {"", "第@2nb話", "放送話数(第01話)(&N)",
     N_("The episode number in two digits: the schedule service's (NB), else the count of the "
        "rule's numbering entries, else 0")},
    {"", "@sb", "サブタイトル(&S)",
     N_("The subtitle without blanks at its ends: the schedule service's (SB), else the "
        "programme's description")},
    {"", "「@sb」", "サブタイトル「」付き", N_("The subtitle in brackets")},
    {"", "@CH", "チャンネル名",
     N_("The station; the schedule service's channel instead when the rule's CH is on")},
    {"", "@CH2", "サービス名", N_("The name of the broadcast service")},
    {"", "@CH3", "ChSet3.txtでの登録名",
     N_("The station's name in ChSet3.txt, else a label such as 3ch or BS101")},
    {"", "@mm月@dd日(@wk)", "28時間表記の放送日 xx月xx日(曜日)",
     N_("The broadcast day: a start before 04:00 counts to the day before")},
    {"", "@MST", "サブタイトル抽出",
     N_("Moves the first 「…」 of the programme name into the subtitle; prints nothing"),
     "@MST@TT @sb"},
    {"", "@C'～'", "タイトルから削除",
     N_("Deletes the first match of the pattern ～ from the programme name; prints nothing"),
     "@C'「.+?」'@TT"},
    {"", "@R'～1/～2'", "タイトルの～1を～2へ置き換え",
     N_("Replaces every match of ～1 in the programme name by ～2 ($1 for a group); prints "
        "nothing"),
     "@R'夜の/朝の'@TT"},
    {"", "@G1", "ジャンル大項目", N_("The genre's major group")},
    {"", "@G2", "ジャンル中項目", N_("The genre's minor group")},
    {"", "@PF1", "ファイル名で抽出した文字列(1～4)",
     N_("What @NF1 (to @NF4) took out of the file name"), "@NF1'[0-9]{8}'@PF1"},
    {"", "@PT1", "タイトルで抽出した文字列(1～4)",
     N_("What @NT1 (to @NT4) took out of the programme name"), "@NT1'「.+?」'@PT1"},
    {"", "@PS1", "内容で抽出した文字列(1～4)",
     N_("What @NS1 (to @NS4) took out of the description"), "@NS1'第.+?話'@PS1"},
    {"", "@PD1", "詳細で抽出した文字列(1～4)",
     N_("What @ND1 (to @ND4) took out of the extended description"), "@ND1'(?<=出演：).+'@PD1"},
    {"", "@PC1", "しょぼかるから抽出した文字列(1～4)",
     N_("What @NC1 (to @NC4) took out of the schedule service's title (empty without a lookup)"),
     "@NC1'.+'@PC1"},
    {"", "@NF1'～'", "ファイル名から抽出(1～4、N)",
     N_("Keeps the first match of ～ in the current file name for @PF1 (slots 1 to 4); @NFN'～' "
        "makes the number in it the episode number; prints nothing"),
     "@NF1'[0-9]{8}'@PF1"},
    {"", "@NT1'～'", "タイトルから抽出(1～4、N)",
     N_("The same for the programme name (@PT1; @NTN'～' for the episode number)"),
     "@NT1'「.+?」'@PT1"},
    {"", "@NS1'～'", "内容から抽出(1～4、N)",
     N_("The same for the description (@PS1; @NSN'～' for the episode number)"),
     "@NS1'「.+?」'@PS1"},
    {"", "@ND1'～'", "詳細から抽出(1～4、N)",
     N_("The same for the extended description (@PD1; @NDN'～' for the episode number)"),
     "@NDN'第.+?話'第@2nb話"},
    {"", "@NC1'～'", "しょぼかるから抽出(1～4)",
     N_("The same for the schedule service's title (@PC1; there is no @NCN)"), "@NC1'.+'@PC1"},
    {"ナンバリング", "@nb", "放送話数(1)",
     N_("The episode number; several from the schedule service as 1,2 (neighbours) or 1-3")},
    {"ナンバリング", "@2nb", "放送話数(01)", N_("The episode number in two digits")},
    {"ナンバリング", "@3nb", "放送話数(001)", N_("The episode number in three digits")},
    {"ナンバリング", "@4nb", "放送話数(0001)", N_("The episode number in four digits")},
    {"ナンバリング＃", "@NB", "放送話数(#1)", N_("The episode number after #")},
    {"ナンバリング＃", "@2NB", "放送話数(#01)", N_("The episode number after #, two digits")},
    {"ナンバリング＃", "@3NB", "放送話数(#001)", N_("The episode number after #, three digits")},
    {"ナンバリング＃", "@4NB", "放送話数(#0001)", N_("The episode number after #, four digits")},
    {"日付28", "@yy", "年4桁(28時間)",
     N_("Year of the broadcast day (a start before 04:00 counts to the day before)")},
    {"日付28", "@2yy", "年2桁(28時間)", N_("Year of the broadcast day, two digits")},
    {"日付28", "@mm", "月(28時間)", N_("Month of the broadcast day")},
    {"日付28", "@dd", "日(28時間)", N_("Day of the broadcast day")},
    {"日付28", "@sh", "開始時間(28時間)", N_("Start hour, 24 to 27 for a start before 04:00")},
    {"日付28", "@sm", "開始分(28時間)", N_("Start minute")},
    {"日付28", "@ss", "開始秒(28時間)", N_("Start second")},
    {"日付28", "@wk", "曜日(28時間)", N_("Weekday of the broadcast day, 日 to 土")},
    {"日付28", "@we", "WEEK(28時間)", N_("Weekday of the broadcast day, Sun to Sat")},
    {"日付28", "@eh", "終了時間(28時間)", N_("End hour, 24 more when the start was before 04:00")},
    {"日付28", "@em", "終了分(28時間)", N_("End minute")},
    {"日付28", "@es", "終了秒(28時間)", N_("End second")},
    {"日付24", "@YY", "年4桁(24時間)", N_("Year of the start")},
    {"日付24", "@2YY", "年2桁(24時間)", N_("Year of the start, two digits")},
    {"日付24", "@MM", "月(24時間)", N_("Month of the start")},
    {"日付24", "@DD", "日(24時間)", N_("Day of the start")},
    {"日付24", "@SH", "開始時間(24時間)", N_("Start hour, 00 to 23")},
    {"日付24", "@SM", "開始分(24時間)", N_("Start minute")},
    {"日付24", "@SS", "開始秒(24時間)", N_("Start second")},
    {"日付24", "@WK", "曜日(24時間)", N_("Weekday of the start, 日 to 土")},
    {"日付24", "@WE", "WEEK(24時間)", N_("Weekday of the start, Sun to Sat")},
    {"日付24", "@EH", "終了時間(24時間)", N_("End hour, 00 to 23")},
    {"日付24", "@EM", "終了分(24時間)", N_("End minute")},
    {"日付24", "@ES", "終了秒(24時間)", N_("End second")},
    {"例", "@C'(?:\\[.+?\\])+'", "[字]等を削除(連続消し)",
     N_("Deletes a run of marks such as [字] from the programme name"), "@C'(?:\\[.+?\\])+'@TT"},
    {"例", "@C'(?:＜.+?＞)+'", "＜新＞等を削除(連続消し)",
     N_("Deletes a run of marks such as ＜新＞ from the programme name"), "@C'(?:＜.+?＞)+'@TT"},
    {"例", "@C'[　 ]+$'", "末尾の全角半角空白を削除",
     N_("Deletes blanks at the end of the programme name"), "@C'#5\\[字\\]'@C'[　 ]+$'@TT"},
    {"例", "@R'　/ '", "全角空白を半角空白に置換",
     N_("Replaces every ideographic space of the programme name by a blank"), "@R'　/ '@TT"},
    {"例", "@TT 第@2nb話@sb [@CH] @mm月@dd日(@wk)", "タイトル 第xx話「」[CH] xx月xx日(曜日)",
     N_("A whole template: name, episode, subtitle, station and day")},
    {"例", "@NSN'第.+?[話回]'", "内容の第xx(話/回)からナンバリングを取得",
     N_("Takes the episode number from 第…話 or 第…回 in the description"),
     "@NSN'第.+?[話回]'@TT 第@2nb話"},
    {"例", "@NS1'「.+?」'", "内容の「～～」からサブタイトルを取得",
     N_("Takes the first 「…」 of the description, for @PS1"), "@NS1'「.+?」'@TT @PS1"},
    {"例", "@ND1'(?<=コメント1).+(?=コメント2)'", "コメント1～コメント2に挟まれた文字列を取得",
     N_("Takes what stands between コメント1 and コメント2 in the extended description, for @PD1"),
     "@ND1'(?<=あらすじ：).+(?=出演：)'@PD1"},
    {"例", "@NTN'[#＃][0-9０-９]+'@C'[#＃][0-9０-９]+'", "タイトルの＃ｘｘからナンバリングを取得",
     N_("Takes the episode number from #5 in the programme name, and deletes the #5"),
     "@NTN'[#＃][0-9０-９]+'@C'[#＃][0-9０-９]+'@TT 第@2nb話"},
    {"正規表現", ".", "任意の文字", N_("In a pattern: any one character"), "@NT1'ドラ.'@PT1"},
    {"正規表現", "+", "直前の文字が1個以上", N_("In a pattern: the character before, once or more"),
     "@NT1'#[0-9]+'@PT1"},
    {"正規表現", "*", "直前の文字が0個以上",
     N_("In a pattern: the character before, any number of times"), "@NT1'夜の.*ドラマ'@PT1"},
    {"正規表現", "^", "先頭", N_("In a pattern: the start of the text"), "@C'^＜.+?＞'@TT"},
    {"正規表現", "$", "末尾", N_("In a pattern: the end of the text"), "@C'\\[.+?\\]$'@TT"},
    {"正規表現", "[0-9０-９]", "0～9のどれか", N_("In a pattern: one digit, half- or full-width"),
     "@NT1'[0-9０-９]+'@PT1"},
    {"正規表現", "[^0-9０-９]", "0～9以外", N_("In a pattern: one character that is not a digit"),
     "@NT1'[^0-9０-９]+'@PT1"},
    // Not in the menu: the window's menu offers the trimmed form only.
    {"", "@SB", "",
     N_("The subtitle as it is, blanks at its ends included: the schedule service's (SB), else the "
        "programme's description")},
}};

}  // namespace

std::span<const DefaultMacroLine> default_macro_lines() {
    return std::span(kMacroLines).first(kDefaultMacroLineCount);
}

std::span<const DefaultMacroLine> macro_reference_lines() {
    return kMacroLines;
}

}  // namespace kalvento
