#include "app/status_words.h"

#include <utility>

namespace kalvento {
namespace {

template <typename Status>
using WordTable = std::pair<Status, std::string_view>[];

constexpr WordTable<ConvertStatus> kConvertWords = {
    {ConvertStatus::moved, "renamed"},
    {ConvertStatus::alreadyNamed, "unchanged"},
    {ConvertStatus::noProgrammeData, "noProgrammeData"},
    {ConvertStatus::emptyName, "emptyName"},
    {ConvertStatus::noNameItems, "noNameItems"},
    {ConvertStatus::tooLong, "tooLong"},
    {ConvertStatus::unmappableName, "unmappableName"},
    {ConvertStatus::noFreeName, "noFreeName"},
    {ConvertStatus::moveFailed, "moveFailed"},
    {ConvertStatus::notRecorded, "notRecorded"},
    {ConvertStatus::wouldMove, "wouldRename"},
    {ConvertStatus::crossDevice, "crossDevice"},
    {ConvertStatus::badFolder, "badFolder"},
};

constexpr WordTable<UndoStatus> kUndoWords = {
    {UndoStatus::movedBack, "movedBack"},
    {UndoStatus::wouldMoveBack, "wouldMoveBack"},
    {UndoStatus::alreadyBack, "alreadyBack"},
    {UndoStatus::timesRestored, "timesRestored"},
    {UndoStatus::newNameHoldsAnother, "newNameHoldsAnother"},
    {UndoStatus::oldNameTaken, "oldNameTaken"},
    {UndoStatus::gone, "gone"},
    {UndoStatus::renamedLater, "renamedLater"},
    {UndoStatus::recordingLeft, "recordingLeft"},
    {UndoStatus::failed, "failed"},
    {UndoStatus::notRecorded, "notRecorded"},
    {UndoStatus::removed, "removed"},
    {UndoStatus::wouldRemove, "wouldRemove"},
    {UndoStatus::changedSince, "changedSince"},
    {UndoStatus::originalGone, "originalGone"},
};

template <typename Status, std::size_t N>
std::string_view find_word(const std::pair<Status, std::string_view> (&table)[N], Status status) {
    for (const auto& [known, word] : table)
        if (known == status) return word;
    return {};
}

}  // namespace

std::string_view status_word(ConvertStatus status) {
    return find_word(kConvertWords, status);
}

std::string_view status_word(UndoStatus status) {
    return find_word(kUndoWords, status);
}

}  // namespace kalvento
