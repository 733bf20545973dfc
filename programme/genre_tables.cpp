#include "programme/genre_tables.h"

#include <array>
#include <cstddef>
#include <vector>

namespace kalvento {
namespace {

struct GenreGroup {
    const char* name;
    std::vector<const char*> minors;  // level-2 names 0, 1, 2, ...
};

const std::array<GenreGroup, 12>& genre_groups() {
    static const std::array<GenreGroup, 12> groups = {{
        {"ニュース／報道",
         {"定時・総合", "天気", "特集・ドキュメント", "政治・国会", "経済・市況", "海外・国際",
          "解説", "討論・会談", "報道特番", "ローカル・地域", "交通"}},
        {"スポーツ",
         {"スポーツニュース", "野球", "サッカー", "ゴルフ", "その他の球技", "相撲・格闘技",
          "オリンピック・国際大会", "マラソン・陸上・水泳", "モータースポーツ",
          "マリン・ウィンタースポーツ", "競馬・公営競技"}},
        {"情報／ワイドショー",
         {"芸能・ワイドショー", "ファッション", "暮らし・住まい", "健康・医療",
          "ショッピング・通販", "グルメ・料理", "イベント", "番組紹介・お知らせ"}},
        {"ドラマ", {"国内ドラマ", "海外ドラマ", "時代劇"}},
        {"音楽",
         {"国内ロック・ポップス", "海外ロック・ポップス", "クラシック・オペラ",
          "ジャズ・フュージョン", "歌謡曲・演歌", "ライブ・コンサート", "ランキング・リクエスト",
          "カラオケ・のど自慢", "民謡・邦楽", "童謡・キッズ", "民族音楽・ワールドミュージック"}},
        {"バラエティー",
         {"クイズ", "ゲーム", "トークバラエティ", "お笑い・コメディ", "音楽バラエティ",
          "旅バラエティ", "料理バラエティ"}},
        {"映画", {"洋画", "邦画", "アニメ"}},
        {"アニメ／特撮", {"国内アニメ", "海外アニメ", "特撮"}},
        {"ドキュメンタリー／教養",
         {"社会・時事", "歴史・紀行", "自然・動物・環境", "宇宙・科学・医学",
          "カルチャー・伝統文化", "文学・文芸", "スポーツ", "ドキュメンタリー全般",
          "インタビュー・討論"}},
        {"劇場／公演",
         {"現代劇・新劇", "ミュージカル", "ダンス・バレエ", "落語・演芸", "歌舞伎・古典"}},
        {"趣味／教育",
         {"旅・釣り・アウトドア", "演芸・ペット・手芸", "音楽・美術・工芸", "囲碁・将棋",
          "麻雀・パチンコ", "車・オートバイ", "コンピュータ・ＴＶゲーム", "会話・語学",
          "幼児・小学生", "中学生・高校生", "大学生・受験", "生涯教育・資格", "教育問題"}},
        {"福祉",
         {"高齢者", "障害者", "社会福祉", "ボランティア", "手話", "文字（字幕）", "音声解説"}},
    }};
    return groups;
}

}  // namespace

const char* genre_level1_name(int level1) {
    const auto& groups = genre_groups();
    if (level1 < 0 || static_cast<std::size_t>(level1) >= groups.size()) return nullptr;
    return groups[static_cast<std::size_t>(level1)].name;
}

const char* genre_level2_name(int level1, int level2) {
    const auto& groups = genre_groups();
    if (level1 < 0 || static_cast<std::size_t>(level1) >= groups.size() || level2 < 0) {
        return nullptr;
    }
    const auto& minors = groups[static_cast<std::size_t>(level1)].minors;
    if (static_cast<std::size_t>(level2) >= minors.size()) return nullptr;
    return minors[static_cast<std::size_t>(level2)];
}

}  // namespace kalvento
