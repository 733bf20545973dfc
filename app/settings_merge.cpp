#include "app/settings_merge.h"

#include <cstddef>

namespace kalvento {
namespace {

template <typename T>
void take_if_changed(const T& loaded, const T& edited, T& merged) {
    if (!(edited == loaded)) merged = edited;
}

template <typename T, std::size_t N>
void take_changed_elements(const std::array<T, N>& loaded, const std::array<T, N>& edited,
                           std::array<T, N>& merged) {
    for (std::size_t i = 0; i < N; ++i) take_if_changed(loaded[i], edited[i], merged[i]);
}

}  // namespace

AppSettings merge_settings_changes(const AppSettings& loaded, const AppSettings& edited,
                                   const AppSettings& current) {
    AppSettings merged = current;
    take_if_changed(loaded.readStartPos, edited.readStartPos, merged.readStartPos);
    take_if_changed(loaded.readSize, edited.readSize, merged.readSize);
    take_if_changed(loaded.showProgress, edited.showProgress, merged.showProgress);
    take_changed_elements(loaded.filenameSetSp, edited.filenameSetSp, merged.filenameSetSp);
    take_changed_elements(loaded.filenameSet, edited.filenameSet, merged.filenameSet);
    take_changed_elements(loaded.columnWidths, edited.columnWidths, merged.columnWidths);
    take_if_changed(loaded.windowX, edited.windowX, merged.windowX);
    take_if_changed(loaded.windowY, edited.windowY, merged.windowY);
    take_if_changed(loaded.windowCX, edited.windowCX, merged.windowCX);
    take_if_changed(loaded.windowCY, edited.windowCY, merged.windowCY);
    take_if_changed(loaded.ombrixRename, edited.ombrixRename, merged.ombrixRename);
    take_if_changed(loaded.notRename, edited.notRename, merged.notRename);
    take_if_changed(loaded.gopRename, edited.gopRename, merged.gopRename);
    take_if_changed(loaded.wildRename, edited.wildRename, merged.wildRename);
    take_if_changed(loaded.fileDate, edited.fileDate, merged.fileDate);
    take_if_changed(loaded.iconStart, edited.iconStart, merged.iconStart);
    take_if_changed(loaded.scheduleBaseUrl, edited.scheduleBaseUrl, merged.scheduleBaseUrl);
    return merged;
}

}  // namespace kalvento
