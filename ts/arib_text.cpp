// The decoder knows the graphic sets that occur in programme information (Kanji,
// alphanumerics, hiragana, katakana, additional symbols), the character size
// controls and the line break. Everything else is dropped: mosaic, proportional
// and JIS X 0201 characters, DRCS, colours, positions, time controls and every
// other C1 or C0 control, each together with its parameter bytes.
//
// Broadcasters send the additional symbols and the added kanji as rows 0x75,
// 0x76 and 0x7A..0x7E of the Kanji set as well as through their own set, so
// those rows of the Kanji set read as additional symbols, not as JIS rows.
#include "ts/arib_text.h"

#include <array>
#include <cstring>
#include <string_view>

#include "ts/arib_tables.h"

namespace kalvento {
namespace {

constexpr std::uint8_t kSpace = 0x20;
constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kLs0 = 0x0F;
constexpr std::uint8_t kLs1 = 0x0E;
constexpr std::uint8_t kSs2 = 0x19;
constexpr std::uint8_t kSs3 = 0x1D;
constexpr std::uint8_t kApr = 0x0D;  // active position return: the line break
constexpr std::uint8_t kLineFeed = 0x0A;
constexpr std::uint8_t kMsz = 0x89;  // middle size
constexpr std::uint8_t kNsz = 0x8A;  // normal size
constexpr std::uint8_t kFirstControl = 0x7F;
constexpr std::uint8_t kLastControl = 0xA0;
constexpr std::uint8_t kSevenBits = 0x7F;
constexpr std::uint8_t kDrcsMarker = 0x20;  // intermediate byte of a DRCS designation
constexpr std::uint8_t kFirstCell = 0x21;
constexpr std::uint8_t kLastCell = 0x7E;

// Controls that carry parameter bytes.
constexpr std::uint8_t kPapf = 0x16;               // parameterized active position forward: P1
constexpr std::uint8_t kAps = 0x1C;                // active position set: P1 P2
constexpr std::uint8_t kSzx = 0x8B;                // character size: P1
constexpr std::uint8_t kCol = 0x90;                // colour: P1, or 0x20 P2 for a palette
constexpr std::uint8_t kFlc = 0x91;                // flashing: P1
constexpr std::uint8_t kCdc = 0x92;                // conceal display: P1, or 0x20 P2
constexpr std::uint8_t kPol = 0x93;                // pattern polarity: P1
constexpr std::uint8_t kWmm = 0x94;                // writing mode modification: P1
constexpr std::uint8_t kMacro = 0x95;              // macro command: P1
constexpr std::uint8_t kHlc = 0x97;                // highlighting character block: P1
constexpr std::uint8_t kRpc = 0x98;                // repeat character: P1
constexpr std::uint8_t kCsi = 0x9B;                // control sequence up to its final byte
constexpr std::uint8_t kTime = 0x9D;               // time control: 0x20 P1, 0x28 P1, or 0x29 ... F
constexpr std::uint8_t kExtendedParameter = 0x20;  // COL and CDC: a second parameter follows
constexpr std::uint8_t kTimeSpecified = 0x29;      // TIME form that runs to a final byte
constexpr std::uint8_t kMacroDefine = 0x40;        // MACRO: definition starts
constexpr std::uint8_t kMacroDefineAndRun = 0x41;  // MACRO: definition starts, run after it
constexpr std::uint8_t kMacroEnd = 0x4F;           // MACRO: definition ends
constexpr std::uint8_t kFirstFinal = 0x40;         // final bytes of a control sequence
constexpr std::uint8_t kLastFinal = 0x7E;

// First bytes of the Kanji set's rows that hold the additional symbols and added kanji.
bool is_symbol_row(std::uint8_t row) {
    return row == 0x75 || row == 0x76 || (row >= 0x7A && row <= 0x7E);
}

enum class GraphicSet : std::uint8_t {
    kanji,         // the Kanji set and JIS compatible Kanji plane 1: symbol rows included
    kanji_plane2,  // JIS compatible Kanji plane 2: every row by the JIS arithmetic
    alphanumeric,
    hiragana,
    katakana,
    additional_symbols,
    ignored,  // one-byte sets we have no text for (mosaic, proportional, JIS X 0201)
};

struct CodeState {
    std::array<GraphicSet, 4> g{GraphicSet::kanji, GraphicSet::alphanumeric, GraphicSet::hiragana,
                                GraphicSet::katakana};
    std::size_t gl = 0;
    std::size_t gr = 2;
    bool middle = false;
};

// Writes pieces while they fit, always leaving room for the terminating NUL.
class Output {
  public:
    Output(char* destination, std::size_t size) : destination_(destination), size_(size) {}

    void put(std::string_view piece) {
        // Same as written + n + 1 < size, without overflow.
        if (written_ < size_ && piece.size() + 1 < size_ - written_) {
            std::memcpy(destination_ + written_, piece.data(), piece.size());
            written_ += piece.size();
        }
    }

    void terminate() {
        if (size_ == 0) return;
        destination_[written_ < size_ ? written_ : size_ - 1] = '\0';
    }

  private:
    char* destination_;
    std::size_t size_;
    std::size_t written_ = 0;
};

// Final byte of a designation to the set it names; false for final bytes we do not know.
bool set_of_final_byte(std::uint8_t final_byte, GraphicSet& set) {
    switch (final_byte) {
        case 0x42:  // Kanji
        case 0x39:  // JIS compatible Kanji plane 1
            set = GraphicSet::kanji;
            return true;
        case 0x3A:  // JIS compatible Kanji plane 2
            set = GraphicSet::kanji_plane2;
            return true;
        case 0x4A:
            set = GraphicSet::alphanumeric;
            return true;
        case 0x30:
            set = GraphicSet::hiragana;
            return true;
        case 0x31:
            set = GraphicSet::katakana;
            return true;
        case 0x3B:
            set = GraphicSet::additional_symbols;
            return true;
        case 0x32:  // mosaic A..D
        case 0x33:
        case 0x34:
        case 0x35:
        case 0x36:  // proportional alphanumeric, hiragana, katakana
        case 0x37:
        case 0x38:
        case 0x49:  // JIS X 0201 katakana
            set = GraphicSet::ignored;
            return true;
        default:
            return false;
    }
}

class Decoder {
  public:
    Decoder(const std::uint8_t* source, std::size_t length, Output& out)
        : source_(source), length_(length), out_(out) {}

    void run() {
        std::size_t i = 0;
        while (i < length_ && source_[i] != 0x00) i += step(i);
    }

  private:
    // Decodes what starts at i; returns the bytes consumed (at least one, never past the end).
    std::size_t step(std::size_t i) {
        const std::uint8_t c = source_[i];
        if (c == kSpace) {
            space();
            return 1;
        }
        if (c > kSpace && c < kFirstControl) return character(state_.g[state_.gl], i);
        if (c >= kFirstControl && c <= kLastControl) return c1_control(i);
        if (c > kLastControl) return character(state_.g[state_.gr], i);
        return control(i);
    }

    std::size_t control(std::size_t i) {
        switch (source_[i]) {
            case kLs0:
                state_.gl = 0;
                return 1;
            case kLs1:
                state_.gl = 1;
                return 1;
            case kSs2:
                return single_shift(2, i);
            case kSs3:
                return single_shift(3, i);
            case kEsc:
                return escape(i);
            case kApr:
                out_.put("\r");
                return has(i + 1) && source_[i + 1] == kLineFeed ? 2 : 1;
            case kPapf:
                return with_parameters(i, 1);
            case kAps:
                return with_parameters(i, 2);
            default:
                return 1;
        }
    }

    // DEL, the C1 controls and 0xA0. Only the size controls change what we write.
    std::size_t c1_control(std::size_t i) {
        switch (source_[i]) {
            case kMsz:
                state_.middle = true;
                return 1;
            case kNsz:
                state_.middle = false;
                return 1;
            case kSzx:
            case kFlc:
            case kPol:
            case kWmm:
            case kHlc:
            case kRpc:
                return with_parameters(i, 1);
            case kCol:
            case kCdc:
                return with_parameters(i,
                                       has(i + 1) && source_[i + 1] == kExtendedParameter ? 2 : 1);
            case kMacro:
                return macro(i);
            case kCsi:
                return through_final_byte(i, i + 1);
            case kTime:
                if (has(i + 1) && source_[i + 1] == kTimeSpecified)
                    return through_final_byte(i, i + 2);
                return with_parameters(i, 2);
            default:
                return 1;
        }
    }

    // A control at i and its `count` parameter bytes; one cut off by the end of
    // the text consumes the rest, which ends the text.
    std::size_t with_parameters(std::size_t i, std::size_t count) const {
        return has(i + count) ? 1 + count : length_ - i;
    }

    // A control sequence from i whose parameters start at `from` and which ends
    // with its final byte (0x40..0x7E). Without a final byte it runs to the end
    // of the text, or to a NUL, which is left to end the text.
    std::size_t through_final_byte(std::size_t i, std::size_t from) const {
        for (std::size_t k = from; has(k); ++k) {
            if (source_[k] == 0x00) return k - i;
            if (source_[k] >= kFirstFinal && source_[k] <= kLastFinal) return k + 1 - i;
        }
        return length_ - i;
    }

    // MACRO P1. A macro definition (P1 0x40 or 0x41) holds the macro's code and
    // body up to MACRO 0x4F; all of it is control data, not text, and is
    // skipped like a sequence without its final byte when the end is missing.
    std::size_t macro(std::size_t i) {
        const std::size_t head = with_parameters(i, 1);
        if (head != 2) return head;
        const std::uint8_t mode = source_[i + 1];
        if (mode != kMacroDefine && mode != kMacroDefineAndRun) return head;
        for (std::size_t k = i + 2; has(k); ++k) {
            if (source_[k] == 0x00) return k - i;
            if (source_[k] == kMacro && has(k + 1) && source_[k + 1] == kMacroEnd) return k + 2 - i;
        }
        return length_ - i;
    }

    // One character of G2 or G3. A following byte that is no character code (a C0
    // control, including the NUL that ends the text) is left to the main walk.
    std::size_t single_shift(std::size_t g, std::size_t i) {
        if (!has(i + 1) || (source_[i + 1] & kSevenBits) < kSpace) return 1;
        return 1 + character(state_.g[g], i + 1);
    }

    // One character of `set` whose first byte is at i. The high bit of the code
    // bytes is ignored, so a set invoked into GR reads as the same codes.
    std::size_t character(GraphicSet set, std::size_t i) {
        const std::uint8_t code = source_[i] & kSevenBits;
        if (code < kSpace) return 1;  // callers never pass controls; kept for safety
        if (code == kSpace) {
            space();
            return 1;
        }
        const std::size_t index = code - arib::kFirstTableCode;
        switch (set) {
            case GraphicSet::alphanumeric:
                out_.put(state_.middle ? arib::halfwidth_alphanumeric_table()[index]
                                       : arib::fullwidth_alphanumeric_table()[index]);
                return 1;
            case GraphicSet::hiragana:
                out_.put(arib::hiragana_table()[index]);
                return 1;
            case GraphicSet::katakana:
                out_.put(arib::katakana_table()[index]);
                return 1;
            case GraphicSet::ignored:
                return 1;
            case GraphicSet::kanji:
            case GraphicSet::kanji_plane2:
            case GraphicSet::additional_symbols:
                break;
        }
        // A two-byte character cut off by the end of the text is dropped.
        if (!has(i + 1)) return length_ - i;
        const std::uint8_t cell = source_[i + 1] & kSevenBits;
        if (set == GraphicSet::additional_symbols ||
            (set == GraphicSet::kanji && is_symbol_row(code)))
            out_.put(arib::additional_symbol_text(static_cast<std::uint16_t>(code << 8 | cell)));
        else
            kanji(code, cell);
        return 2;
    }

    // JIS X 0208 row and cell to Shift-JIS, for every row the set can name. A cell
    // outside 0x21..0x7E has no character and would make an invalid (even NUL or
    // '/') trail byte, so the pair is dropped.
    void kanji(std::uint8_t row, std::uint8_t cell) {
        if (cell < kFirstCell || cell > kLastCell) return;
        const int lead = (row + 1) / 2 + (row < 0x5F ? 0x70 : 0xB0);
        int trail = cell + ((row & 1) != 0 ? 0x1F : 0x7D);
        if (trail > 0x7E) ++trail;
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        out_.put(std::string_view(bytes, 2));
    }

    // The blank of the current size, which is the alphanumeric set's code 0x20.
    void space() {
        out_.put(state_.middle ? arib::halfwidth_alphanumeric_table()[0]
                               : arib::fullwidth_alphanumeric_table()[0]);
    }

    // Invocations and designations. Parameter bytes are read only while they exist;
    // a sequence cut off by the end of the text consumes the rest and changes nothing.
    std::size_t escape(std::size_t i) {
        if (!has(i + 1)) return 1;
        const std::uint8_t kind = source_[i + 1];
        switch (kind) {
            case 'n':
                state_.gl = 2;
                return 2;  // LS2
            case 'o':
                state_.gl = 3;
                return 2;  // LS3
            case '~':
                state_.gr = 1;
                return 2;  // LS1R
            case '}':
                state_.gr = 2;
                return 2;  // LS2R
            case '|':
                state_.gr = 3;
                return 2;  // LS3R
            case '(':
            case ')':
            case '*':
            case '+':
                return designate_one_byte_set(static_cast<std::size_t>(kind - '('), i);
            case '$':
                return designate_two_byte_set(i);
            default:
                return 2;
        }
    }

    // ESC ( F, or the DRCS form ESC ( 0x20 F (and likewise for G1..G3).
    std::size_t designate_one_byte_set(std::size_t g, std::size_t i) {
        if (!has(i + 2)) return length_ - i;
        if (source_[i + 2] != kDrcsMarker) return designate(g, source_[i + 2], 3);
        if (!has(i + 3)) return length_ - i;
        return designate(g, source_[i + 3], 4);
    }

    // ESC $ F (G0), ESC $ ) F .. ESC $ + F (G1..G3), their DRCS forms with 0x20
    // before F, and ESC $ ( 0x20 F; ESC $ ( without the 0x20 designates nothing.
    std::size_t designate_two_byte_set(std::size_t i) {
        if (!has(i + 2)) return length_ - i;
        const std::uint8_t target = source_[i + 2];
        if (target == '(') {
            if (!has(i + 3) || source_[i + 3] != kDrcsMarker) return 2;
            if (!has(i + 4)) return length_ - i;
            return designate(0, source_[i + 4], 5);
        }
        if (target == ')' || target == '*' || target == '+') {
            const std::size_t g = static_cast<std::size_t>(target - '(');
            if (!has(i + 3)) return length_ - i;
            if (source_[i + 3] != kDrcsMarker) return designate(g, source_[i + 3], 4);
            if (!has(i + 4)) return length_ - i;
            return designate(g, source_[i + 4], 5);
        }
        return designate(0, target, 3);
    }

    std::size_t designate(std::size_t g, std::uint8_t final_byte, std::size_t consumed) {
        GraphicSet set{};
        if (set_of_final_byte(final_byte, set)) state_.g[g] = set;
        return consumed;
    }

    bool has(std::size_t index) const { return index < length_; }

    const std::uint8_t* source_;
    std::size_t length_;
    Output& out_;
    CodeState state_;
};

}  // namespace

void arib_to_sjis(const std::uint8_t* source, std::size_t length, char* destination,
                  std::size_t destination_size) {
    if (destination == nullptr) destination_size = 0;
    Output out(destination, destination_size);
    if (source != nullptr) Decoder(source, length, out).run();
    out.terminate();
}

std::string arib_to_sjis(const std::uint8_t* source, std::size_t length, std::size_t extra) {
    std::string buffer(2 * length + extra, '\0');
    arib_to_sjis(source, length, buffer.data(), buffer.size());
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

}  // namespace kalvento
