#include "records.h"

#include "app_state.h"

void clear_records(AppState& state) { state.records.clear(); }

bool append_record(AppState& state, const SpeedcamRecord& record) {
    SpeedcamRecord* slot = state.records.append_zeroed();
    if (slot == nullptr) return false;
    *slot = record;
    return true;
}

void clear_camera_types(AppState& state) { state.types.clear(); }

bool append_camera_type(AppState& state, const CameraType& type) {
    CameraType* slot = state.types.append_zeroed();
    if (slot == nullptr) return false;
    *slot = type;
    return true;
}

bool area_filter_on(const AreaFilter& filter) {
    return filter.west != 0 && filter.north != 0 && filter.east != 0 && filter.south != 0;
}
