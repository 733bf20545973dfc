#include "text/regex_cache.h"

#include "platform/codepage.h"
#include "text/limits.h"

#include <list>
#include <locale>
#include <unordered_map>
#include <utility>

namespace kalvento {
namespace {

constexpr std::size_t kDefaultCapacity = 512;

// Character classes (\s, \w) follow Unicode, so an ideographic space is a blank
// and kanji are word characters, without touching the process locale.
const std::locale& classification_locale() {
    static const std::locale locale = [] {
        try {
            return std::locale("C.UTF-8");
        } catch (const std::exception&) {
            return std::locale::classic();
        }
    }();
    return locale;
}

std::string describe_compile_error(const boost::regex_error& error, const std::wstring& pattern) {
    // Boost appends the pattern narrowed byte by byte, which garbles Japanese
    // text; keep its description and show the pattern in CP932 instead.
    std::string description = error.what();
    const auto cut = description.find("  The error occurred");
    if (cut != std::string::npos) description.resize(cut);
    const auto position = std::min<std::size_t>(
        static_cast<std::size_t>(std::max<std::ptrdiff_t>(error.position(), 0)), pattern.size());
    const auto before =
        wide_to_cp932(std::wstring_view(pattern).substr(0, position), Unmappable::space);
    const auto after =
        wide_to_cp932(std::wstring_view(pattern).substr(position), Unmappable::space);
    description += "  The error occurred while parsing the regular expression: '";
    description += before.value_or("") + ">>>HERE>>>" + after.value_or("") + "'.";
    return description;
}

std::shared_ptr<const CompiledPattern> compile_uncached(std::string_view cp932_pattern) {
    std::wstring pattern = cp932_to_wide(cp932_pattern);
    if (pattern.size() > kRegexInputLimit) pattern.resize(kRegexInputLimit);
    auto compiled = std::make_shared<CompiledPattern>();
    try {
        compiled->regex.imbue(classification_locale());
        compiled->regex.assign(pattern, boost::regex::perl);
        compiled->valid = true;
    } catch (const boost::regex_error& error) {
        compiled->error = describe_compile_error(error, pattern);
    } catch (const std::exception& error) {
        compiled->error = error.what();
    }
    return compiled;
}

class PatternCache {
  public:
    std::shared_ptr<const CompiledPattern> get(std::string_view pattern_view) {
        if (capacity_ == 0) return compile_uncached(pattern_view);
        if (auto found = index_.find(pattern_view); found != index_.end()) {
            order_.splice(order_.begin(), order_, found->second);
            return found->second->second;
        }
        auto compiled = compile_uncached(pattern_view);
        order_.emplace_front(std::string(pattern_view), compiled);
        index_.emplace(order_.front().first, order_.begin());
        trim();
        return compiled;
    }

    void set_capacity(std::size_t capacity) {
        capacity_ = capacity;
        trim();
    }
    std::size_t capacity() const { return capacity_; }

  private:
    using Entry = std::pair<std::string, std::shared_ptr<const CompiledPattern>>;

    void trim() {
        while (order_.size() > capacity_) {
            index_.erase(order_.back().first);
            order_.pop_back();
        }
    }

    std::size_t capacity_ = kDefaultCapacity;
    std::list<Entry> order_;  // most recently used first
    // Looked up by string_view, so a cache hit allocates nothing.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::unordered_map<std::string, std::list<Entry>::iterator, Hash, std::equal_to<>> index_;
};

PatternCache& cache() {
    thread_local PatternCache instance;
    return instance;
}

}  // namespace

std::shared_ptr<const CompiledPattern> compile_pattern(std::string_view cp932_pattern) {
    return cache().get(cp932_pattern);
}

void set_regex_cache_capacity(std::size_t capacity) {
    cache().set_capacity(capacity);
}

std::size_t regex_cache_capacity() {
    return cache().capacity();
}

}  // namespace kalvento
