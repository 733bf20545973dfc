#include "app/row_order.h"

#include "naming/compose.h"

#include <string>
#include <string_view>

namespace kalvento {
namespace {

int sign_of_compare(std::string_view a, std::string_view b) {
    // string_view compares through char_traits<char>, which orders bytes as
    // unsigned values.
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

const std::string& empty_text() {
    static const std::string empty;
    return empty;
}

// The text of a programme column, from the entry's selected candidate.
const std::string& programme_text(const FileEntry& entry, int column) {
    const ProgramInfo* info = selected_candidate(entry);
    if (info == nullptr) return empty_text();
    switch (column) {
        case kColumnEventName:
            return info->eventName;
        case kColumnChannel:
            return info->channelName;
        case kColumnEventText:
            return info->eventText;
        case kColumnAvText:
            return info->avText;
        case kColumnGenre:
            return info->genre;
        default:
            return empty_text();
    }
}

std::string date_text(const FileEntry& entry) {
    const ProgramInfo* info = selected_candidate(entry);
    if (info == nullptr) return {};
    return info->dateMD + " " + info->timeHM;
}

int compare_ascending(const Job& a, const Job& b, int column) {
    switch (column) {
        case kColumnCurrentName:
            return sign_of_compare(a.entry.currentName, b.entry.currentName);
        case kColumnNewName:
            return sign_of_compare(a.entry.newName, b.entry.newName);
        case kColumnDate:
            return sign_of_compare(date_text(a.entry), date_text(b.entry));
        case kColumnTitle:
            return a.id < b.id ? -1 : (a.id > b.id ? 1 : 0);
        default:
            return sign_of_compare(programme_text(a.entry, column),
                                   programme_text(b.entry, column));
    }
}

}  // namespace

int compare_job_rows(const Job& a, const Job& b, int column, bool ascending) {
    const int result = compare_ascending(a, b, column);
    return ascending ? result : -result;
}

}  // namespace kalvento
